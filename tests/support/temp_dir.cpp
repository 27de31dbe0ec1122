#include "tests/support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace luvaro::test {

TempDir::TempDir(std::string_view prefix) {
  // A random name that nobody has taken: create_directory fails on an existing folder.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(random()));
    const fs::path candidate = fs::temp_directory_path() / (std::string(prefix) + suffix);
    if (fs::create_directory(candidate)) {
      fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace);
      m_path = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder for " + std::string(prefix));
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(m_path, ec);
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& file, std::string_view bytes) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + file.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path SharedSchemasDir() {
  if (const char* env = std::getenv("LUVARO_SHARED_SCHEMAS"); env && *env) return env;
  return fs::path(LUVARO_SOURCE_DIR) / ".." / "shared" / "schemas";
}

void CopySchemas(const fs::path& target) {
  const fs::path shared = SharedSchemasDir();
  fs::create_directories(target);
  // EFD-Reinf first, then eSocial overwriting, so the full W3C xmldsig schema wins.
  for (const char* system : {"reinf", "esocial"}) {
    for (const auto& entry : fs::directory_iterator(shared / system)) {
      if (entry.path().extension() != ".xsd") continue;
      fs::copy_file(entry.path(), target / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
    }
  }
  // The simplified eSocial layouts keep their files in a folder per version (their files
  // include that version's tipos.xsd), and the eSocial stand-in looks them up there.
  for (const auto& entry : fs::directory_iterator(shared / "esocial")) {
    if (!entry.is_directory() || !entry.path().filename().string().starts_with("S_")) continue;
    fs::copy(entry.path(), target / entry.path().filename(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  // So do the EFD-Reinf layouts of the asynchronous lots (v2_01_02).
  for (const auto& entry : fs::directory_iterator(shared / "reinf")) {
    if (!entry.is_directory() || !entry.path().filename().string().starts_with("v2_")) continue;
    fs::copy(entry.path(), target / entry.path().filename(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
}

}  // namespace luvaro::test
