#include <algorithm>
#include <cctype>
#include <ostream>

#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tools/eventos/sistema_eventos.h"
#include "workers/certificado.h"

namespace luvaro {
namespace {

// The code without its hyphen, upper-cased: "s-1200" and "S1200" both give "S1200".
std::string CodigoNormalizado(std::string_view codigo) {
  std::string saida;
  for (char c : codigo) {
    if (c != '-') saida += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return saida;
}

}  // namespace

void RelatoEventos::Documento(const std::filesystem::path& arquivo) {
  m_saida << arquivo.string() << '\n';
  m_saida.flush();
}

void RelatoEventos::Alerta(const std::string& origem, const std::string& texto) {
  // One line per line of the text (CR LF, LF and lone CR all end one), blank ones left out.
  std::size_t inicio = 0;
  while (inicio <= texto.size()) {
    const std::size_t fim = std::min(texto.find_first_of("\r\n", inicio), texto.size());
    std::string linha = texto.substr(inicio, fim - inicio);
    const auto naoBranco = [](unsigned char c) { return !std::isspace(c); };
    linha.erase(linha.begin(), std::find_if(linha.begin(), linha.end(), naoBranco));
    linha.erase(std::find_if(linha.rbegin(), linha.rend(), naoBranco).base(), linha.end());
    if (!linha.empty()) m_erros << origem << ": " << linha << '\n';
    inicio = fim + 1;
  }
  m_erros.flush();
}

void RelatoEventos::Falha(const std::string& origem, const std::string& texto) {
  m_falhou = true;
  Alerta(origem, texto);
}

std::string AlertaLegivel(const std::string& alerta) {
  constexpr std::string_view kInicio = "TAG:";
  constexpr std::string_view kId = " ID:";
  const std::size_t id = alerta.find(kId);
  if (!alerta.starts_with(kInicio) || id == std::string::npos) return alerta;
  std::string caminho;
  std::size_t i = kInicio.size();
  while ((i = alerta.find('<', i)) < id) {
    const std::size_t fim = alerta.find_first_of(" >", i);
    if (fim == std::string::npos || fim > id) break;
    const std::string nome = alerta.substr(i + 1, fim - i - 1);
    if (!nome.starts_with('?')) caminho += (caminho.empty() ? "" : "/") + nome;
    i = fim;
  }
  // "ID:<id>/<tag>(...)": without an id the tag follows the path directly.
  std::string resto = alerta.substr(id + kId.size());
  if (!resto.starts_with('/')) resto = " " + resto;
  return caminho + resto;
}

std::optional<std::string_view> ProcurarModelo(std::span<const ModeloIni> modelos,
                                               std::string_view codigo, std::string_view leiaute) {
  const std::string procurado = CodigoNormalizado(codigo);
  for (const ModeloIni& modelo : modelos) {
    if (modelo.leiaute == leiaute && CodigoNormalizado(modelo.codigo) == procurado)
      return modelo.texto;
  }
  return std::nullopt;
}

void PrepararCertificado(TDFeComponente& componente, const AmbienteEventos& ambiente) {
  TDFeSSL& ssl = componente.SSL();
  ssl.SetTokenEnv(ambiente.tokens);
  ssl.SetFront(ambiente.front);
  if (ambiente.arquivoPFX) {
    TCertificadosConf& certificados = componente.Configuracoes().Certificados();
    certificados.SetArquivoPFX(*ambiente.arquivoPFX);
    certificados.SetSenha(ambiente.senhaPFX.str());
    ssl.CarregarCertificado();
    return;
  }
  // The same choice the program's workers make: the front picks the certificate of the store.
  const TCertificado certificado(componente);
  if (certificado.NumeroSerie().empty()) {
    throw EDFeException(
        "Nenhum certificado escolhido. Indique o número de série em LUVARO_CERTIFICADO, ou o "
        "arquivo A1 em LUVARO_PFX e LUVARO_PFX_SENHA.");
  }
  ssl.SetNumeroSerie(certificado.NumeroSerie());
}

}  // namespace luvaro
