#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "esocial/esocial_componente.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

// The event documents of tests/fixtures/esocial: real-shaped 2.5.00 events, unsigned.
struct FixtureEvento {
  std::string arquivo;
  TTipoEvento tipo;
  std::string id;
};
const std::vector<FixtureEvento>& FixturesEvento();
std::string LerFixtureEsocial(std::string_view nome);

// The published schemas, copied once into this program's temporary folder.
const std::filesystem::path& PastaSchemas();

// A component as the eSocial worker sets it (libWinCrypt back-ends, libxml2 signing, schema
// errors not shown), with its files under `pasta`, the schemas above and layout 2.5.00.
// With `chaveEmSoftware`, the crypto back-end is the tests' in-memory key, so that signing
// needs no token.
std::unique_ptr<TeSocialComponente> NovoComponente(const std::filesystem::path& pasta,
                                                   bool chaveEmSoftware = true);

// A document that counts as signed already (it holds a Signature element), so loading keeps
// it as it is: tests of the container and the lot that need no certificate use it.
std::string DocumentoAssinado(std::string_view elemento, std::string_view id,
                              std::string_view conteudo = "<x>1</x>");

// xmlsec1's verdict on a signed document, with the public key of the certificate `certPem`.
ProcessResult VerificarXmlsec(const std::filesystem::path& arquivo,
                              const std::filesystem::path& certPem);
// xmllint's verdict on a document against a schema file of PastaSchemas().
ProcessResult ValidarXmllint(const std::filesystem::path& arquivo, const std::string& schema);

// The files of a folder (names only), sorted.
std::vector<std::string> Arquivos(const std::filesystem::path& pasta);

}  // namespace luvaro::test
