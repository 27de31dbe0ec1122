#pragma once

#include <string>

#include "dfe/xml/data_hora.h"
#include "dfe/xml/gerador.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

class TReinfComponente;

// What every EFD-Reinf object with an identifier has.
class TReinf {
 public:
  virtual ~TReinf() = default;

  // The event identifier, 36 characters when set.
  const std::string& Id() const { return FId; }
  void SetId(const std::string& value) { FId = value; }
  // The sequence number used when an identifier is built; 0 draws one.
  int Sequencial() const { return FSequencial; }
  void SetSequencial(int value) { FSequencial = value; }

 private:
  std::string FId;
  int FSequencial = 0;
};

// The base of every EFD-Reinf event object: it holds one event document and signs its event
// element, reads its identifier, validates it against the schema of its type, builds
// identifiers and saves the document. Each event type is a class of its own
// (reinf/reinf_modelos.h), which later carries the type's data model, builder and INI reader.
class TReinfEvento : public TReinf {
 public:
  // The component is borrowed and outlives the event.
  explicit TReinfEvento(TReinfComponente& AReinf);
  ~TReinfEvento() override;
  TReinfEvento(const TReinfEvento&) = delete;  // bound to its component and collection
  TReinfEvento& operator=(const TReinfEvento&) = delete;

  // The event class's name ("TevtServTom", ...).
  virtual std::string ClassName() const = 0;
  // Builds, signs and validates the document from the event's data. The event classes
  // override it with their builders; the base has no data and produces nothing.
  virtual bool GerarXML();
  // Fills the event's data from INI text and builds it. The event classes override it with
  // their readers; the base reads nothing.
  virtual bool LerArqIni(const std::string& AIniString);

  const std::string& XML() const { return FXML; }
  // Stores the document and, unless it is signed already ("<signature" in any case), signs it,
  // reads Id and validates it. A failure leaves XML as far as it got (as delivered, or signed)
  // and propagates.
  void SetXML(const std::string& Value);

  const std::string& XMLAssinado() const { return FXMLAssinado; }
  // The document as it went to be signed; once signed, the signed text (kept once).
  const std::string& XMLOriginal() const { return FOriginalAssinado ? FXMLAssinado : FXMLOriginal; }
  const std::string& Alertas() const { return FAlertas; }
  const std::string& ErroValidacao() const { return FErroValidacao; }
  const std::string& ErroValidacaoCompleto() const { return FErroValidacaoCompleto; }
  TVersaoReinf VersaoDF() const { return FVersaoDF; }
  void SetVersaoDF(TVersaoReinf value) { FVersaoDF = value; }
  TGerador& Gerador() { return FGerador; }
  TReinfSchema schema() const { return Fschema; }
  void Setschema(TReinfSchema value) { Fschema = value; }
  TReinfComponente& Componente() const { return *FComponente; }

  // Signs the element NomeEvento of the document with the component's certificate ("id" as
  // the identifier attribute, the signature last in the Reinf root) and returns it without the
  // standalone and bare declarations. EReinfException when the configured back-ends cannot make
  // SHA-256 signatures.
  std::string Assinar(const std::string& XMLEvento, const std::string& NomeEvento);
  // Validates XMLAssinado against <schema base name>-v<version>.xsd in the schema folder;
  // EReinfException with the short or the complete text (ExibirErroSchema) on failure.
  void Validar(TReinfSchema Schema);
  // The 36-character identifier: ID, kind, registration, date and time, sequence number. An Id
  // of 36 characters is returned unchanged.
  std::string GerarChaveReinf(DateTime emissao, const std::string& CNPJF, int sequencial);
  // Writes XML to CaminhoArquivo with the extension ".xml", each line ended by CR LF.
  void SaveToFile(const std::string& CaminhoArquivo) const;

 private:
  TReinfComponente* FComponente;
  std::string FXMLAssinado;
  std::string FXMLOriginal;  // only while the document is not signed
  bool FOriginalAssinado = false;
  std::string FAlertas;
  std::string FErroValidacao;
  std::string FErroValidacaoCompleto;
  TVersaoReinf FVersaoDF = TVersaoReinf::v1_03_00;
  TGerador FGerador;
  TReinfSchema Fschema = TReinfSchema::schErro;
  std::string FXML;
};

}  // namespace luvaro::reinf
