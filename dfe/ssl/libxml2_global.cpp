#include "dfe/ssl/libxml2_global.h"

#include <algorithm>
#include <cctype>
#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/uri.h>

#include "dfe/dfe_exception.h"
#include "dfe/raii/libxml2.h"
#include "dfe/ssl/xmlsign_int.h"

namespace fs = std::filesystem;

namespace luvaro {

namespace {

// The process-wide flag: set by the one LibXml2Global while it lives.
std::atomic<bool> gInicializada{false};
// The loader libxml2 had before ours; ours hands it the loads it allows. Written only by
// LibXml2Global's constructor and destructor, before and after the threads.
xmlExternalEntityLoader gCarregadorPadrao = nullptr;
// The folder the calling thread may read schema files from (SchemaLoadScope); none outside
// a schema compilation.
thread_local const fs::path* tPastaSchemas = nullptr;

// libxml2's generic error printer, silenced: operations collect errors through ErrorCapture.
void DescartarErro(void*, const char*, ...) {}
void DescartarErroEstruturado(void*, xmlErrorPtr) {}

// The local file a URL names; nothing for a network URL or any other scheme.
std::optional<fs::path> ArquivoLocal(std::string_view url) {
  // "file:///pasta", "file://localhost/pasta" and "file:/pasta" (libxml2's form on Windows,
  // "file:/C:/pasta").
  constexpr std::string_view kFile = "file:";
  if (url.substr(0, kFile.size()) == kFile) {
    url.remove_prefix(kFile.size());
    if (url.substr(0, 2) == "//") {
      url.remove_prefix(2);
      if (url.substr(0, 9) == "localhost") url.remove_prefix(9);
    }
    if (url.empty() || url.front() != '/') return std::nullopt;
    const std::string codificado(url);
    XmlCharPtr decodificado(
        reinterpret_cast<xmlChar*>(xmlURIUnescapeString(codificado.c_str(), 0, nullptr)));
    if (!decodificado) return std::nullopt;
    std::string_view caminho(reinterpret_cast<const char*>(decodificado.get()));
    // "/C:/pasta" is the drive's folder "C:/pasta".
    if (caminho.size() > 2 && caminho[2] == ':' &&
        std::isalpha(static_cast<unsigned char>(caminho[1])))
      caminho.remove_prefix(1);
    return fs::path(caminho);
  }
  // A scheme ("http:", "ftp:", ...) is a colon before the first slash; a drive letter is not.
  const auto doisPontos = url.find(':');
  const bool unidade = doisPontos == 1 && std::isalpha(static_cast<unsigned char>(url[0]));
  if (doisPontos != std::string_view::npos && doisPontos < url.find_first_of("/\\") && !unidade)
    return std::nullopt;
  std::error_code erro;
  fs::path caminho = fs::absolute(fs::path(url), erro);
  if (erro) return std::nullopt;
  return caminho;
}

bool DentroDaPasta(const fs::path& arquivo, const fs::path& pasta) {
  std::error_code erro;
  const fs::path real = fs::weakly_canonical(arquivo, erro);
  if (erro) return false;
  const auto [fimPasta, fimArquivo] =
      std::mismatch(pasta.begin(), pasta.end(), real.begin(), real.end());
  return fimPasta == pasta.end() && fimArquivo != real.end();
}

// Every external entity, DTD and schema file goes through here. Only files inside the folder
// of the schema being compiled on this thread are read; everything else is refused.
xmlParserInputPtr CarregarEntidadeExterna(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
  if (url == nullptr || tPastaSchemas == nullptr) return nullptr;
  try {
    const std::optional<fs::path> arquivo = ArquivoLocal(url);
    if (!arquivo || !DentroDaPasta(*arquivo, *tPastaSchemas)) return nullptr;
  } catch (const std::exception&) {
    // No exception may cross into libxml2; a path that cannot be examined is refused.
    return nullptr;
  }
  return gCarregadorPadrao(url, id, ctxt);
}

}  // namespace

LibXml2Global::LibXml2Global() {
  if (gInicializada.exchange(true))
    throw EDFeException("A biblioteca libxml2 já foi inicializada neste processo");
  xmlInitParser();
  gCarregadorPadrao = xmlGetExternalEntityLoader();
  xmlSetExternalEntityLoader(&CarregarEntidadeExterna);
  // This thread, and the default for every thread created afterwards.
  xmlSetGenericErrorFunc(nullptr, &DescartarErro);
  xmlThrDefSetGenericErrorFunc(nullptr, &DescartarErro);
  xmlSetStructuredErrorFunc(nullptr, &DescartarErroEstruturado);
  xmlThrDefSetStructuredErrorFunc(nullptr, &DescartarErroEstruturado);
}

LibXml2Global::~LibXml2Global() {
  xmlThrDefSetStructuredErrorFunc(nullptr, nullptr);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  xmlThrDefSetGenericErrorFunc(nullptr, nullptr);
  xmlSetGenericErrorFunc(nullptr, nullptr);
  xmlSetExternalEntityLoader(gCarregadorPadrao);
  gCarregadorPadrao = nullptr;
  xmlCleanupParser();
  gInicializada = false;
}

bool LibXml2Global::Inicializada() noexcept {
  return gInicializada.load();
}

void InicializarLibXml2() {
  if (!LibXml2Global::Inicializada())
    throw EDFeException("Erro: a biblioteca libxml2 não foi inicializada pelo programa");
}

SchemaLoadScope::SchemaLoadScope(const fs::path& folder) : m_previous(tPastaSchemas) {
  std::error_code erro;
  m_folder = fs::weakly_canonical(folder, erro);
  if (erro) m_folder = folder;
  tPastaSchemas = &m_folder;
}

SchemaLoadScope::~SchemaLoadScope() {
  tPastaSchemas = m_previous;
}

}  // namespace luvaro
