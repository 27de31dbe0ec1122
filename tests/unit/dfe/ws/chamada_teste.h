#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dfe/config/dfe_componente.h"
#include "dfe/front.h"
#include "dfe/ws/dfe_web_service.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

// A call as a protocol defines one: URL, service, action and body from its fields, each step
// recorded, the reply read from the element "retorno".
class TChamadaTeste : public TDFeWebService {
 public:
  explicit TChamadaTeste(TDFeComponente& owner) : TDFeWebService(owner) {
    FPArqEnv = "pedido";
    FPArqResp = "resposta";
  }
  std::string ClassName() const override { return "TChamadaTeste"; }

  std::string url = "https://servico.exemplo/ws/Servico.svc";
  std::string servico = "http://exemplo/servico";
  std::string action = "http://exemplo/servico/Enviar";
  std::string dados = "<lote><evento>1</evento></lote>";
  std::string versaoDados = "<versaoDados>1.00</versaoDados>";  // empty: the base's failure
  std::string envelopeFixo;  // when set, the envelope sent instead of the built one
  std::string msgLog;
  std::string msgErro;
  // TratarResposta's work; by default the reply's "retorno", required, and true.
  std::function<bool()> tratar;

  std::vector<std::string> passos;
  std::vector<std::string> respostasVistas;  // FPRetornoWS as TratarResposta saw it

  // The protected steps, for the tests.
  using TDFeWebService::AssinarDados;
  using TDFeWebService::ExigirResposta;
  using TDFeWebService::MontarUFSoap;
  using TDFeWebService::PrefixoArquivo;
  using TDFeWebService::RegistrarLog;
  using TDFeWebService::UrlWsdl;
  std::string& RetWSRef() { return FPRetWS; }
  std::string& RetornoWSRef() { return FPRetornoWS; }

  void Clear() override {
    passos.push_back("Clear");
    TDFeWebService::Clear();
  }

 protected:
  void DefinirURL() override {
    passos.push_back("DefinirURL");
    FPURL = url;
    FPVersaoServico = "1.00";
  }
  void DefinirServicoEAction() override {
    passos.push_back("DefinirServicoEAction");
    FPServico = servico;
    FPSoapAction = action;
  }
  void DefinirDadosMsg() override {
    passos.push_back("DefinirDadosMsg");
    FPDadosMsg = dados;
  }
  void MontarEnvelopeSoap() override {
    passos.push_back("MontarEnvelopeSoap");
    TDFeWebService::MontarEnvelopeSoap();
    if (!envelopeFixo.empty()) FPEnvelopeSoap = envelopeFixo;
  }
  std::string GerarVersaoDadosSoap() override {
    return versaoDados.empty() ? TDFeWebService::GerarVersaoDadosSoap() : versaoDados;
  }
  void GravarEnvio() override {
    passos.push_back("GravarEnvio");
    TDFeWebService::GravarEnvio();
  }
  void Transmitir() override {
    passos.push_back("Transmitir");
    TDFeWebService::Transmitir();
  }
  bool TratarResposta() override;
  void GravarResposta() override {
    passos.push_back("GravarResposta");
    TDFeWebService::GravarResposta();
  }
  void EncerrarServico() override { passos.push_back("EncerrarServico"); }
  std::string MontarMsgLog() override { return msgLog; }
  std::string MontarMsgErro(const std::exception&) override { return msgErro; }
};

// A front that records the dialogs it was asked to show.
class FrontGravador : public IFront {
 public:
  void ShowStatus(const std::string&) override {}
  int ShowDialog(const DialogRequest& request) override {
    dialogs.push_back(request);
    return static_cast<int>(request.defaultButton);
  }
  std::optional<std::string> ChooseCertificate(const std::string&, const std::string&,
                                               const std::vector<CertificateChoice>&) override {
    return std::nullopt;
  }
  std::optional<SecureString> AskPin(const PinRequest&) override { return std::nullopt; }

  std::vector<DialogRequest> dialogs;
};

// One request as the OnTransmit hook received it.
struct Envio {
  std::string dados, url, soapAction, mimeType;
};

// What the OnTransmit hook answers to one request; after the scripted ones, `respostaPadrao`.
struct Saida {
  std::string resposta;
  int http = 200;
  int interno = 0;
};

inline constexpr const char* kRespostaPadrao =
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
    "<retorno>Requisição recebida.</retorno></soap:Body></soap:Envelope>";

// A component in a temporary application folder (files are saved to its Docs folder), with a
// log hook that records every line and an OnTransmit hook that records every request.
class WebServiceTest : public ::testing::Test {
 protected:
  WebServiceTest();

  // Names of the files in the save folder, sorted.
  std::vector<std::string> Arquivos() const;
  std::filesystem::path PastaSalvar() const { return m_dir / "Docs"; }
  // The log lines that report failures.
  std::vector<std::string> Erros() const;

  TempDir m_dir{"luvaro-ws-test"};
  TDFeComponente m_comp{m_dir.path().string()};
  TChamadaTeste m_ws{m_comp};
  std::vector<std::string> m_log;
  bool m_tratarErros = false;  // the log hook marks "ERRO: " lines handled
  std::vector<Envio> m_envios;
  std::vector<Saida> m_saidas;
};

}  // namespace luvaro::test
