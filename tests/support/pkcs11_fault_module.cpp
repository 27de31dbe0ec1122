// A PKCS#11 module for tests that puts failures in front of a real module. It forwards every
// call to the module named by LUVARO_TEST_P11_MODULE (SoftHSM2), except for the failures that
// LUVARO_TEST_P11_FAULTS names (read at each call):
//  - "slotinfo": a caller that asks for the function list while the module is initialised
//    (anyone but the loader, which initialises it and enumerates the slots) gets a list whose
//    C_GetSlotInfo fails;
//  - "keys": every search for private-key objects fails with CKR_DEVICE_ERROR;
//  - "contextpin": every context-specific login (the PIN a key asks for at each use) is
//    refused with CKR_PIN_INCORRECT, as a card whose signing PIN differs from its user PIN.

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include <p11-kit-1/p11-kit/pkcs11.h>

namespace {

CK_FUNCTION_LIST_PTR g_real = nullptr;
CK_FUNCTION_LIST g_forward{};     // the real list with the wrappers below
CK_FUNCTION_LIST g_noSlotInfo{};  // the same, with C_GetSlotInfo failing
bool g_initialised = false;

bool Fault(const char* name) {
  const char* faults = std::getenv("LUVARO_TEST_P11_FAULTS");
  return faults != nullptr && std::strstr(faults, name) != nullptr;
}

CK_RV Initialize(CK_VOID_PTR args) {
  const CK_RV rv = g_real->C_Initialize(args);
  if (rv == CKR_OK || rv == CKR_CRYPTOKI_ALREADY_INITIALIZED) g_initialised = true;
  return rv;
}

CK_RV Finalize(CK_VOID_PTR reserved) {
  g_initialised = false;
  return g_real->C_Finalize(reserved);
}

CK_RV FailingSlotInfo(CK_SLOT_ID, CK_SLOT_INFO_PTR) {
  return CKR_FUNCTION_FAILED;
}

CK_RV FindObjectsInit(CK_SESSION_HANDLE session, CK_ATTRIBUTE_PTR templ, CK_ULONG count) {
  if (Fault("keys")) {
    for (CK_ULONG i = 0; i < count; ++i) {
      if (templ[i].type != CKA_CLASS || templ[i].ulValueLen != sizeof(CK_OBJECT_CLASS)) continue;
      CK_OBJECT_CLASS objectClass = 0;
      std::memcpy(&objectClass, templ[i].pValue, sizeof objectClass);
      if (objectClass == CKO_PRIVATE_KEY) return CKR_DEVICE_ERROR;
    }
  }
  return g_real->C_FindObjectsInit(session, templ, count);
}

CK_RV Login(CK_SESSION_HANDLE session, CK_USER_TYPE userType, CK_UTF8CHAR_PTR pin,
            CK_ULONG pinLength) {
  if (userType == CKU_CONTEXT_SPECIFIC && Fault("contextpin")) return CKR_PIN_INCORRECT;
  return g_real->C_Login(session, userType, pin, pinLength);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) CK_RV C_GetFunctionList(
    CK_FUNCTION_LIST_PTR_PTR list) {
  if (list == nullptr) return CKR_ARGUMENTS_BAD;
  if (g_real == nullptr) {
    const char* path = std::getenv("LUVARO_TEST_P11_MODULE");
    void* library = path != nullptr ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
    auto get = library != nullptr
                   ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(library, "C_GetFunctionList"))
                   : nullptr;
    if (get == nullptr || get(&g_real) != CKR_OK || g_real == nullptr) {
      g_real = nullptr;
      return CKR_GENERAL_ERROR;
    }
    g_forward = *g_real;
    g_forward.C_Initialize = Initialize;
    g_forward.C_Finalize = Finalize;
    g_forward.C_FindObjectsInit = FindObjectsInit;
    g_forward.C_Login = Login;
    g_noSlotInfo = g_forward;
    g_noSlotInfo.C_GetSlotInfo = FailingSlotInfo;
  }
  *list = g_initialised && Fault("slotinfo") ? &g_noSlotInfo : &g_forward;
  return CKR_OK;
}
