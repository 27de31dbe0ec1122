// The table-event download job ("esocialbx") of the real executable in headless mode, end to
// end: luvaro-sim as the ERP and as the eSocial services, the SoftHSM test token, a temporary
// application folder. The eSocial stand-in answers identifier queries and downloads from the
// events it accepted earlier in the same run, so the suite first sends two table events (two
// S-1010 rubrics of employer 12345678) with the eSocial worker and reads their receipts.

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/esocial/esocial_cenario.h"
#include "tests/support/process.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kExe = LUVARO_EXE;
const fs::path kSim = LUVARO_SIM_PATH;
const fs::path kFixtures = fs::path(LUVARO_SOURCE_DIR) / "tests/fixtures/e2e_esocialbx";

constexpr const char* kVersaoOrvane = "4.0.01-180629";
// The two rubrics of the sent lot, in lot order.
constexpr const char* kRubrica1000 = "ID1123456780000002024051012000000001";
constexpr const char* kRubrica2000 = "ID1123456780000002024051012000000002";

const std::string kInicio =
    "Iniciando...\nVerificando atualização...\nSetando os parametros...\n"
    "Configurando certificado...\nConsultando eventos de tabela...\nBuscando eventos...\n"
    "Montando eventos...\nEnviando eventos...\nAvaliando Retorno...\n";
const std::string kStatusDownload =
    kInicio + "Preparando download...\nEnviando retorno para o Orvane...\n";
const std::string kStatusSemDownload = kInicio + "Enviando retorno para o Orvane...\n";
const std::string kGenerico = "Erro: Erro durante a execução: \n\nERRO: ";

std::vector<std::string> Endpoints(const std::vector<RecordedRequest>& pedidos) {
  std::vector<std::string> nomes;
  for (const RecordedRequest& r : pedidos) nomes.push_back(r.endpoint);
  return nomes;
}

// The requests recorded after the first `desde`.
std::vector<RecordedRequest> Desde(const SimProcess& sim, std::size_t desde) {
  std::vector<RecordedRequest> todos = sim.Requests();
  todos.erase(todos.begin(), todos.begin() + static_cast<std::ptrdiff_t>(desde));
  return todos;
}

// A reply document checked against its published schema with xmllint.
bool ValidoNoSchema(const std::string& documento, const fs::path& schema, const fs::path& pasta,
                    std::string* saida) {
  const fs::path arquivo = pasta / "retorno-validado.xml";
  WriteFile(arquivo, documento);
  ProcessOptions options;
  options.args = {"--noout", "--nonet", "--schema", schema.string(), arquivo.string()};
  const ProcessResult r = RunProcess("/usr/bin/xmllint", options);
  if (saida) *saida = r.err;
  return r.exitCode == 0;
}

// The application folder, the stand-ins and the receipts of the two rubrics, shared by the
// suite: the stand-in keeps its accepted events for the whole run.
class Mundo {
 public:
  Mundo()
      : m_update(kSim, "update", {}),
        m_erp(kSim, "erp", {"--fixtures", (kFixtures / "erp").string()}),
        m_esocial(kSim, "esocial",
                  ArgsGoverno({"--signer-ca", TestToken::Shared().CaPem().string(), "--schemas",
                               Preparar().string()})),
        m_semItens(kSim, "gov",
                   ArgsGoverno({"--reply",
                                (kFixtures / "gov/identificadores-201-sem-itens.xml").string()})) {
    EscreverTabela(m_esocial.BaseUrl());
  }

  const fs::path& Home() const { return m_home.path(); }
  SimProcess& Erp() { return m_erp; }
  SimProcess& Governo() { return m_esocial; }
  SimProcess& SemItens() { return m_semItens; }

  // The service table beside the executable; the identifier query may go elsewhere.
  void EscreverTabela(const std::string& baseIdentificadores) const {
    const std::string base = m_esocial.BaseUrl();
    std::string ini;
    for (const char* secao : {"eSocial_H", "eSocial_P"}) {
      ini += std::string("[") + secao + "]\r\n" + "EnviarLoteEventos=" + base +
             "servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc\r\n" +
             "ConsultarLoteEventos=" + base +
             "servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc\r\n" +
             "ConsultarIdentificadoresEventos=" + baseIdentificadores +
             "servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc\r\n" +
             "DownloadEventos=" + base +
             "servicos/empregador/dwlcirurgico/WsSolicitarDownloadEventos.svc\r\n";
    }
    WriteFile(Home() / "eSocialServicos.ini", ini);
  }

