#include "dfe/config/dfe_componente.h"

#include <algorithm>
#include <filesystem>

#include "dfe/dfe_exception.h"
#include "dfe/gravar_arquivo.h"
#include "dfe/server_identity.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

constexpr const char* kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// A content declares UTF-8 when its first 50 characters, lower-cased, hold "encoding" and
// then "utf-8".
bool declaraUTF8(const std::string& conteudo) {
  std::string inicio;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < conteudo.size() && chars < 50; ++i) {
    inicio.push_back(conteudo[i]);
    if ((static_cast<unsigned char>(conteudo[i]) & 0xC0) != 0x80) ++chars;
  }
  // The last character may have been cut in the middle; only ASCII words are looked for.
  inicio = lowerAscii(inicio);
  const std::size_t encoding = inicio.find("encoding");
  return encoding != std::string::npos && inicio.find("utf-8", encoding) != std::string::npos;
}

}  // namespace

TDFeComponente::TDFeComponente(const std::string& PathAplicacao)
    : FPathAplicacao(IncluirDelimitador(PathAplicacao)), FSSL(std::make_unique<TDFeSSL>()) {
  // The authorities beside the program; without an application folder, the system's roots
  // only (never a folder relative to wherever the program was started from).
  if (!FPathAplicacao.empty()) FSSL->SetPastaCadeias(FPathAplicacao + std::string(kPastaCadeias));
  InicializarConfiguracoes();
}

TDFeComponente::~TDFeComponente() = default;

std::unique_ptr<TConfiguracoes> TDFeComponente::CriarConfiguracoes() {
  return std::make_unique<TConfiguracoes>(this);
}

void TDFeComponente::InicializarConfiguracoes() {
  FInicializado = false;
  FPConfiguracoes = CriarConfiguracoes();
  FListaDeSchemas.clear();
  FPathSchemas.clear();

  const TConfiguracoes& c = *FPConfiguracoes;
  TDFeSSL& ssl = *FSSL;
  ssl.SetArquivoPFX(c.Certificados().ArquivoPFX());
  ssl.SetDadosPFX(c.Certificados().DadosPFX());
  ssl.SetNameSpaceURI(GetNameSpaceURI());
  ssl.SetNumeroSerie(c.Certificados().NumeroSerie());
  ssl.SetSenha(c.Certificados().Senha().str());
  ssl.SetProxyHost(c.WebServices().ProxyHost());
  ssl.SetProxyPort(c.WebServices().ProxyPort());
  ssl.SetProxyUser(c.WebServices().ProxyUser());
  ssl.SetProxyPass(c.WebServices().ProxyPass());
  ssl.SetTimeOut(c.WebServices().TimeOut());
  ssl.SetTimeOutPorThread(c.WebServices().TimeOutPorThread());
  ssl.SetSSLType(c.WebServices().SSLType());
  ssl.SetVerificarServidor(c.WebServices().VerificarServidor());
  ssl.SetSSLCryptLib(c.Geral().SSLCryptLib());
  ssl.SetSSLHttpLib(c.Geral().SSLHttpLib());
  ssl.SetSSLXmlSignLib(c.Geral().SSLXmlSignLib());

  FPIniParams.Clear();
  FPIniParamsCarregado = false;
  FInicializado = true;
}

bool TDFeComponente::Gravar(const std::string& NomeArquivo, const std::string& ConteudoXML,
                            const std::string& aPath, bool /*ConteudoEhUTF8*/) {
  try {
    const std::filesystem::path caminho(NomeArquivo);
    const std::string nome = caminho.filename().string();
    if (nome.empty()) throw EDFeException("Nome de arquivo não informado");
    std::string pasta = caminho.parent_path().string();
    if (pasta.empty()) pasta = aPath;
    if (pasta.empty()) pasta = FPConfiguracoes->Arquivos().PathSalvar();
    pasta = IncluirDelimitador(pasta);

    // Written as it is, with the declaration in front when it has none: a lot of a thousand
    // events is megabytes, and neither step needs another copy of it.
    std::string semMarcas;
    const std::string* conteudo = &ConteudoXML;
    if (ConteudoXML.find("<-><->") != std::string::npos) {
      semMarcas = replaceAll(ConteudoXML, "<-><->", "");
      conteudo = &semMarcas;
    }
    const std::string_view declaracao =
        declaraUTF8(*conteudo) ? std::string_view() : std::string_view(kDeclaracaoUTF8);

    if (!pasta.empty()) {
      std::error_code ec;
      std::filesystem::create_directories(pasta, ec);
      if (ec || !std::filesystem::is_directory(pasta)) {
        throw EDFeException("Não foi possível criar a pasta: " + pasta);
      }
    }
    const std::string arquivo = pasta + nome;
    GravarArquivo(arquivo, declaracao, *conteudo);
    return true;
  } catch (const std::exception& e) {
    GerarException("Erro ao salvar.", &e);
    return false;
  }
}

