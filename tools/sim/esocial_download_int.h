#pragma once

// The identifier-query and download services of the eSocial stand-in: both take a signed request
// document and answer from the events accepted earlier in the same run.

#include <span>

#include "tools/sim/esocial_service.h"
#include "tools/sim/esocial_store.h"
#include "tools/sim/esocial_xml_int.h"

namespace luvaro::sim::esocial {

// What these services use of the running service.
struct ServiceContext {
  SchemaSet& schemas;
  EsocialStore& store;
  const EsocialConfig& config;
};

// Identifiers of accepted events by employer (type and period), table (type, optional key and
// reception interval) or worker (CPF and reception interval); 201 with items, 202 with none, 203
// when more than 50 were found (the first 50 returned).
HttpReply ConsultarIdentificadores(const HttpRequest& request, ServiceContext context);

// Accepted events by identifier or by receipt number: one `arquivo` per requested item, with the
// event as received and its receipt document, or a not-found status.
HttpReply SolicitarDownload(const HttpRequest& request, ServiceContext context);

}  // namespace luvaro::sim::esocial
