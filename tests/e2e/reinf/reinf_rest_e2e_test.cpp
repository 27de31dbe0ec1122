// The EFD-Reinf job on the asynchronous road of layout 2.1.2, end to end: the real executable in
// headless mode against luvaro-sim as the ERP and as the EFD-Reinf REST services
// (reinf_cenario.h). A lot of 2.1.2 events is signed, checked and posted to /recepcao/lotes; its
// protocol is then queried at /consulta/lotes/{protocol}, first "in processing", then processed.

#include "tests/e2e/reinf/reinf_cenario.h"

namespace luvaro::test {
namespace {

// The company of the 2.1.2 lot (R-1000, R-2010, R-4020, R-2099, R-4099), and one whose lot
// mixes a 2.1.2 event with a 1.04.00 one.
constexpr std::string_view kEmpresaRest = "98765432000198";
constexpr std::string_view kEmpresaMista = "MISTO";
const std::set<std::string> kEventosRest = {
    "ID1987654320000002025030110000000001", "ID1987654320000002025040210000000002",
    "ID1987654320000002025040311000000003", "ID1987654320000002025040510300000004",
    "ID1987654320000002025040510400000005"};

const fs::path kSchemasRest = SharedSchemasDir() / "reinf" / "v2_01_02";

// xmllint's verdict on a document against a schema of the 2.1.2 folder; its output on failure.
bool ValidaSchema(const std::string& documento, std::string_view schema, const fs::path& pasta,
                  std::string* saida) {
  const fs::path arquivo = pasta / "documento-validado.xml";
  WriteFile(arquivo, documento);
  ProcessOptions options;
  options.args = {"--noout", "--nonet", "--schema", (kSchemasRest / schema).string(),
                  arquivo.string()};
  const ProcessResult r = RunProcess("/usr/bin/xmllint", options);
  if (saida) *saida = r.err;
  return r.exitCode == 0;
}

std::vector<std::string> Pedidos(const SimProcess& sim) {
  std::vector<std::string> pedidos;
  for (const RecordedRequest& r : sim.Requests()) pedidos.push_back(r.method + " " + r.target);
  return pedidos;
}

// The send of the lot, then the query of its protocol twice: "in processing", then the result
// of every event. Each reply reaches the ERP where the send and query replies go.
TEST_F(ReinfE2E, AsyncLotSentThenQueriedUntilProcessed) {
  const std::string mesAntes = MesAtual();
  const ProcessResult envio = Run(ArgsEnvio(kEmpresaRest));
  ASSERT_FALSE(envio.timedOut);
  EXPECT_EQ(envio.exitCode, 0) << envio.err;
  EXPECT_EQ(envio.err, kStatusEnvio);

  // One lot posted over TLS with the company certificate, as application/xml; it is a valid
  // asynchronous lot, and xmlsec1 accepts each event's signature (Reference to its id).
  const auto pedidos = governo.Requests();
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"EnviarLoteEventos_2.12"});
  EXPECT_EQ(pedidos[0].method, "POST");
  EXPECT_EQ(pedidos[0].target, "/recepcao/lotes");
  EXPECT_TRUE(pedidos[0].Header("Content-Type").starts_with("application/xml"))
      << pedidos[0].Header("Content-Type");
  EXPECT_EQ(pedidos[0].tls.at("serial"), SerialDe("empresa"));
  std::string saida;
  EXPECT_TRUE(ValidaSchema(pedidos[0].body, "envioLoteEventosAssincrono-v1_00_00.xsd",
                           trabalho.path(), &saida))
      << saida;
  EXPECT_NE(pedidos[0].body.find("<ideContribuinte><tpInsc>1</tpInsc><nrInsc>98765432</nrInsc>"),
            std::string::npos);
  std::set<std::string> ids;
  for (const auto& [id, documento] : EventosDoLote(pedidos[0].body, "Id")) {
    SCOPED_TRACE(id);
    ids.insert(id);
    EXPECT_NE(documento.find("<Reference URI=\"#" + id + "\""), std::string::npos);
    EXPECT_TRUE(XmlsecVerifica(documento, trabalho.path(), &saida)) << saida;
  }
  EXPECT_EQ(ids, kEventosRest);

