#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace luvaro {

// A secret (PIN, PFX password) whose bytes are wiped when it is replaced or destroyed.
// Never logged, never put into an exception text or a file.
class SecureString {
 public:
  SecureString() = default;
  explicit SecureString(std::string_view text) : m_value(text) {}
  explicit SecureString(const char* text) : m_value(text) {}
  // Takes over a clear text that some function handed out, wiping the caller's copy.
  explicit SecureString(std::string&& text) : m_value(text) { wipe(text); }
  SecureString(const SecureString& other) : m_value(other.m_value) {}
  SecureString(SecureString&& other) noexcept : m_value(other.m_value) { other.wipe(); }
  SecureString& operator=(const SecureString& other) {
    if (this != &other) {
      wipe();
      m_value = other.m_value;
    }
    return *this;
  }
  SecureString& operator=(SecureString&& other) noexcept {
    if (this != &other) {
      wipe();
      m_value = std::move(other.m_value);
      other.wipe();
    }
    return *this;
  }
  ~SecureString() { wipe(); }

  const std::string& str() const noexcept { return m_value; }
  bool empty() const noexcept { return m_value.empty(); }
  std::size_t size() const noexcept { return m_value.size(); }

  void wipe() noexcept { wipe(m_value); }

  friend bool operator==(const SecureString& a, std::string_view b) noexcept {
    return std::string_view(a.m_value) == b;
  }

 private:
  // Zeroes every byte the text's buffer holds, the spare capacity too (a short text lives in
  // the string object itself, and moving or clearing it leaves the bytes there).
  static void wipe(std::string& text) noexcept {
    text.resize(text.capacity());
    volatile char* p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
  }

  std::string m_value;
};

}  // namespace luvaro
