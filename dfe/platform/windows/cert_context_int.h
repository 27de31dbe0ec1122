#pragma once

// Private to dfe/platform/windows: the loaded certificate as signing and WinHTTP need it.

#include <memory>

#include "dfe/platform/windows/windows_int.h"

namespace luvaro {

// A certificate context of the store, of an imported PFX or of public DER bytes. `keepAlive`
// holds the temporary store of an imported PFX, whose keys live as long as that store.
struct CertContext {
  // Declared first so that it is destroyed last, after the certificate that depends on it.
  std::shared_ptr<void> keepAlive;
  CertPtr certificate;
};

}  // namespace luvaro
