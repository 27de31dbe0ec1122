#include "tests/unit/esocial/ws/ws_teste.h"

#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro::test {

void WsTeste::SetUp() {
  m_comp = NovoComponente(m_dir.path());
  TConfiguracoeseSocial& c = m_comp->Configuracoes();
  c.Geral().SetSalvar(true);
  c.WebServices().SetSalvar(false);
  c.Arquivos().SetSalvar(false);
  m_comp->SetOnTransmit([this](const std::string& dados, const std::string& url,
                               const std::string& action, const std::string& mime,
                               std::string& resposta, int& http, int& interno) {
    m_envios.push_back({dados, url, action, mime});
    resposta = m_resposta;
    http = 200;
    interno = m_erroInterno;
  });
  m_comp->SetOnGerarLog([this](const std::string& linha, bool&) { m_log.push_back(linha); });
}

std::vector<std::string> WsTeste::Salvos() const {
  return Arquivos(m_dir / "Docs");
}

std::string WsTeste::Salvo(const std::string& nome) const {
  return ReadFile(m_dir / "Docs" / nome);
}

std::string RespostaSoap(const std::string& metodo, const std::string& conteudo, bool prefixo) {
  const std::string p = prefixo ? "v1:" : "";
  const std::string ns = "http://www.esocial.gov.br/servicos/empregador/";
  const std::string declaracao = prefixo ? " xmlns:v1=\"" + ns + "\"" : " xmlns=\"" + ns + "\"";
  return "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><" + p +
         metodo + "Response" + declaracao + "><" + p + metodo + "Result>" + conteudo + "</" + p +
         metodo + "Result></" + p + metodo + "Response></s:Body></s:Envelope>";
}

}  // namespace luvaro::test
