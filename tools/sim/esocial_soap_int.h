#pragma once

// SOAP 1.1 as the eSocial services speak it: the checks on a request's content type, action and
// envelope, and the reply and fault envelopes.

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "tools/sim/esocial_service.h"
#include "tools/sim/esocial_xml_int.h"

namespace luvaro::sim::esocial {

inline constexpr std::string_view kSoap11Namespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kSoap12Namespace = "http://www.w3.org/2003/05/soap-envelope";

// One operation of a service: its action, the wrapper elements of its request (matched by local
// name) and the namespace and element of its reply.
struct SoapOperation {
  std::string_view action;
  std::string_view operation;  // request wrapper, such as "EnviarLoteEventos"
  std::string_view parameter;  // its parameter element, such as "loteEventos"
  std::string_view responseNamespace;
};

struct SoapRequest {
  XmlDoc doc;
  const SoapOperation* operation = nullptr;
  // The document inside the parameter element; null when the wrapper or parameter is missing or
  // empty (the service then sees a null message, as a real one does).
  xmlNode* payload = nullptr;
};

// The request, or the HTTP reply that refuses it: 405 for a method other than POST, 415 for a
// content type other than text/xml, 500 ActionNotSupported for an action the path does not
// serve, 400 for a body that is not a SOAP envelope, 500 VersionMismatch for SOAP 1.2.
std::variant<SoapRequest, HttpReply> ReadSoapRequest(const HttpRequest& request,
                                                     std::span<const SoapOperation> operations);

// The reply envelope: <Operation>Response and <Operation>Result around the payload, in the
// operation's namespace (default namespace, or the prefix "v1" when `prefixed`).
HttpReply SoapResult(const SoapOperation& operation, std::string_view payload, bool prefixed);

// A SOAP 1.1 fault. `faultCode` is written as is inside faultcode (with its own namespace
// declaration when it uses a prefix other than "s").
HttpReply SoapFault(int status, std::string_view faultCode, std::string_view faultCodeNamespace,
                    std::string_view text);

}  // namespace luvaro::sim::esocial
