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
  SecureString(const SecureString& other) : m_value(other.m_value) {}
  SecureString(SecureString&& other) noexcept : m_value(std::move(other.m_value)) { other.wipe(); }
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

  void wipe() noexcept {
    volatile char* p = m_value.data();
    for (std::size_t i = 0; i < m_value.size(); ++i) p[i] = 0;
    m_value.clear();
  }

 private:
  std::string m_value;
};

}  // namespace luvaro
