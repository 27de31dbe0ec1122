#include "esocial/esocial_evento.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <random>

#include "dfe/gravar_arquivo.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/leitor.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_exception.h"

namespace luvaro {
namespace {

constexpr std::string_view kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The document holds a "<signature" element in any letter case (the name ends there: a
// "<SignatureValue" alone is no signature); searched in place, as a lot of a thousand
// documents would otherwise copy each one just to lower its case.
bool TemAssinatura(std::string_view documento) {
  constexpr std::string_view kMarca = "<signature";
  const auto igual = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  };
  for (auto it = documento.begin();; ++it) {
    it = std::search(it, documento.end(), kMarca.begin(), kMarca.end(), igual);
    if (it == documento.end()) return false;
    const auto depois = it + static_cast<std::ptrdiff_t>(kMarca.size());
    if (depois == documento.end() || *depois == '>' || *depois == '/' ||
        std::isspace(static_cast<unsigned char>(*depois)))
      return true;
  }
}

// The number zero-padded to `largura` digits; a longer one keeps only its last digits.
std::string numero(long long valor, std::size_t largura) {
  std::string texto = std::to_string(valor < 0 ? -valor : valor);
  if (texto.size() > largura) return texto.substr(texto.size() - largura);
  return std::string(largura - texto.size(), '0') + texto;
}

}  // namespace

TeSocialEvento::TeSocialEvento(TDFeComponente* AeSocial, TeSocialSchema ASchema)
    : FPeSocial(dynamic_cast<TeSocialComponente*>(AeSocial)), Fschema(ASchema) {
  if (FPeSocial == nullptr) {
    throw EDFeException("Parâmetro AeSocial precisa ser do tipo TeSocialComponente.");
  }
}

TeSocialEvento::~TeSocialEvento() = default;

bool TeSocialEvento::GerarXML() {
  return false;
}

bool TeSocialEvento::LerArqIni(const std::string&) {
  return false;
}

void TeSocialEvento::SetXML(const std::string& Value) {
  FGravacao.Alterado();
  FXML = Value;
  // A signed document stays as it came, except for its XML declaration: the lot carries the
  // event inside its own document, where a declaration cannot stand (the declaration is no
  // part of what the signature covers).
  // The mark is looked for once the declaration is gone: a "<Signature" inside a broken
  // declaration would otherwise let an unsigned document into the lot.
  if (TemAssinatura(Value)) {
    std::string semDeclaracao = RemoverDeclaracaoXML(Value);
    if (TemAssinatura(semDeclaracao)) {
      FXML = std::move(semDeclaracao);
      return;
    }
  }

  const std::optional<TTipoEvento> tipo = TipoEventoDoXML(FXML);
  if (!tipo) throw EeSocialException("Tipo de evento não identificado no XML.");
  FXML = Assinar(FXML, ElementoDoTipoEvento(*tipo));

  TLeitor leitor;
  leitor.SetGrupo(FXML);
  SetId(leitor.rAtributo("Id="));

  const std::optional<TTipoEvento> tipoAssinado = TipoEventoDoXML(FXML);
  Validar(tipoAssinado ? SchemaDoTipoEvento(*tipoAssinado) : TeSocialSchema::schErro);
}

std::string TeSocialEvento::Assinar(const std::string& XMLEvento, const std::string& NomeEvento) {
  // In memory every text is UTF-8 already; a document that does not say so gets the UTF-8
  // declaration in place of the one it had (two declarations would not parse).
  FOriginalAssinado = false;
  FXMLOriginal = DeclaraUTF8(XMLEvento)
                     ? XMLEvento
                     : std::string(kDeclaracaoUTF8) + RemoverDeclaracaoXML(XMLEvento);

  TDFeSSL& ssl = FPeSocial->SSL();
  if (ssl.SSLCryptLib() != TSSLCryptLib::cryOpenSSL &&
      ssl.SSLCryptLib() != TSSLCryptLib::cryWinCrypt) {
    throw EeSocialException(
        "Necessário DigestMethod Algorithm SHA256. use cryOpenSSL ou cryWinCrypt na "
        "propriedade SSLCryptLib.");
  }
  if (ssl.SSLXmlSignLib() != TSSLXmlSignLib::xsXmlSec &&
      ssl.SSLXmlSignLib() != TSSLXmlSignLib::xsLibXml2) {
    throw EeSocialException(
        "Necessário DigestMethod Algorithm SHA256. use xsXmlSec ou xsLibXml2 na "
        "propriedade SSLXmlSignLib.");
  }

  FXMLAssinado = ssl.Assinar(FXMLOriginal, "eSocial", NomeEvento, "", "", "", "ID");
  FOriginalAssinado = true;
  std::string().swap(FXMLOriginal);
  // The signed text as the lot takes it: no declaration, whatever its spelling.
  return RemoverDeclaracaoXML(FXMLAssinado);
}

void TeSocialEvento::Validar(TeSocialSchema Schema) {
  const TConfiguracoeseSocial& configuracoes = FPeSocial->Configuracoes();
  const std::string nome =
      NomeDoSchema(Schema) + "-v" + TextoDaVersao(configuracoes.Geral().VersaoDF());
  const std::string arquivo = configuracoes.Arquivos().PathSchemas() + nome + ".xsd";

  // A missing schema file is a failed check like any other; the failure says which it was.
  const TValidacaoSchema validacao = ValidarContraSchema(FPeSocial->SSL(), FXMLAssinado, arquivo);
  if (validacao.valido) return;

  FErroValidacao = "Falha na validação dos dados do evento: " + nome + "\r\n" + FAlertas;
  FErroValidacaoCompleto = FErroValidacao + "\r\n" + validacao.mensagem;
  throw EeSocialValidacao(
      configuracoes.Geral().ExibirErroSchema() ? FErroValidacaoCompleto : FErroValidacao,
      FErroValidacaoCompleto, validacao.ausente);
}

std::string TeSocialEvento::GerarChaveEsocial(DateTime emissao, const std::string& CNPJF,
                                              int sequencial) {
  if (Id().size() == 36) return Id();

  long long sequencia = sequencial;
  if (sequencia == 0) {
    std::random_device origem;
    sequencia = std::uniform_int_distribution<int>(0, 99998)(origem);
  }

  const TEmpregador tipo = FPeSocial->Configuracoes().Geral().TipoEmpregador();
  const bool raiz = tipo == TEmpregador::tePessoaJuridica || tipo == TEmpregador::teOrgaoPublico;
  std::string registro = digitsOnly(raiz ? std::string_view(CNPJF).substr(0, 8) : CNPJF);
  registro.resize(14, '0');

  const DateTimeParts p = decodeDateTime(emissao);
  return "ID" + std::string(CNPJF.size() == 14 ? "1" : "2") + registro + numero(p.year, 4) +
         numero(p.month, 2) + numero(p.day, 2) + numero(p.hour, 2) + numero(p.minute, 2) +
         numero(p.second, 2) + numero(sequencia, 5);
}

void TeSocialEvento::SaveToFile(const std::string& CaminhoArquivo) const {
  std::filesystem::path caminho(CaminhoArquivo);
  caminho.replace_extension(".xml");
  std::string conteudo;
  for (const std::string& linha : splitLines(FXML)) conteudo += linha + "\r\n";

  GravarArquivo(caminho, conteudo);
  FGravacao.Gravado(caminho.string());
}

bool TeSocialEvento::SaveToFileSeAlterado(const std::string& CaminhoArquivo) const {
  std::filesystem::path caminho(CaminhoArquivo);
  caminho.replace_extension(".xml");
  if (FGravacao.Atual(caminho.string())) return false;
  SaveToFile(CaminhoArquivo);
  return true;
}

}  // namespace luvaro
