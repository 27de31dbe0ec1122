// Text conversions and error texts shared by the Windows platform files.

#include "dfe/platform/windows/windows_text.h"

#include <cstdio>

namespace luvaro {

std::wstring Utf16(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::string Hex8(unsigned long code) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", code & 0xFFFFFFFFUL);
  return text;
}

std::string SystemMessage(unsigned long code, HMODULE module) {
  wchar_t* buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
      (module != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
  const DWORD length =
      FormatMessageW(flags, module, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return {};
  std::wstring text(buffer, length);
  LocalFree(buffer);
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\r' || c == L'\n' || c == L'\t'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && text[start] == L' ') ++start;
  return Utf8(text.substr(start));
}

}  // namespace luvaro
