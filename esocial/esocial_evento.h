#pragma once

#include <string>

#include "dfe/gravacao_incremental.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/gerador.h"
#include "esocial/esocial_conversao.h"

namespace luvaro {

class TDFeComponente;
class TeSocialComponente;

// What every eSocial object with an identifier has.
class TeSocial {
 public:
  virtual ~TeSocial() = default;

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

// The base of every eSocial event object: it holds one event document and signs it, reads its
// identifier, validates it against the event's schema, builds identifiers and saves the
// document. Each event type is a class of its own (esocial/eventos/), which later carries the
// type's data model, builder and INI reader.
class TeSocialEvento : public TeSocial {
 public:
  // EDFeException "Parâmetro AeSocial precisa ser do tipo TeSocialComponente." when the owner
  // is not an eSocial component. The owner is borrowed and outlives the event.
  TeSocialEvento(TDFeComponente* AeSocial, TeSocialSchema ASchema);
  ~TeSocialEvento() override;
  TeSocialEvento(const TeSocialEvento&) = delete;  // bound to its component and collection
  TeSocialEvento& operator=(const TeSocialEvento&) = delete;

  // The event class's name, as the type table names it.
  virtual std::string ClassName() const = 0;
  // Builds, signs and validates the document from the event's data. The event classes
  // override it with their builders; the base has no data and produces nothing.
  virtual bool GerarXML();
  // Fills the event's data from INI text (or from the INI file a one-line text names) and
  // builds it. The event classes override it with their readers; the base reads nothing.
  virtual bool LerArqIni(const std::string& AIniString);

  const std::string& XML() const { return FXML; }
  // Stores the document and, unless it is signed already, signs it, reads Id and validates
  // it. A failure leaves XML as far as it got (as delivered, or signed) and propagates.
  void SetXML(const std::string& Value);

  const std::string& XMLAssinado() const { return FXMLAssinado; }
  // The document as it went to be signed; once signed, the signed text (kept once).
  const std::string& XMLOriginal() const { return FOriginalAssinado ? FXMLAssinado : FXMLOriginal; }
  const std::string& Alertas() const { return FAlertas; }
  const std::string& ErroValidacao() const { return FErroValidacao; }
  const std::string& ErroValidacaoCompleto() const { return FErroValidacaoCompleto; }
  TVersaoeSocial VersaoDF() const { return FVersaoDF; }
  void SetVersaoDF(TVersaoeSocial value) { FVersaoDF = value; }
  TGerador& Gerador() { return FGerador; }
  const TGerador& Gerador() const { return FGerador; }
  TeSocialSchema schema() const { return Fschema; }
  void Setschema(TeSocialSchema value) { Fschema = value; }
  TeSocialComponente& Owner() const { return *FPeSocial; }

  // Signs the document with the component's certificate (the whole document, "ID" as the
  // identifier attribute) and returns it without the standalone and bare declarations.
  std::string Assinar(const std::string& XMLEvento, const std::string& NomeEvento);
  // Validates XMLAssinado against <schema base name>-v<version>.xsd in the schema folder;
  // EeSocialException with the short or the complete text (ExibirErroSchema) on failure.
  void Validar(TeSocialSchema Schema);
  // The 36-character identifier: ID, kind, registration, date and time, sequence number. An Id
  // of 36 characters is returned unchanged.
  std::string GerarChaveEsocial(DateTime emissao, const std::string& CNPJF, int sequencial);
  // Writes XML to CaminhoArquivo with the extension ".xml", each line ended by CR LF.
  void SaveToFile(const std::string& CaminhoArquivo) const;
  // SaveToFile, unless the file is the one this event last wrote and the document has not
  // changed since; whether it wrote.
  bool SaveToFileSeAlterado(const std::string& CaminhoArquivo) const;

 private:
  TeSocialComponente* FPeSocial;
  std::string FXMLAssinado;
  std::string FXMLOriginal;  // only while the document is not signed
  bool FOriginalAssinado = false;
  std::string FAlertas;
  std::string FErroValidacao;
  std::string FErroValidacaoCompleto;
  TVersaoeSocial FVersaoDF = TVersaoeSocial::ve02_04_01;
  TGerador FGerador;
  TeSocialSchema Fschema;
  std::string FXML;
  mutable TUltimaGravacao FGravacao;  // the document's changes and its last write
};

}  // namespace luvaro
