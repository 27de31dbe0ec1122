#pragma once

#include <string>

#include "dfe/config/ini.h"
#include "dfe/config/ini_values.h"
#include "dfe/modelos/escrita_modelo.h"
#include "dfe/modelos/grupos_modelo.h"
#include "reinf/modelos/codigos_reinf.h"
#include "reinf/reinf_evento.h"
#include "reinf/ret_comum.h"

namespace luvaro::reinf {

// The identification of the table events (R-1000, R-1070) and of the exclusion.
struct TIdeEvento {
  TtpAmb TpAmb = TtpAmb::taProducao;
  TprocEmi ProcEmi = TprocEmi::peAplicEmpregador;
  std::string VerProc;
};

// The identification of the periodic events: the period ("yyyy-mm") and, where the event has
// it, the retification with the receipt it corrects.
struct TIdeEvento2 : TIdeEvento {
  TIndRetificacao indRetif = TIndRetificacao::trOriginal;
  std::string NrRecibo;  // written only for a retification
  std::string perApur;
};

// The identification of the events of one day (R-3010).
struct TIdeEvento3 : TIdeEvento {
  TIndRetificacao indRetif = TIndRetificacao::trOriginal;
  std::string NrRecibo;
  DateTime dtApuracao = 0;
};

// The contributor of an event.
struct TideContri : TInscricao {
  bool OrgaoPublico = false;
};

// A validity period: idePeriodo and novaValidade of the table events.
struct TidePeriodo {
  std::string IniValid;  // "yyyy-mm"
  std::string FimValid;  // "yyyy-mm", optional
};

// What every EFD-Reinf event model shares: the contributor, the building of the document
// around the event's own groups (identifier, namespace, signing, validation), the writing
// helpers of the identification groups, and the INI reading around the event's own sections.
class TReinfEventoModelo : public TReinfEvento {
 public:
  // AElemento is the event element ("evtInfoContri"), ASchema the event's schema.
  TReinfEventoModelo(TReinfComponente& AReinf, TReinfSchema ASchema, std::string AElemento);

  TideContri& ideContri() { return FIdeContri; }
  const TideContri& ideContri() const { return FIdeContri; }
  const std::string& Elemento() const { return FElemento; }

  // Builds the document from the data, signs it, stores it and validates it (R-2070 is not
  // validated). Every failure comes out as EDFeException with the cause's message; the signed
  // document stays in XML when validation fails. True when the writer produced text.
  bool GerarXML() override;
  // Reads the INI text (or the file a one-line text names) into the data, then GerarXML.
  bool LerArqIni(const std::string& AIniString) override;

 protected:
  // Step 5 of the building: the identification groups and the event's body.
  virtual void GerarCorpo() = 0;
  // The event's sections of an INI document (the event section's Id and Sequencial and the
  // contributor are read by the caller).
  virtual void LerIni(const IniFile& ini) = 0;
  // Whether the built document is validated against its schema.
  virtual bool ComValidacao() const { return true; }

  // What the generated group writers take: the writer, the layout (0 for 1.03.00) and the mode.
  TEscritaModelo Escrita(TTipoOperacao modo);
  TContribuinte TipoContribuinte() const;

  // The writing helpers. EscreverCabecalho sets the signer's namespace and opens Reinf with it.
  void EscreverCabecalho(const std::string& schemaBase);
  void EscreverRodape();
  void EscreverIdeEvento(const TIdeEvento& ide, bool comGrupo);
  void EscreverIdeEventoPeriodo(const TIdeEvento2& ide, bool comGrupo, bool comRetif);
  void EscreverIdeEventoData(const TIdeEvento3& ide);
  // nrInsc whole (14) for public bodies and individuals, its first 8 characters for companies.
  void EscreverIdeContri(const TideContri& ide, bool comGrupo);
  void AbrirOperacao(TTipoOperacao modo);
  void FecharOperacao(TTipoOperacao modo);
  void EscreverPeriodo(const TidePeriodo& periodo, const std::string& grupo);

  // The INI readers of the shared groups; sections are named after the groups.
  static void LerIdeEvento(const IniFile& ini, TIdeEvento& ide);
  static void LerIdeEvento2(const IniFile& ini, TIdeEvento2& ide);
  static void LerIdeEvento3(const IniFile& ini, TIdeEvento3& ide);
  static void LerPeriodo(const IniFile& ini, const std::string& secao, TidePeriodo& periodo);
  // ModoLancamento of the event section ("inclusao" by default).
  TTipoOperacao LerModoLancamento(const IniFile& ini) const;

 private:
  TReinfSchema FSchemaModelo;
  std::string FElemento;
  TideContri FIdeContri;
};

}  // namespace luvaro::reinf
