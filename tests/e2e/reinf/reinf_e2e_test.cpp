// The EFD-Reinf job of the real executable in headless mode, end to end: luvaro-sim as the ERP
// and as the EFD-Reinf services of layout 1.04.00 (reinf_cenario.h). Each case checks the exit
// code, the lines on standard error, the files written and what the stand-ins received.

#include "tests/e2e/reinf/reinf_cenario.h"

namespace luvaro::test {
namespace {

constexpr std::string_view kLotePath = "reinf/2024/03/lote-0001";
// The events of the fixture lot that the program sends (the document of no known type stays
// out), by id, with the closing among them.
const std::set<std::string> kEventosEnviados = {
    "ID1123456780000002024030112000000004", "ID1123456780000002024040210000000001",
    "ID1123456780000002024040210000000002", "ID1123456780000002024040110300000005"};
const std::string kFechamento = "ID1123456780000002024040110300000005";

// The whole road: a send of the lot with its closing, then the consolidated query of the
// closing's protocol with the company key as the contributor.
TEST_F(ReinfE2E, SendThenQueryReachTheErp) {
  const std::string mesAntes = MesAtual();
  const ProcessResult envio = Run(ArgsEnvio());
  ASSERT_FALSE(envio.timedOut);
  EXPECT_EQ(envio.exitCode, 0) << envio.err;
  // The document of no known type stays out of the lot and is named: in the log, and in the
  // end-of-send message before the reply goes to the ERP.
  const std::string desconhecido = "ID1123456780000002024040210000000009";
  EXPECT_EQ(envio.err, kInicio +
                           "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                           "Atenção: 1 evento(s) não foram incluídos no lote:\nPosição 5 (" +
                           desconhecido +
                           "): Tipo de evento não reconhecido.\n"
                           "Enviando retorno para o Orvane...\n");
  EXPECT_NE(Logs().find(" - Evento não incluído no lote - posição 5 (" + desconhecido +
                        "): Tipo de evento não reconhecido.\r\n"),
            std::string::npos)
      << Logs();
  EXPECT_EQ(Logs().find("falha de validação"), std::string::npos) << Logs();

  // The ERP handed out the lot and received the service's reply with the lot path.
  const auto pedidosErp = erp.Requests();
  ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_EQ(pedidosErp[0].target, "/spring/reinf/lotes?empresaKey=" + std::string(kEmpresa));
  EXPECT_EQ(MembroJson(pedidosErp[1].body, "empresaKey"), kEmpresa);
  EXPECT_EQ(MembroJson(pedidosErp[1].body, "lotePath"), kLotePath);
  const std::string retornoEnvio = MembroJson(pedidosErp[1].body, "xmlRetornoLote");
  EXPECT_NE(retornoEnvio.find("retornoLoteEventos"), std::string::npos) << retornoEnvio;

  // One lot reached the service over TLS with the company certificate; every event in it is
  // signed, and xmlsec1 accepts each signature (Reference to the event's id) against the CA.
  const auto pedidosGoverno = governo.Requests();
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"EnviarLoteEventos"});
  EXPECT_EQ(pedidosGoverno[0].tls.at("serial"), SerialDe("empresa"));
  const std::map<std::string, std::string> eventos = EventosDoLote(pedidosGoverno[0].body);
  std::set<std::string> ids;
  for (const auto& [id, documento] : eventos) {
    SCOPED_TRACE(id);
    ids.insert(id);
    EXPECT_NE(documento.find("<Reference URI=\"#" + id + "\""), std::string::npos);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(documento, trabalho.path(), &saida)) << saida;
  }
  EXPECT_EQ(ids, kEventosEnviados);

  // The service accepted every event: each has its R-5001 without an error in the reply.
  for (const std::string& id : kEventosEnviados) {
    SCOPED_TRACE(id);
    const std::string r5001 = Entre(retornoEnvio, "<evento id=\"" + id + "\">", "</evento>");
    ASSERT_FALSE(r5001.empty()) << retornoEnvio;
    EXPECT_NE(r5001.find("<cdRetorno>0</cdRetorno>"), std::string::npos) << r5001;
  }
  const std::string doFechamento =
      Entre(retornoEnvio, "<evento id=\"" + kFechamento + "\">", "</evento>");
  const std::string protocolo = Entre(doFechamento, "<nrProtEntr>", "</nrProtEntr>");
  ASSERT_TRUE(std::regex_match(protocolo, std::regex(R"(1\.2\.\d{6}\.\d+)"))) << doFechamento;