  ProcessResult Run(const std::vector<std::string>& args) const {
    ProcessOptions options;
    options.args = args;
    options.env = {
        {"LUVARO_HEADLESS", "1"},
        {"LUVARO_HOME", Home().string()},
        {"LUVARO_ATUALIZACAO_URL", m_update.BaseUrl()},
        {"LUVARO_PKCS11_MODULE", TestToken::SoftHsmModule().string()},
        {"SOFTHSM2_CONF", TestToken::Shared().ConfigFile().string()},
        {"LUVARO_CERTIFICADO", SerialDe("empresa")},
        {"LUVARO_PIN", std::string(TestToken::kPin)},
        {"LUVARO_TIMEOUT_MS", "60000"},
        {"no_proxy", "*"},
    };
    return RunProcess(kExe, options);
  }

  // A table-event run for the company key. Every process number runs the same job; position 4
  // (group or protocol) plays no part.
  std::vector<std::string> ArgsTabela(const std::string& empresa,
                                      const std::string& processo = "0") const {
    const std::string posicao4 = processo == "0"   ? "1"
                                 : processo == "1" ? "1.2.202405.0000000000000000001"
                                                   : "";
    return {kVersaoOrvane, processo, m_erp.BaseUrl(), posicao4, "1", empresa, "esocialbx"};
  }

  // Sends the two rubrics and queries their lot: the receipt of each, by event Id.
  std::map<std::string, std::string> EnviarRubricas() const {
    const ProcessResult envio =
        Run({kVersaoOrvane, "0", m_erp.BaseUrl(), "1", "1", "12345678", "esocial"});
    if (envio.exitCode != 0) throw std::runtime_error("send run failed: " + envio.err);
    const std::string retornoEnvio = MembroJson(m_erp.Requests().back().body, "xmlRetornoLote");
    const std::string protocolo = Entre(retornoEnvio, "<protocoloEnvio>", "</protocoloEnvio>");
    const ProcessResult consulta =
        Run({kVersaoOrvane, "1", m_erp.BaseUrl(), protocolo, "1", "12345678", "esocial"});
    if (consulta.exitCode != 0) throw std::runtime_error("query run failed: " + consulta.err);
    const std::string processamento = MembroJson(m_erp.Requests().back().body, "xmlRetornoLote");
    std::map<std::string, std::string> recibos;
    for (const char* id : {kRubrica1000, kRubrica2000}) {
      const std::string evento =
          Entre(processamento, "<evento Id=\"" + std::string(id) + "\">", "</evento>");
      recibos[id] = Entre(evento, "<nrRecibo>", "</nrRecibo>");
      if (recibos[id].empty()) throw std::runtime_error("no receipt for " + std::string(id));
    }
    return recibos;
  }

 private:
  // The Logs folder and the schemas, before the eSocial stand-in reads them.
  fs::path Preparar() const {
    fs::create_directories(Home() / "Logs");
    CopySchemas(Home() / "schemas");
    TestToken::Shared().TrustTestCa(Home());
    return Home() / "schemas";
  }

  // HTTPS with the test token's server certificate, clients from its CA.
  static std::vector<std::string> ArgsGoverno(const std::vector<std::string>& extra) {
    const TestToken& token = TestToken::Shared();
    std::vector<std::string> args = {"--cert",      token.ServerPem().string(),
                                     "--key",       token.ServerKeyPem().string(),
                                     "--client-ca", token.CaPem().string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  TempDir m_home{"luvaro-e2e-esocialbx"};
  SimProcess m_update;
  SimProcess m_erp;
  SimProcess m_esocial;
  SimProcess m_semItens;
};

class EsocialBxE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_mundo = std::make_unique<Mundo>();
    s_recibos = s_mundo->EnviarRubricas();
  }
  static void TearDownTestSuite() { s_mundo.reset(); }

