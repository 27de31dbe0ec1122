#include "dfe/raii/openssl.h"

#include <openssl/err.h>

namespace luvaro {

std::string OpenSslErrors(std::vector<unsigned long>* codes) {
  std::string text;
  const char* file = nullptr;
  const char* func = nullptr;
  const char* data = nullptr;
  int line = 0;
  int flags = 0;
  while (unsigned long code = ERR_get_error_all(&file, &line, &func, &data, &flags)) {
    if (codes != nullptr) codes->push_back(code);
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    if (!text.empty()) text += "; ";
    text += buffer;
    if (data != nullptr && (flags & ERR_TXT_STRING) != 0 && *data != '\0') {
      text += " (";
      text += data;
      text += ')';
    }
  }
  return text;
}

}  // namespace luvaro
