#pragma once

#include <string>

#include "dfe/config/ini.h"
#include "dfe/config/ini_values.h"
#include "dfe/modelos/escrita_modelo.h"
#include "dfe/modelos/grupos_modelo.h"
#include "esocial/esocial_evento.h"
#include "esocial/inscricao.h"
#include "esocial/modelos/codigos_modelo.h"

namespace luvaro {

// The identification of the table events, S-2190 and S-3000.
struct TIdeEvento {
  TpTpAmb TpAmb = TpTpAmb::taProducao;
  TpProcEmi ProcEmi = TpProcEmi::peAplicEmpregador;
  std::string VerProc;
};

// The identification of the worker events: a retification carries the receipt it corrects.
struct TIdeEvento2 : TIdeEvento {
  tpIndRetificacao IndRetif = tpIndRetificacao::ireOriginal;
  std::string NrRecibo;  // written only for a retification
};

// The identification of the periodic events: the period they refer to.
struct TIdeEvento3 : TIdeEvento2 {
  tpIndApuracao IndApuracao = tpIndApuracao::iapuMensal;
  std::string PerApur;  // "yyyy-mm" (or "yyyy" for the yearly period)
};

// A validity period: idePeriodo and novaValidade of the table events.
struct TIdePeriodo {
  std::string IniValid;  // "yyyy-mm"
  std::string FimValid;  // "yyyy-mm", optional
};

// What every event model shares: the employer, the building of the document around the
// event's own groups (identifier, namespace, signing, validation) and the INI reading around
// the event's own sections. Each event class adds its identification and groups.
class TeSocialEventoModelo : public TeSocialEvento {
 public:
  TeSocialEventoModelo(TDFeComponente* AeSocial, TeSocialSchema ASchema, std::string AElemento);

  TIdeEmpregador& ideEmpregador() { return FIdeEmpregador; }
  const TIdeEmpregador& ideEmpregador() const { return FIdeEmpregador; }
  // The event element, e.g. "evtInfoEmpregador".
  const std::string& Elemento() const { return FElemento; }

  // Builds the document from the data, signs it and validates it. Every failure comes out as
  // EDFeException "ID: " + Id + CR LF + " " + the cause.
  bool GerarXML() override;
  // Reads the INI text (or the file a one-line text names) into the data, then GerarXML.
  bool LerArqIni(const std::string& AIniString) override;

 protected:
  // Step 5 of the building: ideEvento in the event's shape, ideEmpregador, the event's groups.
  virtual void GerarCorpo() = 0;
  // The event's sections of an INI document (the event section's Id and Sequencial and the
  // employer are read by the caller).
  virtual void LerIni(const IniFile& ini) = 0;

  // What the generated group writers take: the writer, the version, the mode.
  TEscritaModelo Escrita(TModoLancamento modo);

  // Shared group writers.
  void GerarIdeEvento(const TIdeEvento& ide);
  void GerarIdeEvento2(const TIdeEvento2& ide);
  void GerarIdeEvento3(const TIdeEvento3& ide, bool comRetificacao);
  void GerarIdeEmpregador();
  void GerarIdePeriodo(const TIdePeriodo& periodo, const std::string& grupo);
  void GerarModoAbertura(TModoLancamento modo);
  void GerarModoFechamento(TModoLancamento modo);

  // Shared INI readers; sections are named after the groups.
  static void LerIdeEvento(const IniFile& ini, TIdeEvento& ide);
  static void LerIdeEvento2(const IniFile& ini, TIdeEvento2& ide);
  static void LerIdeEvento3(const IniFile& ini, TIdeEvento3& ide);
  static void LerIdePeriodo(const IniFile& ini, const std::string& secao, TIdePeriodo& periodo);
  // ModoLancamento of the event section ("inclusao" by default).
  TModoLancamento LerModoLancamento(const IniFile& ini) const;

 private:
  std::string FElemento;
  TIdeEmpregador FIdeEmpregador;
};

}  // namespace luvaro