  static std::unique_ptr<Mundo> s_mundo;
  static std::map<std::string, std::string> s_recibos;
  TempDir trabalho{"luvaro-e2e-esocialbx-trabalho"};
};

std::unique_ptr<Mundo> EsocialBxE2E::s_mundo;
std::map<std::string, std::string> EsocialBxE2E::s_recibos;

// Answers 201 name events: the first receipt is downloaded with the employer's root and the
// download's reply reaches the ERP's send-result endpoint.
TEST_F(EsocialBxE2E, DownloadsTheFirstReceiptFound) {
  struct Caso {
    const char* nome;
    std::string empresa;   // the company key: the employer's number
    const char* processo;  // of the command line
    const char* consulta;  // what the prepared request asks for
    std::string baixado;   // the event Id whose receipt is downloaded
  } casos[] = {
      {"8-digit key, both rubrics found", "12345678", "0", "<tpEvt>S-1010</tpEvt>", kRubrica1000},
      {"14-digit key, rubric 2000 by its key, process 2", "12345678000195", "2",
       "<chEvt>2000</chEvt>", kRubrica2000},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t erpAntes = s_mundo->Erp().Requests().size();
    const std::size_t govAntes = s_mundo->Governo().Requests().size();
    const ProcessResult r = s_mundo->Run(s_mundo->ArgsTabela(c.empresa, c.processo));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, kStatusDownload);

    // The identifier query went signed, as the ERP prepared it; then one download by receipt,
    // signed, with the employer's 8-digit root.
    const std::vector<RecordedRequest> governo = Desde(s_mundo->Governo(), govAntes);
    ASSERT_EQ(Endpoints(governo),
              (std::vector<std::string>{"ConsultarIdentificadoresEventos", "DownloadEventos"}));
    EXPECT_EQ(governo[0].tls.at("serial"), SerialDe("empresa"));
    const std::string consulta =
        Entre(governo[0].body, "<v1:consultaEventosTabela>", "</v1:consultaEventosTabela>");
    EXPECT_NE(consulta.find(c.consulta), std::string::npos) << consulta;
    const std::string download = Entre(governo[1].body, "<v1:solicitacao>", "</v1:solicitacao>");
    EXPECT_NE(download.find("<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>"),
              std::string::npos)
        << download;
    EXPECT_NE(download.find("<nrRec>" + s_recibos.at(c.baixado) + "</nrRec>"), std::string::npos)
        << download;
    for (const std::string& assinado : {consulta, download}) {
      std::string saida;
      EXPECT_TRUE(XmlsecVerifica(assinado, trabalho.path(), &saida)) << saida << assinado;
    }

    // The ERP handed out the lot of the key and received the download's reply.
    const std::vector<RecordedRequest> erp = Desde(s_mundo->Erp(), erpAntes);
    ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
    EXPECT_EQ(erp[0].target, "/spring/esocialbx/lotes?empresaKey=" + c.empresa);
    EXPECT_EQ(MembroJson(erp[1].body, "empresaKey"), c.empresa);
    EXPECT_EQ(MembroJson(erp[1].body, "lotePath"), "lotes/tabelas/" + c.empresa);
    const std::string retorno = MembroJson(erp[1].body, "xmlRetornoLote");
    EXPECT_NE(retorno.find("<evt Id=\"" + c.baixado + "\">"), std::string::npos) << retorno;
    EXPECT_NE(retorno.find("<rec nrRec=\"" + s_recibos.at(c.baixado) + "\">"), std::string::npos);
    std::string saida;
    EXPECT_TRUE(ValidoNoSchema(
        retorno, s_mundo->Home() / "schemas/RetornoSolicitacaoDownloadEventos-v1_0_0.xsd",
        trabalho.path(), &saida))
        << saida;

    // The downloaded event was saved under Docs/MMyyyy by its receipt.
    const fs::path salvo =
        s_mundo->Home() / "Docs" / MesAtual() / (s_recibos.at(c.baixado) + "-down.xml");
    ASSERT_TRUE(fs::exists(salvo)) << salvo;
    EXPECT_NE(ReadFile(salvo).find(c.baixado), std::string::npos);
  }
}

