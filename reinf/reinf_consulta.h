#pragma once

#include <string>

#include "dfe/xml/data_hora.h"
#include "dfe/xml/gerador.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

// The request of the event-receipt query: the "consultar" group with the event type, the
// contributor and the fields the type needs, every element with the prefix "v1:".
class TReinfConsulta {
 public:
  TReinfConsulta() { FGerador.SetPrefixo("v1:"); }

  TGerador& Gerador() { return FGerador; }
  const std::string& SoapEnvelopeAtributtes() const { return FSoapEnvelopeAtributtes; }
  void SetSoapEnvelopeAtributtes(const std::string& value) { FSoapEnvelopeAtributtes = value; }
  TTipoEvento tipoEvento() const { return FtipoEvento; }
  void SettipoEvento(TTipoEvento value) { FtipoEvento = value; }
  const std::string& nrInscContrib() const { return FnrInscContrib; }
  void SetnrInscContrib(const std::string& value) { FnrInscContrib = value; }
  const std::string& nrInscEstab() const { return FnrInscEstab; }
  void SetnrInscEstab(const std::string& value) { FnrInscEstab = value; }
  const std::string& perApur() const { return FperApur; }
  void SetperApur(const std::string& value) { FperApur = value; }
  const std::string& cnpjPrestador() const { return FcnpjPrestador; }
  void SetcnpjPrestador(const std::string& value) { FcnpjPrestador = value; }
  const std::string& nrInscTomador() const { return FnrInscTomador; }
  void SetnrInscTomador(const std::string& value) { FnrInscTomador = value; }
  DateTime dtApur() const { return FdtApur; }
  void SetdtApur(DateTime value) { FdtApur = value; }

  // Writes the request into Gerador; true when the writer recorded no alert. A 14-character
  // registration is sent as its 8-character root with type "1" (which the writer reports as
  // shorter than the minimum while still writing it); any other as it is, with type "2".
  bool GerarXML();

 private:
  TGerador FGerador;
  std::string FSoapEnvelopeAtributtes;
  TTipoEvento FtipoEvento = TTipoEvento::teR1000;
  std::string FnrInscContrib;
  std::string FnrInscEstab;
  std::string FperApur;
  std::string FcnpjPrestador;
  std::string FnrInscTomador;
  DateTime FdtApur = 0;
};

}  // namespace luvaro::reinf
