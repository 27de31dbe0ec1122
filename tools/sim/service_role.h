#pragma once

// What the roles of the government's web services (esocial, reinf) share: their option files
// and numbers, the body damage they understand and the recording of each reply beside its
// request.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <httplib.h>

#include "tools/sim/sim_options.h"

namespace luvaro::sim {

// The whole file an option names; a UsageError naming the option when it cannot be read.
std::string ReadOptionFile(const std::filesystem::path& file, std::string_view option);
// The value of an option the role cannot run without; a UsageError when missing or empty.
std::string RequiredOption(const Options& options, std::string_view role, std::string_view name);
// A whole number from `min` to `max`, or `fallback` when the option is absent.
int NumberOption(const Options& options, std::string_view name, int fallback, int min, int max);

// The body damage of a service role (--body KIND), applied after the service has taken the
// request, so that a lot may be received although its reply is lost: "soap-fault" (500, SOAP 1.1
// fault "Falha simulada no serviço."), "drop" (the connection is closed before any reply byte),
// "html" (200 with an HTML page).
inline constexpr std::string_view kServiceBodyFaults[] = {"soap-fault", "drop", "html"};
void ApplyServiceBodyFault(std::string_view kind, const httplib::Request& request,
                           httplib::Response& response);

// Keeps a reply beside the request it answers: in the newest recording of this endpoint (see
// Recorder) that has no reply yet and holds this request's body, "reply.txt" gets the status and
// content-type lines and "reply-body" the bytes sent, each written whole (under a temporary name,
// then renamed). Nothing happens without an output folder.
void RecordReply(const std::optional<std::filesystem::path>& output, std::string_view endpoint,
                 const httplib::Request& request, const httplib::Response& response);

}  // namespace luvaro::sim
