#pragma once

// Owners of libp11 (PKCS#11) handles. Included only by platform .cpp files and private
// (*_int.h) headers, never by a facade, model or interface header.

#include <memory>
#include <span>

#include <dlfcn.h>
#include <libp11.h>

#include "dfe/raii/cfree.h"

namespace luvaro {

inline void CloseLibrary(void* handle) noexcept {
  dlclose(handle);
}
// A dlopen handle.
using DlHandle = std::unique_ptr<void, CFree<&CloseLibrary>>;

// A PKCS11_CTX that is freed (not unloaded: see Pkcs11LoadedModule).
using P11CtxPtr = std::unique_ptr<PKCS11_CTX, CFree<&PKCS11_CTX_free>>;

// A loaded module: the context with its C_Initialize done, and the slot list enumerated from
// it. The destructor releases the slots, then finalizes and unloads the module, then frees the
// context, in that order (every slot, session, key and EVP_PKEY taken from the token must be
// gone by then).
class P11LoadedModule {
 public:
  P11LoadedModule() = default;
  ~P11LoadedModule() { Reset(); }
  P11LoadedModule(const P11LoadedModule&) = delete;  // one owner finalizes the module
  P11LoadedModule& operator=(const P11LoadedModule&) = delete;

  // Takes a context whose PKCS11_CTX_load succeeded.
  void Adopt(P11CtxPtr ctx) {
    Reset();
    m_ctx = std::move(ctx);
  }
  // Enumerates the slots once; -1 on failure (the OpenSSL queue has the detail).
  int EnumerateSlots() {
    if (m_slots != nullptr) return 0;
    return PKCS11_enumerate_slots(m_ctx.get(), &m_slots, &m_nslots);
  }

  PKCS11_CTX* ctx() const noexcept { return m_ctx.get(); }
  std::span<PKCS11_SLOT> slots() const noexcept { return {m_slots, m_slots ? m_nslots : 0}; }

 private:
  void Reset() noexcept {
    if (m_ctx == nullptr) return;
    if (m_slots != nullptr) PKCS11_release_all_slots(m_ctx.get(), m_slots, m_nslots);
    m_slots = nullptr;
    m_nslots = 0;
    PKCS11_CTX_unload(m_ctx.get());
    m_ctx.reset();
  }

  P11CtxPtr m_ctx;
  PKCS11_SLOT* m_slots = nullptr;
  unsigned int m_nslots = 0;
};

}  // namespace luvaro