// Any other answer is no failure: the identifier query's reply goes to the ERP unchanged and
// nothing is downloaded. With two documents in the lot, only the last one is sent.
TEST_F(EsocialBxE2E, AnswerWithoutEventsGoesToTheErpUnchanged) {
  struct Caso {
    const char* nome;
    std::string empresa;
    const char* processo;
    const char* tpEvt;  // of the one request that reaches the service
  } casos[] = {
      {"employer without accepted events, process 1", "11222333", "1", "S-1010"},
      {"two documents, the second asks for S-1020", "12345678000276", "0", "S-1020"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t erpAntes = s_mundo->Erp().Requests().size();
    const std::size_t govAntes = s_mundo->Governo().Requests().size();
    const ProcessResult r = s_mundo->Run(s_mundo->ArgsTabela(c.empresa, c.processo));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, kStatusSemDownload);

    const std::vector<RecordedRequest> governo = Desde(s_mundo->Governo(), govAntes);
    ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"ConsultarIdentificadoresEventos"});
    EXPECT_NE(governo[0].body.find(std::string("<tpEvt>") + c.tpEvt + "</tpEvt>"),
              std::string::npos);
    EXPECT_EQ(Ocorrencias(governo[0].body, "<tpEvt>"), 1);

    const std::vector<RecordedRequest> erp = Desde(s_mundo->Erp(), erpAntes);
    ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
    const std::string retorno = MembroJson(erp[1].body, "xmlRetornoLote");
    EXPECT_NE(retorno.find("<cdResposta>202</cdResposta>"), std::string::npos) << retorno;
    EXPECT_TRUE(retorno.starts_with("<eSocial ")) << retorno;
    std::string saida;
    EXPECT_TRUE(ValidoNoSchema(
        retorno, s_mundo->Home() / "schemas/RetornoConsultaIdentificadoresEventos-v1_0_0.xsd",
        trabalho.path(), &saida))
        << saida;
  }
}

// Nothing to download or nothing to send fails the job: the generic dialog, exit code 1, and
// the ERP receives no reply.
TEST_F(EsocialBxE2E, JobFailuresEndWithTheGenericDialog) {
  struct Caso {
    const char* nome;
    std::string empresa;
    bool semItens;        // the identifier query goes to the stand-in that answers 201 alone
    std::string err;      // standard error
    int pedidosSemItens;  // identifier queries it received
  } casos[] = {
      {"answer 201 without any item", "12345678", true,
       kInicio + "Preparando download...\n" + kGenerico +
           "Nenhum identificador de evento retornado pela consulta.\n",
       1},
      {"lot without documents", "99887766", false,
       "Iniciando...\nVerificando atualização...\nSetando os parametros...\n"
       "Configurando certificado...\nConsultando eventos de tabela...\nBuscando eventos...\n"
       "Montando eventos...\n" +
           kGenerico + "Nenhum evento encontrado para transmissão.\n",
       0},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t semItensAntes = s_mundo->SemItens().Requests().size();
    const std::size_t erpAntes = s_mundo->Erp().Requests().size();
    const std::size_t govAntes = s_mundo->Governo().Requests().size();
    if (c.semItens) s_mundo->EscreverTabela(s_mundo->SemItens().BaseUrl());
    const ProcessResult r = s_mundo->Run(s_mundo->ArgsTabela(c.empresa));
    s_mundo->EscreverTabela(s_mundo->Governo().BaseUrl());
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err, c.err);
    const std::vector<RecordedRequest> semItens = Desde(s_mundo->SemItens(), semItensAntes);
    ASSERT_EQ(semItens.size(), static_cast<std::size_t>(c.pedidosSemItens));
    if (!semItens.empty()) {
      EXPECT_EQ(semItens[0].tls.at("serial"), SerialDe("empresa"));
    }
    EXPECT_EQ(Desde(s_mundo->Governo(), govAntes).size(), 0u);
    EXPECT_EQ(Endpoints(Desde(s_mundo->Erp(), erpAntes)), std::vector<std::string>{"lotes"});
  }
}

}  // namespace
}  // namespace luvaro::test