void TDFeComponente::FazerLog(const std::string& Msg, bool& Tratado) {
  Tratado = false;
  if (!Msg.empty() && FOnGerarLog) FOnGerarLog(Msg, Tratado);
}

void TDFeComponente::GerarException(const std::string& Msg, const std::exception* E) {
  std::string texto = Msg;
  if (E != nullptr) texto += std::string("\r\n") + E->what();
  bool tratado = false;
  FazerLog("ERRO: " + texto, tratado);
  if (!tratado) throw EDFeException(texto);
}

std::string TDFeComponente::NomeServicoParaSchema(const std::string&) {
  return {};
}

std::string TDFeComponente::ExtrairVersaoDoSchema(const std::string& NomeArquivo) {
  const std::size_t inicio = NomeArquivo.find(FPSeparadorVersaoSchema);
  if (inicio == std::string::npos || FPSeparadorVersaoSchema.empty()) return {};
  const std::size_t depois = inicio + FPSeparadorVersaoSchema.size();
  const std::size_t fim = lowerAscii(NomeArquivo).find(".xsd", depois);
  return NomeArquivo.substr(depois, fim == std::string::npos ? std::string::npos : fim - depois);
}

std::string TDFeComponente::VersaoParaTexto(double Versao) {
  if (!(Versao > 0)) return {};
  return formatFixed(Versao, 2).value_or("");
}

double TDFeComponente::TextoParaVersao(const std::string& VersaoStr) {
  return parseDecimal(VersaoStr).value_or(0.0);
}

std::string TDFeComponente::LocalizarArqSchema(const std::string& NomeSchema, double& Versao) {
  if (NomeSchema.empty()) return {};
  const std::string pasta = FPConfiguracoes->Arquivos().PathSchemas();
  if (pasta != FPathSchemas) {
    FListaDeSchemas.clear();
    FPathSchemas = pasta;
  }
  if (FListaDeSchemas.empty()) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(pasta.empty() ? "." : pasta, ec), fim;
         !ec && it != fim; it.increment(ec)) {
      const std::string nome = it->path().filename().string();
      std::error_code tipo;
      if (nome.size() > 4 && equalsNoCase(nome.substr(nome.size() - 4), ".xsd") &&
          !it->is_directory(tipo)) {
        FListaDeSchemas.push_back(nome);
      }
    }
    std::sort(
        FListaDeSchemas.begin(), FListaDeSchemas.end(),
        [](const std::string& a, const std::string& b) { return lowerAscii(a) < lowerAscii(b); });
    if (FListaDeSchemas.empty()) {
      throw EDFeException("Nenhum arquivo de Schema encontrado na pasta: \r\n" + pasta);
    }
  }

  const std::string textoVersao = Versao != 0 ? VersaoParaTexto(Versao) : std::string();
  const std::string procurado = Versao != 0
                                    ? NomeSchema + FPSeparadorVersaoSchema + textoVersao + ".xsd"
                                    : NomeSchema + ".xsd";
  std::string resultado;
  double encontrada = 0;
  const auto exato = std::find_if(FListaDeSchemas.begin(), FListaDeSchemas.end(),
                                  [&](const std::string& n) { return equalsNoCase(n, procurado); });
  if (exato != FListaDeSchemas.end()) {
    resultado = *exato;
    encontrada = Versao;
  } else if (Versao > 0) {
    const std::string prefixo = NomeSchema + FPSeparadorVersaoSchema;
    for (const std::string& nome : FListaDeSchemas) {
      if (!nome.starts_with(prefixo)) continue;
      const double v = TextoParaVersao(ExtrairVersaoDoSchema(nome));
      if (v > 0 && v > encontrada && v <= Versao) {
        encontrada = v;
        resultado = nome;
      }
    }
  }
  Versao = encontrada;
  return resultado.empty() ? resultado : pasta + resultado;
}

std::string TDFeComponente::GetNomeModeloDFe() {
  return {};
}

std::string TDFeComponente::GetNameSpaceURI() {
  return {};
}

}  // namespace luvaro