  // The reception's raw reply, with the lot's protocol, went to the ERP with the lot path.
  ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_EQ(MembroJson(erp.Requests()[1].body, "lotePath"), "reinf/2025/03/lote-0042");
  const std::string recepcao = MembroJson(erp.Requests()[1].body, "xmlRetornoLote");
  EXPECT_TRUE(
      ValidaSchema(recepcao, "retornoLoteEventosAssincrono-v1_00_00.xsd", trabalho.path(), &saida))
      << saida << recepcao;
  EXPECT_NE(recepcao.find("<cdResposta>1</cdResposta>"), std::string::npos) << recepcao;
  const std::string protocolo = Entre(recepcao, "<protocoloEnvio>", "</protocoloEnvio>");
  ASSERT_TRUE(std::regex_match(protocolo, std::regex(R"(2\.\d{6}\.\d{1,19})"))) << recepcao;

  // Request and reply saved in the month folder.
  std::vector<std::string> meses;
  for (const auto& e : fs::directory_iterator(home.path() / "Docs"))
    if (e.is_directory()) meses.push_back(e.path().filename());
  ASSERT_EQ(meses.size(), 1u);
  EXPECT_TRUE(meses[0] == mesAntes || meses[0] == MesAtual()) << meses[0];
  const std::vector<std::string> salvos = Arquivos(home.path() / "Docs" / meses[0]);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{14}-env-lot-assinc\.xml)")), 1)
      << ::testing::PrintToString(salvos);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{14}-rec-lot-assinc\.xml)")), 1);

  // First query: still in processing. Second: processed, one result per event.
  struct Consulta {
    const char* nome;
    std::string cdResposta;
    bool eventos;
  } consultas[] = {{"in processing", "1", false}, {"processed", "2", true}};
  for (const Consulta& c : consultas) {
    SCOPED_TRACE(c.nome);
    const std::size_t antes = erp.Requests().size();
    const ProcessResult r = Run(ArgsConsulta(protocolo, kEmpresaRest));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, kStatusConsulta);
    EXPECT_EQ(Pedidos(governo).back(), "GET /consulta/lotes/" + protocolo);
    ASSERT_EQ(erp.Requests().size(), antes + 1);
    EXPECT_EQ(erp.Requests().back().endpoint, "consultaProtocoloRetorno");
    const std::string retorno = MembroJson(erp.Requests().back().body, "xmlRetornoLote");
    EXPECT_TRUE(
        ValidaSchema(retorno, "retornoLoteEventosAssincrono-v1_00_00.xsd", trabalho.path(), &saida))
        << saida << retorno;
    EXPECT_NE(retorno.find("<cdResposta>" + c.cdResposta + "</cdResposta>"), std::string::npos)
        << retorno;
    EXPECT_NE(retorno.find("<protocoloEnvio>" + protocolo + "</protocoloEnvio>"),
              std::string::npos);
    EXPECT_EQ(retorno.find("<retornoEventos>") != std::string::npos, c.eventos) << retorno;
    // The reply is saved as it came; a query run sets no document folder, so in Docs itself
    // (two runs in the same second share the name: the later reply is the one kept).
    std::vector<std::string> respostas = Arquivos(home.path() / "Docs");
    std::erase_if(respostas, [](const std::string& nome) {
      return !std::regex_match(nome, std::regex(R"(\d{14}-cons-lot-assinc\.xml)"));
    });
    ASSERT_FALSE(respostas.empty()) << ::testing::PrintToString(Arquivos(home.path() / "Docs"));
    EXPECT_EQ(ReadFile(home.path() / "Docs" / respostas.back()), retorno);
    if (!c.eventos) continue;
    for (const std::string& id : kEventosRest) {
      SCOPED_TRACE(id);
      const std::string resultado = Entre(retorno, "<evento Id=\"" + id + "\">", "</evento>");
      ASSERT_FALSE(resultado.empty()) << retorno;
      const bool fechamento = id == "ID1987654320000002025040510300000004";
      EXPECT_NE(resultado.find(fechamento ? "<evtTotalContrib " : "<evtTotal "), std::string::npos)
          << resultado;
      EXPECT_NE(resultado.find("<cdRetorno>0</cdRetorno>"), std::string::npos) << resultado;
      EXPECT_NE(resultado.find("<idEv>" + id + "</idEv>"), std::string::npos) << resultado;
    }
  }
}

