#pragma once

#include <string>

#include "dfe/server_identity.h"
#include "update/versao.h"

namespace luvaro {

// Asks the update server for the latest version: a GET of pUrl with the headers the server
// expects, redirects followed, 15 s read time-out. Needs status 200 and a body that
// LerResultVersao accepts; otherwise throws EDFeException with the transport's text (the
// identity message of a server pIdentidade refuses), the status and reason phrase ("404 - Not
// Found"), or what is wrong with the body.
TResultVersao ConsultarVersao(const std::string& pUrl, const ServerIdentityCheck& pIdentidade);

}  // namespace luvaro