  // The ERP sends no transmitter for this project type: the files lie in Docs/MMyyyy, the
  // request, the reply and each signed event (the R-5001 are not saved apart: the workers
  // keep Arquivos.Salvar off).
  std::vector<std::string> meses;
  for (const auto& e : fs::directory_iterator(home.path() / "Docs"))
    if (e.is_directory()) meses.push_back(e.path().filename());
  ASSERT_EQ(meses.size(), 1u);
  EXPECT_TRUE(meses[0] == mesAntes || meses[0] == MesAtual()) << meses[0];
  const fs::path mes = home.path() / "Docs" / meses[0];
  const std::vector<std::string> salvos = Arquivos(mes);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{14}-env-lot\.xml)")), 1)
      << ::testing::PrintToString(salvos);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{14}-rec\.xml)")), 1);
  EXPECT_EQ(Quantos(salvos, std::regex(R"(\d{34}-R-\d{4}-\d+\.xml)")),
            static_cast<int>(kEventosEnviados.size()));
  EXPECT_EQ(Quantos(salvos, std::regex(R"(.*R5001.*)")), 0);

  // The query of the closing's protocol, with the company key as the contributor, brings the
  // R-5011 of the period to the ERP.
  const ProcessResult consulta = Run(ArgsConsulta(protocolo));
  ASSERT_FALSE(consulta.timedOut);
  EXPECT_EQ(consulta.exitCode, 0) << consulta.err;
  EXPECT_EQ(consulta.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(governo),
            (std::vector<std::string>{"EnviarLoteEventos", "ConsultarLoteEventos"}));
  const std::string pedidoConsulta = governo.Requests()[1].body;
  EXPECT_NE(pedidoConsulta.find("<v1:tipoInscricaoContribuinte>1<"), std::string::npos)
      << pedidoConsulta;
  EXPECT_NE(pedidoConsulta.find("<v1:numeroInscricaoContribuinte>12345678<"), std::string::npos);
  EXPECT_NE(pedidoConsulta.find("<v1:numeroProtocoloFechamento>" + protocolo + "<"),
            std::string::npos);

  ASSERT_EQ(Endpoints(erp),
            (std::vector<std::string>{"lotes", "lotesRetorno", "consultaProtocoloRetorno"}));
  const RecordedRequest retorno = erp.Requests()[2];
  EXPECT_EQ(MembroJson(retorno.body, "empresaKey"), kEmpresa);
  const std::string consolidado = MembroJson(retorno.body, "xmlRetornoLote");
  EXPECT_NE(consolidado.find("evtTotalContrib"), std::string::npos) << consolidado;
  EXPECT_NE(consolidado.find("<nrProtEntr>" + protocolo + "</nrProtEntr>"), std::string::npos);
  EXPECT_NE(consolidado.find("<cdRetorno>0</cdRetorno>"), std::string::npos) << consolidado;

  // A query run sets no document folder: its files land in Docs itself.
  const std::vector<std::string> docs = Arquivos(home.path() / "Docs");
  EXPECT_EQ(Quantos(docs, std::regex(R"(Reinf-ped-sit\.xml)")), 1)
      << ::testing::PrintToString(docs);
  EXPECT_EQ(Quantos(docs, std::regex(R"(Reinf-sit\.xml)")), 1);
}

// A company key that is no registration number of the closing's contributor goes into the
// query as it stands; the service's refusal still reaches the ERP (the run succeeds).
TEST_F(ReinfE2E, QueryWithAnotherKeyCarriesThatKey) {
  const ProcessResult r =
      Run(ArgsConsulta("1.2.202403.0000000000000000000000000000000000001", "EMPRESA-X"));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"ConsultarLoteEventos"});
  EXPECT_NE(governo.Requests()[0].body.find(
                "<v1:numeroInscricaoContribuinte>EMPRESA-X</v1:numeroInscricaoContribuinte>"),
            std::string::npos)
      << governo.Requests()[0].body;
  ASSERT_EQ(Endpoints(erp), std::vector<std::string>{"consultaProtocoloRetorno"});
  EXPECT_NE(MembroJson(erp.Requests()[0].body, "xmlRetornoLote").find("regOcorrs"),
            std::string::npos);
}

