#include "tools/sim/esocial_soap_int.h"

#include <algorithm>
#include <cctype>

#include "tools/sim/esocial_xml_text.h"

namespace luvaro::sim::esocial {
namespace {

constexpr std::string_view kAddressingNone =
    "http://schemas.microsoft.com/ws/2005/05/addressing/none";

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// The action as the header carries it: SOAP 1.1 puts it between double quotes.
std::string_view Action(std::string_view header) {
  header = Trim(header);
  if (header.size() >= 2 && header.front() == '"' && header.back() == '"') {
    header = header.substr(1, header.size() - 2);
  }
  return header;
}

HttpReply BadRequest(std::string_view text) {
  return SoapFault(400, "s:Client", {}, text);
}

}  // namespace

std::variant<SoapRequest, HttpReply> ReadSoapRequest(const HttpRequest& request,
                                                     std::span<const SoapOperation> operations) {
  if (request.method != "POST") {
    return HttpReply{405, "text/plain; charset=utf-8", "Method Not Allowed"};
  }
  if (Lower(request.contentType).find("text/xml") == std::string::npos) {
    return HttpReply{415, "text/plain; charset=utf-8",
                     "Cannot process the message because the content type '" + request.contentType +
                         "' was not the expected type 'text/xml; charset=utf-8'."};
  }
  const std::string_view action = Action(request.soapAction);
  auto op = std::find_if(operations.begin(), operations.end(),
                         [&](const SoapOperation& o) { return o.action == action; });
  if (op == operations.end()) {
    return SoapFault(
        500, "a:ActionNotSupported", kAddressingNone,
        "The message with Action '" + std::string(action) +
            "' cannot be processed at the receiver, due to a ContractFilter mismatch at the "
            "EndpointDispatcher. This may be because of either a contract mismatch (mismatched "
            "Actions between sender and receiver) or a binding/security mismatch between the "
            "sender and the receiver.  Check that sender and receiver have the same contract and "
            "the same binding (including security requirements, e.g. Message, Transport, None).");
  }
  ParsedXml parsed = ParseXml(request.body);
  if (!parsed.doc) return BadRequest("Mensagem SOAP inválida: " + parsed.error);
  xmlNode* envelope = xmlDocGetRootElement(parsed.doc.get());
  if (LocalName(envelope) == "Envelope" && NamespaceUri(envelope) == kSoap12Namespace) {
    return SoapFault(500, "s:VersionMismatch", {},
                     "A versão do envelope SOAP não é suportada: use SOAP 1.1 (" +
                         std::string(kSoap11Namespace) + ").");
  }
  if (LocalName(envelope) != "Envelope" || NamespaceUri(envelope) != kSoap11Namespace) {
    return BadRequest("A mensagem não é um envelope SOAP 1.1.");
  }
  xmlNode* body = ChildElement(envelope, "Body");
  if (!body || NamespaceUri(body) != kSoap11Namespace) {
    return BadRequest("O envelope SOAP não contém o elemento Body.");
  }
  SoapRequest soap;
  soap.operation = &*op;
  xmlNode* wrapper = FirstElement(body);
  if (LocalName(wrapper) == op->operation) {
    soap.payload = FirstElement(ChildElement(wrapper, op->parameter));
  }
  soap.doc = std::move(parsed.doc);
  return soap;
}

HttpReply SoapResult(const SoapOperation& operation, std::string_view payload, bool prefixed) {
  const std::string response = std::string(operation.operation) + "Response";
  const std::string result = std::string(operation.operation) + "Result";
  const std::string prefix = prefixed ? "v1:" : "";
  XmlText xml;
  xml.Open("s:Envelope", {{"xmlns:s", std::string(kSoap11Namespace)}})
      .Open("s:Body")
      .Open(prefix + response,
            {{prefixed ? "xmlns:v1" : "xmlns", std::string(operation.responseNamespace)}})
      .Open(prefix + result)
      .Raw(payload);
  return HttpReply{200, "text/xml; charset=utf-8", xml.Take()};
}

HttpReply SoapFault(int status, std::string_view faultCode, std::string_view faultCodeNamespace,
                    std::string_view text) {
  XmlText xml;
  xml.Open("s:Envelope", {{"xmlns:s", std::string(kSoap11Namespace)}})
      .Open("s:Body")
      .Open("s:Fault");
  if (faultCodeNamespace.empty()) {
    xml.Open("faultcode");
  } else {
    xml.Open("faultcode", {{"xmlns:a", std::string(faultCodeNamespace)}});
  }
  xml.Raw(EscaparTextoXML(faultCode)).Close();
  xml.Open("faultstring", {{"xml:lang", "pt-BR"}}).Raw(EscaparTextoXML(text));
  return HttpReply{status, "text/xml; charset=utf-8", xml.Take()};
}

}  // namespace luvaro::sim::esocial
