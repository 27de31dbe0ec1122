// The process-wide state on Windows: the token state of the CryptoAPI store (WinHTTP needs no
// global initialisation).

#include "dfe/ssl/ambiente_plataforma.h"

#include "dfe/platform/windows/token_environment.h"

namespace luvaro {

struct AmbientePlataforma::Impl {
  TokenEnvironment tokens;
};

AmbientePlataforma::AmbientePlataforma() : m_impl(std::make_unique<Impl>()) {}
AmbientePlataforma::~AmbientePlataforma() = default;

TokenEnvironment& AmbientePlataforma::Tokens() {
  return m_impl->tokens;
}

}  // namespace luvaro
