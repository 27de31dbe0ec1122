#include "tests/unit/dfe/ws/chamada_teste.h"

#include <algorithm>

#include "dfe/ws/resposta_ws.h"

namespace luvaro::test {

bool TChamadaTeste::TratarResposta() {
  passos.push_back("TratarResposta");
  respostasVistas.push_back(FPRetornoWS);
  if (tratar) return tratar();
  FPRetWS = ExtrairElemento(FPRetornoWS, "retorno");
  ExigirResposta();
  return true;
}

WebServiceTest::WebServiceTest() {
  m_comp.SetOnGerarLog([this](const std::string& linha, bool& tratado) {
    m_log.push_back(linha);
    tratado = m_tratarErros && linha.starts_with("ERRO: ");
  });
  m_comp.SetOnTransmit([this](const std::string& dados, const std::string& url,
                              const std::string& soapAction, const std::string& mimeType,
                              std::string& resposta, int& http, int& interno) {
    m_envios.push_back({dados, url, soapAction, mimeType});
    Saida saida{kRespostaPadrao};
    if (m_envios.size() <= m_saidas.size()) saida = m_saidas[m_envios.size() - 1];
    resposta = saida.resposta;
    http = saida.http;
    interno = saida.interno;
  });
  m_ws.passos.clear();
}

std::vector<std::string> WebServiceTest::Arquivos() const {
  std::vector<std::string> nomes;
  if (!std::filesystem::exists(PastaSalvar())) return nomes;
  for (const auto& entrada : std::filesystem::directory_iterator(PastaSalvar())) {
    nomes.push_back(entrada.path().filename().string());
  }
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

std::vector<std::string> WebServiceTest::Erros() const {
  std::vector<std::string> erros;
  for (const std::string& linha : m_log) {
    if (linha.starts_with("ERRO: ")) erros.push_back(linha);
  }
  return erros;
}

}  // namespace luvaro::test
