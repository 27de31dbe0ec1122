// The process-wide state on Linux: libcurl's global initialisation, then the PKCS#11 module.

#include "dfe/ssl/ambiente_plataforma.h"

#include "dfe/platform/linux/token_environment.h"
#include "dfe/raii/curl.h"

namespace luvaro {

struct AmbientePlataforma::Impl {
  CurlGlobal curl;
  TokenEnvironment tokens{TokenEnvironment::ModuleFromEnvironment()};
};

AmbientePlataforma::AmbientePlataforma() : m_impl(std::make_unique<Impl>()) {}
AmbientePlataforma::~AmbientePlataforma() = default;

TokenEnvironment& AmbientePlataforma::Tokens() {
  return m_impl->tokens;
}

}  // namespace luvaro
