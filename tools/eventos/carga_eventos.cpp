#include "tools/eventos/carga_eventos.h"

#include <system_error>

#include "dfe/config/configuracoes.h"
#include "dfe/dfe_exception.h"

namespace luvaro {
namespace {

// The cause of a building failure without the "ID: <Id>" line that GerarXML puts before it
// (the report names the event already).
std::string CausaDaFalha(const std::string& mensagem, const std::string& id) {
  const std::string prefixo = "ID: " + id + "\r\n";
  return mensagem.starts_with(prefixo) ? mensagem.substr(prefixo.size()) : mensagem;
}

}  // namespace

void ConfigurarComponente(TConfiguracoes& configuracoes, const PedidoEventos& pedido) {
  TGeralConf& geral = configuracoes.Geral();
  geral.SetSSLLib(TSSLLib::libWinCrypt);
  geral.SetSSLCryptLib(TSSLCryptLib::cryWinCrypt);
  geral.SetSSLHttpLib(TSSLHttpLib::httpWinHttp);
  geral.SetSSLXmlSignLib(TSSLXmlSignLib::xsLibXml2);
  geral.SetExibirErroSchema(true);
  geral.SetSalvar(false);
  TArquivosConf& arquivos = configuracoes.Arquivos();
  arquivos.SetPathSchemas(pedido.schemas.string());
  arquivos.SetSalvar(false);
  arquivos.SetSepararPorCNPJ(false);
  arquivos.SetSepararPorModelo(false);
  arquivos.SetSepararPorAno(false);
  arquivos.SetSepararPorMes(false);
  arquivos.SetSepararPorDia(false);
  arquivos.SetAdicionarLiteral(false);
  arquivos.SetPathSalvar(pedido.saida.string());
}

void CriarPastaSaida(const std::filesystem::path& pasta) {
  std::error_code erro;
  std::filesystem::create_directories(pasta, erro);
  if (erro) {
    throw EDFeException("Não foi possível criar a pasta de saída " + pasta.string() + ": " +
                        erro.message());
  }
}

void CargaEventos::SemEvento(const std::string& origem, const std::string& motivo) {
  m_relato.Falha(origem, motivo.empty() ? "o arquivo não gerou nenhum evento." : motivo);
}

bool CargaEventos::ConcluirEvento(const std::string& origem, const std::string& id,
                                  const std::vector<std::string>& alertas, std::string falha,
                                  std::string_view secao) {
  const std::string nome = id.empty() ? origem : id;
  for (const std::string& alerta : alertas) m_relato.Alerta(nome, AlertaLegivel(alerta));
  if (falha.empty() && m_identificadores.contains(id)) {
    falha = "identificador repetido: é o mesmo do evento de " + m_identificadores[id] +
            "; informe outro Sequencial na seção " + std::string(secao) + ".";
  }
  if (!falha.empty()) {
    m_relato.Falha(nome, CausaDaFalha(falha, id));
    return false;
  }
  m_identificadores.emplace(id, origem);
  return true;
}

}  // namespace luvaro
