#pragma once

// What the reception and query services of the EFD-Reinf stand-in share: the run's state, the
// clock, identifiers, digests and the signing of replies.

#include <string>
#include <string_view>

#include "tools/sim/esocial_signature.h"
#include "tools/sim/esocial_soap_int.h"
#include "tools/sim/reinf_service.h"
#include "tools/sim/reinf_store.h"
#include "tools/sim/service_util.h"

namespace luvaro::sim::reinf {

using esocial::SoapOperation;

struct ServiceContext {
  const ReinfConfig& config;
  ReinfStore& store;
  const ReplySigner& signer;

  // "ID" + 34 digits: registration type, number (14, zero-filled), the moment, a sequence.
  std::string NovoId(const Inscricao& inscricao, const Momento& momento) const;
  // The document with the service's enveloped signature as its root's last child, its
  // reference naming the element below the root by its id.
  std::string Assinado(const std::string& documento) const;
};

// The two queries of the query service, given the operation's element of the SOAP body (its
// `v1:` children are the request's fields).
HttpReply ConsultarInformacoesConsolidadas(const SoapOperation& operation, xmlNode* pedido,
                                           ServiceContext& context);
HttpReply ConsultarReciboEvento(const SoapOperation& operation, xmlNode* pedido,
                                std::string_view tpEv, ServiceContext& context);

}  // namespace luvaro::sim::reinf
