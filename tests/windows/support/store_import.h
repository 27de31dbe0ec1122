#pragma once

#include <filesystem>
#include <string>

namespace luvaro::test {

// The certificates made by tests/windows/make-certs.sh for this run (LUVARO_TEST_CERTS).
std::filesystem::path CertsDir();

// One line of the certificates' manifest.
struct TestCertificate {
  std::string name;
  std::string serial;  // upper-case hexadecimal, as openssl prints it
  std::string sha1;
};
TestCertificate Certificate(const std::string& name);

// Imports <name>.pfx of CertsDir() into the current user's "My" store, as a user's import
// leaves a certificate there: the certificate with its key provider information, the key in a
// container of its own. Wine's PFX import puts every key into one shared container of a
// provider that knows no SHA-2, so the key is moved into a container named after the
// certificate in the RSA-AES provider (AT_KEYEXCHANGE) before the certificate is added; a copy
// already in the store is replaced.
void ImportarNoMy(const std::string& name);

// Removes the certificate with that serial number from "My" (nothing when absent).
void RemoverDoMy(const std::string& serial);

}  // namespace luvaro::test
