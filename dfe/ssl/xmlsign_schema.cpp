// Compiled XML schemas, kept per file while the file stays the same.

#include <system_error>

#include "dfe/ssl/xmlsign_int.h"

namespace fs = std::filesystem;

namespace luvaro {

namespace {

constexpr char kMsgContextoParser[] =
    "Error: não foi possivel criar um contexto de validação para o Schema";
constexpr char kMsgSchemaInvalido[] = "Erro: Schema inválido";

SchemaCache::Resultado Compilar(const std::string& arquivo) {
  // Imports and includes resolve inside the schema's own folder, and only there.
  std::error_code erro;
  const fs::path pasta = fs::absolute(fs::path(arquivo), erro).parent_path();
  const SchemaLoadScope escopo(erro ? fs::path(arquivo).parent_path() : pasta);

  const XmlSchemaParserCtxtPtr parser(xmlSchemaNewParserCtxt(arquivo.c_str()));
  if (!parser) return {nullptr, kMsgContextoParser};
  XmlSchemaPtr schema(xmlSchemaParse(parser.get()));
  if (!schema) return {nullptr, kMsgSchemaInvalido};
  return {std::shared_ptr<xmlSchema>(std::move(schema)), {}};
}

}  // namespace

SchemaCache::Resultado SchemaCache::Obter(const std::string& arquivo) {
  // Keyed by the absolute path as written, not by the canonical one: resolving every folder
  // of the path costs a system call each, on every event. The time and size below follow
  // links, so a file replaced behind a link is still compiled again.
  std::error_code erro;
  const fs::path caminho = fs::absolute(fs::path(arquivo), erro).lexically_normal();
  const fs::file_time_type modificado =
      erro ? fs::file_time_type() : fs::last_write_time(caminho, erro);
  const std::uintmax_t tamanho = erro ? 0 : fs::file_size(caminho, erro);
  // A file that cannot be examined is compiled each time (and its failure reported).
  if (erro) return Compilar(arquivo);

  const std::string chave = caminho.string();
  {
    const std::lock_guard trava(m_schemasMutex);
    if (const auto achado = m_schemas.find(chave); achado != m_schemas.end() &&
                                                   achado->second.modificado == modificado &&
                                                   achado->second.tamanho == tamanho)
      return {achado->second.schema, {}};
  }

  Resultado resultado = Compilar(arquivo);
  if (resultado.schema) {
    const std::lock_guard trava(m_schemasMutex);
    if (m_schemas.size() >= kMaxEntradas) m_schemas.clear();
    m_schemas[chave] = Entrada{modificado, tamanho, resultado.schema};
  }
  return resultado;
}

}  // namespace luvaro