// A protocol and a company key holding "&" and "<" are escaped in the query: the service reads a
// well-formed request with the very same values, and its answer reaches the ERP.
TEST_F(ReinfE2E, QueryValuesAreEscaped) {
  const ProcessResult r = Run(ArgsConsulta("1.2&<3>", "A&B<C"));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"ConsultarLoteEventos"});
  const std::string pedido = governo.Requests()[0].body;
  EXPECT_NE(pedido.find("<v1:numeroInscricaoContribuinte>A&amp;B&lt;C"
                        "</v1:numeroInscricaoContribuinte>"),
            std::string::npos)
      << pedido;
  EXPECT_NE(pedido.find("<v1:numeroProtocoloFechamento>1.2&amp;&lt;3&gt;"
                        "</v1:numeroProtocoloFechamento>"),
            std::string::npos)
      << pedido;
  ASSERT_EQ(Endpoints(erp), std::vector<std::string>{"consultaProtocoloRetorno"});
  EXPECT_NE(MembroJson(erp.Requests()[0].body, "xmlRetornoLote").find("regOcorrs"),
            std::string::npos);
}

// A lot whose company has an empty "documento" leaves the contributor empty; the lot of this
// layout names no contributor, so the send goes through and its reply reaches the ERP.
TEST_F(ReinfE2E, LotWithEmptyContributorIsSent) {
  const ProcessResult r = Run(ArgsEnvio("SEM-DOCUMENTO"));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusEnvio);
  ASSERT_EQ(Endpoints(governo), std::vector<std::string>{"EnviarLoteEventos"});
  EXPECT_EQ(EventosDoLote(governo.Requests()[0].body).size(), 1u);
  ASSERT_EQ(Endpoints(erp), (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_NE(MembroJson(erp.Requests()[1].body, "xmlRetornoLote").find("<cdRetorno>0</cdRetorno>"),
            std::string::npos);
}

// Every way a run ends early: the exit code, the standard error (whole, or its start and a
// text further on), whether anything reached the service, and the log.
TEST_F(ReinfE2E, FailuresEndWithTheirDialogAndExitCode) {
  const PortaRecusada servicoFora;
  struct Caso {
    const char* nome;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string faultsGoverno;
    bool servicoRecusa;  // the service table points at a port that refuses connections
    int exitCode;
    std::string err;
    std::string detalhe;  // "" when err is whole
    bool enviou;          // a lot reached the service
    std::string log;      // a text the log holds ("" when none is expected)
  } casos[] = {
      {"no certificate chosen, send",
       ArgsEnvio(),
       {{"LUVARO_CERTIFICADO", "00"}},
       "",
       false,
       2,
       kInicio,
       "",
       false,
       ""},
      {"no certificate chosen, query",
       ArgsConsulta("1.2.202403.1"),
       {{"LUVARO_CERTIFICADO", "00"}},
       "",
       false,
       2,
       kInicio,
       "",
       false,
       ""},
      {"empty lot",
       ArgsEnvio(kEmpresaVazia),
       {},
       "",
       false,
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\n"
                 "Erro: Erro durante a execução: \n\nERRO: "
                 "Nenhum evento encontrado para transmissão.\n",
       "",
       false,
       "ERROR: Nenhum evento encontrado para transmissão."},
      {"service answers 500",
       ArgsEnvio(),
       {},
       "body=soap-fault\n",
       false,
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n" + kForaDoAr,
       "Erro HTTP: 500",
       true,
       ""},
      {"service refuses connections",
       ArgsEnvio(),
       {},
       "",
       true,
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\nEnviando eventos...\nErro: ",
       "12029",
       false,
       "ERROR: "},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t antes = governo.Requests().size();
    const std::size_t retornosAntes = erp.Requests().size();
    if (!c.faultsGoverno.empty()) governo.SetFaults(c.faultsGoverno);
    EscreverTabela(c.servicoRecusa ? servicoFora.Url() : governo.BaseUrl());
    const ProcessResult r = Run(c.args, c.env);
    governo.ClearFaults();
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    if (c.detalhe.empty()) {
      EXPECT_EQ(r.err, c.err);
    } else {
      EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
      EXPECT_NE(r.err.find(c.detalhe, c.err.size()), std::string::npos) << r.err;
    }
    EXPECT_EQ(governo.Requests().size() > antes, c.enviou);
    // Nothing reached the ERP as a reply.
    for (std::size_t i = retornosAntes; i < erp.Requests().size(); ++i) {
      EXPECT_EQ(erp.Requests()[i].endpoint, "lotes");
    }
    if (!c.log.empty()) {
      EXPECT_NE(Logs().find(c.log), std::string::npos) << Logs();
    }
  }
}

}  // namespace
}  // namespace luvaro::test
