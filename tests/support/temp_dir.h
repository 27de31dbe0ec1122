#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace luvaro::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// owner goes away. Tests run in parallel, so every program makes its own.
class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "luvaro-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;  // one owner removes the folder
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const noexcept { return m_path; }
  std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

// Whole-file helpers for fixtures and checks.
std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, std::string_view bytes);

// The published schemas: LUVARO_SHARED_SCHEMAS set by ctest, else ../shared/schemas beside the
// source tree.
std::filesystem::path SharedSchemasDir();

// Fills `target` with the eSocial and EFD-Reinf schemas as the program reads them: one folder,
// the eSocial copy of xmldsig-core-schema.xsd winning over the EFD-Reinf one; the simplified
// eSocial layouts' folders (S_01_02_00, S_01_03_00) and the EFD-Reinf 2.1.2 folder (v2_01_02)
// are copied beside, whole.
void CopySchemas(const std::filesystem::path& target);

}  // namespace luvaro::test
