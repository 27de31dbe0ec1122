#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "esocial/esocial_componente.h"
#include "esocial/esocial_web_services.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

// One request as the component's transmit hook received it.
struct EnvioRegistrado {
  std::string envelope;
  std::string url;
  std::string action;
  std::string mime;
};

// A component as the eSocial worker configures it, signing with the tests' in-memory key,
// whose requests go to a transmit hook that records them and answers with `m_resposta`.
class WsTeste : public ::testing::Test {
 protected:
  void SetUp() override;

  TWebServices& Ws() { return m_comp->WebServices(); }
  // The files of the save folder, sorted.
  std::vector<std::string> Salvos() const;
  std::string Salvo(const std::string& nome) const;

  TempDir m_dir{"luvaro-esocial-ws"};
  std::unique_ptr<TeSocialComponente> m_comp;
  std::vector<EnvioRegistrado> m_envios;
  std::string m_resposta;
  int m_erroInterno = 0;
  std::vector<std::string> m_log;
};

// A SOAP 1.1 reply carrying `conteudo` in <Response><Result>, with the default namespace or
// with the "v1" prefix on both elements.
std::string RespostaSoap(const std::string& metodo, const std::string& conteudo,
                         bool prefixo = false);

inline constexpr const char* kAtributosLote =
    " xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  "
    "xmlns:v1=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\"";
inline constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

}  // namespace luvaro::test
