#pragma once

#include <string>
#include <utility>

namespace luvaro {

// What the failed schema check of a signed event tells beyond its protocol exception's text:
// the complete text (the validator's own message included, whatever ExibirErroSchema says) and
// whether the schema file was missing, so that nothing was checked at all. The events'
// validation exceptions carry it beside their protocol class; a caller that sends such an event
// anyway (the service judges it) logs the text, and passes over a schema that does not exist.
// Not an exception itself: handlers catch the protocol class and ask for this part.
class TFalhaValidacao {
 public:
  TFalhaValidacao(std::string pDetalhe, bool pSchemaAusente)
      : FDetalhe(std::move(pDetalhe)), FSchemaAusente(pSchemaAusente) {}
  virtual ~TFalhaValidacao() = default;

  const std::string& Detalhe() const noexcept { return FDetalhe; }
  bool SchemaAusente() const noexcept { return FSchemaAusente; }

 private:
  std::string FDetalhe;
  bool FSchemaAusente;
};

// The validation failure of one protocol: its exception class (EBase) with the part above.
template <class EBase>
class EValidacaoEvento final : public EBase, public TFalhaValidacao {
 public:
  EValidacaoEvento(const std::string& pMensagem, std::string pDetalhe, bool pSchemaAusente)
      : EBase(pMensagem), TFalhaValidacao(std::move(pDetalhe), pSchemaAusente) {}
};

}  // namespace luvaro
