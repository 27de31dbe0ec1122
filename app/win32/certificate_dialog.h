#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dfe/front.h"

namespace luvaro {

// The system's certificate selection dialog (cryptui) over the certificates of the user's "My"
// store that `certificates` names (those with a private key), owned by no window. The chosen
// certificate's serial number, as `certificates` writes it; nothing when the user cancelled.
// Throws EDFeException when the store cannot be opened.
std::optional<std::string> SelecionarCertificadoDoStore(
    const std::string& title, const std::string& prompt,
    const std::vector<CertificateChoice>& certificates);

}  // namespace luvaro