// Every way an asynchronous run ends early: the exit code, the dialog on standard error (its
// start and a text further on), whether anything reached the service, and nothing at the ERP.
TEST_F(ReinfE2E, AsyncFailuresEndWithTheirDialogAndExitCode) {
  const PortaRecusada servicoFora;
  const std::string envio = kInicio + "Buscando eventos...\nMontando eventos...\n";
  const std::string enviando = envio + "Enviando eventos...\n";
  const std::string consultando = kInicio + "Consultando protocolo...\n";
  struct Caso {
    const char* nome;
    std::vector<std::string> args;
    std::string faultsGoverno;
    bool servicoRecusa;  // the service table points at a port that refuses connections
    std::string err;     // the start of standard error
    std::vector<std::string> detalhes;  // texts further on
    bool chegou;                        // a request reached the service
  } casos[] = {
      {"lot mixing 2.1.2 and 1.04.00 events",
       ArgsEnvio(kEmpresaMista),
       "",
       false,
       kInicio + "Buscando eventos...\nErro: Erro durante a execução: \n\nERRO: O lote "
                 "recebido do Orvane mistura eventos do leiaute 2.1.2",
       {"Nenhum evento foi enviado."},
       false},
      {"lot refused with 422",
       ArgsEnvio(kEmpresaRest),
       "body=lote-rejeitado\nonly=EnviarLoteEventos_2.12\n",
       false,
       enviando + "Erro: Erro durante a execução: \n\nERRO: ",
       {"Requisição recusada pelo serviço.", "Erro HTTP: 422",
        "Resposta do serviço: 7 - Lote rejeitado",
        "MS0014 - Falha simulada: lote rejeitado pelo serviço."},
       true},
      {"service fails with 500",
       ArgsEnvio(kEmpresaRest),
       "body=soap-fault\nonly=EnviarLoteEventos_2.12\n",
       false,
       enviando + kForaDoAr,
       {"Erro HTTP: 500", "Resposta do serviço: 99 - Erro interno do serviço EFD-Reinf."},
       true},
      {"service refuses connections",
       ArgsEnvio(kEmpresaRest),
       "",
       true,
       enviando + "Erro: ",
       {"12029"},
       false},
      {"query of an unknown protocol",
       ArgsConsulta("2.202501.999", kEmpresaRest),
       "",
       false,
       consultando + "Erro: Erro durante a execução: \n\nERRO: ",
       {"Erro HTTP: 404", "Resposta do serviço: 8 - "},
       true},
      {"query answered 500",
       ArgsConsulta("2.202501.1", kEmpresaRest),
       "status=500\n",
       false,
       consultando + kForaDoAr,
       {"Erro HTTP: 500"},
       true},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t antes = governo.Requests().size();
    const std::size_t retornosAntes = erp.Requests().size();
    if (!c.faultsGoverno.empty()) governo.SetFaults(c.faultsGoverno);
    EscreverTabela(c.servicoRecusa ? servicoFora.Url() : governo.BaseUrl());
    const ProcessResult r = Run(c.args);
    governo.ClearFaults();
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
    for (const std::string& detalhe : c.detalhes) {
      EXPECT_NE(r.err.find(detalhe), std::string::npos) << detalhe << "\n" << r.err;
    }
    EXPECT_EQ(governo.Requests().size() > antes, c.chegou);
    // Nothing reached the ERP as a reply.
    for (std::size_t i = retornosAntes; i < erp.Requests().size(); ++i) {
      EXPECT_EQ(erp.Requests()[i].endpoint, "lotes");
    }
  }
}

}  // namespace
}  // namespace luvaro::test
