#pragma once

#include "dfe/dfe_exception.h"
#include "dfe/falha_validacao.h"

namespace luvaro {

// A failure of the eSocial protocol (signing set-up, event or lot validation, requests);
// failures of the framework keep their own classes.
class EeSocialException : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

// A signed event that failed its schema check (or whose schema file is missing): the event
// stays signed in its collection, and the failure says so to the caller.
using EeSocialValidacao = EValidacaoEvento<EeSocialException>;

}  // namespace luvaro
