// The identifier-query and download services of the eSocial stand-in, answering from the events
// accepted earlier in the same run; requests signed by the xmlsec1 tool.
#include "tests/unit/sim/esocial_test_support.h"

namespace luvaro::sim::esocial::test {
namespace {

constexpr std::string_view kIdentBase =
    "http://www.esocial.gov.br/servicos/empregador/consulta/identificadores-eventos/v1_0_0";
constexpr std::string_view kDownloadBase =
    "http://www.esocial.gov.br/servicos/empregador/download/solicitacao/v1_0_0";

// A request to one of the two services, written as the program writes it.
HttpRequest Pedido(std::string_view path, std::string_view servico, std::string_view acao,
                   std::string_view operacao, std::string_view parametro,
                   const std::string& documento) {
  const std::string envelope =
      "<soap:Envelope  xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"  xmlns:v1=\"" +
      std::string(servico) + "\"><soap:Body><v1:" + std::string(operacao) +
      "><v1:" + std::string(parametro) + ">" + documento + "</v1:" + std::string(parametro) +
      "></v1:" + std::string(operacao) + "></soap:Body></soap:Envelope>";
  return HttpRequest{"POST", std::string(path), "text/xml; charset=utf-8",
                     "\"" + std::string(acao) + "\"", envelope};
}

HttpRequest ConsultaIdent(std::string_view metodo, const std::string& documento) {
  const std::string operacao = "ConsultarIdentificadoresEventos" + std::string(metodo);
  return Pedido(kPathConsultarIdentificadores, kIdentBase,
                std::string(kIdentBase) + "/ServicoConsultarIdentificadoresEventos/" + operacao,
                operacao, "consultaEventos" + std::string(metodo), documento);
}

HttpRequest Download(std::string_view tipo, const std::string& documento) {
  const std::string operacao = "SolicitarDownloadEventos" + std::string(tipo);
  return Pedido(kPathDownload, kDownloadBase,
                std::string(kDownloadBase) + "/ServicoSolicitarDownloadEventos/" + operacao,
                operacao, "solicitacao", documento);
}

// The query document of a kind ("empregador", "tabela", "trabalhador") around its filter group.
std::string DocumentoIdent(std::string_view tipo, const std::string& filtro,
                           std::string_view nrInsc = "12345678") {
  return "<eSocial xmlns=\"http://www.esocial.gov.br/schema/consulta/identificadores-eventos/" +
         std::string(tipo) +
         "/v1_0_0\"><consultaIdentificadoresEvts><ideEmpregador><tpInsc>1</tpInsc><nrInsc>" +
         std::string(nrInsc) + "</nrInsc></ideEmpregador>" + filtro +
         "</consultaIdentificadoresEvts><!--ASSINATURA--></eSocial>";
}

class EsocialDownloadTest : public EsocialFixture {
 protected:
  // A run with the S-1200 and the S-1299 of the fixtures accepted; their receipts.
  void SetUp() override {
    m_service = std::make_unique<EsocialService>(Config());
    const HttpReply envio = m_service->Handle(PostEnvio(
        EnvelopeEnvio(Lote({{std::string(kIdS1200), Signed(Fixture("s1200-remuneracao.xml"))},
                            {std::string(kIdS1299), Signed(Fixture("s1299-fechamento.xml"))}}))));
    XmlDoc recebido = ResultDocument(envio);
    ASSERT_TRUE(recebido);
    XmlDoc consulta = ResultDocument(m_service->Handle(PostConsulta(
        EnvelopeConsulta(FindText(xmlDocGetRootElement(recebido.get()), "protocoloEnvio")))));
    ASSERT_TRUE(consulta);
    for (xmlNode* recibo : FindAll(xmlDocGetRootElement(consulta.get()), "nrRecibo")) {
      m_recibos.push_back(NodeText(recibo));
    }
    ASSERT_EQ(m_recibos.size(), 2u);
  }

  // The reply document, checked against its schema.
  static XmlDoc Resposta(const HttpReply& reply, std::string_view schema) {
    EXPECT_EQ(reply.status, 200) << reply.body;
    XmlDoc doc = ResultDocument(reply);
    if (doc) {
      EXPECT_EQ(SchemaErrors(doc.get(), schema), "");
    }
    return doc;
  }

  std::unique_ptr<EsocialService> m_service;
  std::vector<std::string> m_recibos;
};

TEST_F(EsocialDownloadTest, IdentifierQueriesFindTheAcceptedEvents) {
  const std::string s1200(kIdS1200);
  const std::string s1299(kIdS1299);
  struct Case {
    std::string name;
    std::string metodo;
    std::string documento;  // unsigned; signed unless `assinar` is false
    bool assinar;
    std::string cdResposta;
    std::vector<std::string> ids;
  };
  const std::string periodo =
      "<consultaEvtsEmpregador><tpEvt>S-1200</tpEvt><perApur>2024-04"
      "</perApur></consultaEvtsEmpregador>";
  const Case cases[] = {
      {"empregador, tipo e período",
       "Empregador",
       DocumentoIdent("empregador", periodo),
       true,
       "201",
       {s1200}},
      {"fechamento do período",
       "Empregador",
       DocumentoIdent("empregador",
                      "<consultaEvtsEmpregador><tpEvt>S-1299</tpEvt><perApur>"
                      "2024-04</perApur></consultaEvtsEmpregador>"),
       true,
       "201",
       {s1299}},
      {"outro período",
       "Empregador",
       DocumentoIdent("empregador",
                      "<consultaEvtsEmpregador><tpEvt>S-1200</tpEvt><perApur>"
                      "2024-05</perApur></consultaEvtsEmpregador>"),
       true,
       "202",
       {}},
      {"outro empregador",
       "Empregador",
       DocumentoIdent("empregador", periodo, "87654321"),
       true,
       "202",
       {}},
      {"trabalhador",
       "Trabalhador",
       DocumentoIdent("trabalhador",
                      "<consultaEvtsTrabalhador><cpfTrab>12345678909</cpfTrab>"
                      "<dtIni>2000-01-01T00:00:00</dtIni><dtFim>2099-12-31T23:59:"
                      "59</dtFim></consultaEvtsTrabalhador>"),
       true,
       "201",
       {s1200}},
      {"trabalhador fora do intervalo",
       "Trabalhador",
       DocumentoIdent("trabalhador",
                      "<consultaEvtsTrabalhador><cpfTrab>12345678909</cpfTrab>"
                      "<dtIni>2000-01-01T00:00:00</dtIni><dtFim>2000-12-31T23:59:"
                      "59</dtFim></consultaEvtsTrabalhador>"),
       true,
       "202",
       {}},
      {"tabela sem eventos",
       "Tabela",
       DocumentoIdent("tabela", "<consultaEvtsTabela><tpEvt>S-1010</tpEvt></consultaEvtsTabela>"),
       true,
       "202",
       {}},
      {"tipo de evento desconhecido",
       "Tabela",
       DocumentoIdent("tabela", "<consultaEvtsTabela><tpEvt>S-9999</tpEvt></consultaEvtsTabela>"),
       true,
       "401",
       {}},
      {"documento de outro método",
       "Tabela",
       DocumentoIdent("empregador", periodo),
       true,
       "402",
       {}},
      {"sem assinatura", "Empregador", DocumentoIdent("empregador", periodo), false, "402", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string documento = c.assinar ? Signed(c.documento) : Unsigned(c.documento);
    XmlDoc doc = Resposta(m_service->Handle(ConsultaIdent(c.metodo, documento)),
                          "RetornoConsultaIdentificadoresEventos-v1_0_0.xsd");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(FindText(root, "cdResposta"), c.cdResposta);
    std::vector<std::string> ids;
    for (xmlNode* item : FindAll(root, "identificadorEvt")) ids.push_back(ChildText(item, "id"));
    EXPECT_EQ(ids, c.ids);
    if (!c.ids.empty()) {
      EXPECT_EQ(FindText(root, "nrRec"), m_recibos[c.ids.front() == s1200 ? 0 : 1]);
      EXPECT_EQ(FindText(root, "qtdeTotEvtsConsulta"), std::to_string(c.ids.size()));
    }
  }
}

TEST_F(EsocialDownloadTest, ATamperedRequestIsRefusedForItsSignature) {
  std::string documento = Signed(
      DocumentoIdent("empregador",
                     "<consultaEvtsEmpregador><tpEvt>S-1200</tpEvt><perApur>2024-04</perApur>"
                     "</consultaEvtsEmpregador>"));
  documento.replace(documento.find("2024-04"), 7, "2024-03");
  XmlDoc doc = Resposta(m_service->Handle(ConsultaIdent("Empregador", documento)),
                        "RetornoConsultaIdentificadoresEventos-v1_0_0.xsd");
  ASSERT_TRUE(doc);
  EXPECT_EQ(FindText(xmlDocGetRootElement(doc.get()), "cdResposta"), "404");
}

TEST_F(EsocialDownloadTest, MoreThanFiftyFoundGives203WithTheFirstFifty) {
  const std::string modelo = Fixture("s1200-remuneracao.xml");
  for (int lote = 0; lote < 2; ++lote) {
    std::vector<std::pair<std::string, std::string>> eventos;
    for (int i = 0; i < 25; ++i) {
      std::string id(kIdS1200);
      const std::string seq = std::to_string(10000 + lote * 100 + i);
      id.replace(id.size() - seq.size(), seq.size(), seq);
      std::string documento = modelo;
      documento.replace(documento.find(kIdS1200), kIdS1200.size(), id);
      eventos.emplace_back(id, SignedInProcess(documento));
    }
    ASSERT_EQ(m_service->Handle(PostEnvio(EnvelopeEnvio(Lote(eventos)))).status, 200);
  }
  XmlDoc doc = Resposta(
      m_service->Handle(ConsultaIdent(
          "Empregador", Signed(DocumentoIdent("empregador",
                                              "<consultaEvtsEmpregador><tpEvt>S-1200</tpEvt>"
                                              "<perApur>2024-04</perApur>"
                                              "</consultaEvtsEmpregador>")))),
      "RetornoConsultaIdentificadoresEventos-v1_0_0.xsd");
  ASSERT_TRUE(doc);
  xmlNode* root = xmlDocGetRootElement(doc.get());
  EXPECT_EQ(FindText(root, "cdResposta"), "203");
  EXPECT_EQ(FindText(root, "qtdeTotEvtsConsulta"), "51");
  EXPECT_EQ(FindAll(root, "identificadorEvt").size(), 50u);
  EXPECT_EQ(FindText(root, "id"), std::string(kIdS1200));
}

TEST_F(EsocialDownloadTest, DownloadsReturnTheEventAndItsReceipt) {
  const std::string ide =
      "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc>"
      "</ideEmpregador>";
  const std::string porId =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/download/solicitacao/id/v1_0_0\">"
      "<download>" +
      ide + "<solicDownloadEvtsPorId><id>" + std::string(kIdS1200) +
      "</id><id>ID9999</id></solicDownloadEvtsPorId></download><!--ASSINATURA--></eSocial>";
  const std::string porRecibo =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/download/solicitacao/nrRecibo/v1_0_0\">"
      "<download>" +
      ide + "<solicDownloadEventosPorNrRecibo><nrRec>" + m_recibos[0] +
      "</nrRec><nrRec>1.2.0000000000000099999</nrRec></solicDownloadEventosPorNrRecibo>"
      "</download><!--ASSINATURA--></eSocial>";
  for (const auto& [tipo, documento] :
       {std::pair{"PorId", porId}, std::pair{"PorNrRecibo", porRecibo}}) {
    SCOPED_TRACE(tipo);
    XmlDoc doc = Resposta(m_service->Handle(Download(tipo, Signed(documento))),
                          "RetornoSolicitacaoDownloadEventos-v1_0_0.xsd");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(PathText(root, {"download", "status", "cdResposta"}), "201");
    const auto arquivos = FindAll(root, "arquivo");
    ASSERT_EQ(arquivos.size(), 2u);
    EXPECT_EQ(FindText(arquivos[0], "cdResposta"), "201");
    xmlNode* evt = ChildElement(arquivos[0], "evt");
    EXPECT_EQ(Attribute(evt, "Id"), std::string(kIdS1200));
    EXPECT_EQ(Attribute(FindElement(evt, "evtRemun"), "Id"), std::string(kIdS1200));
    xmlNode* rec = ChildElement(arquivos[0], "rec");
    EXPECT_EQ(Attribute(rec, "nrRec"), m_recibos[0]);
    XmlDoc retorno = CopyAsDocument(FirstElement(rec));
    EXPECT_EQ(SchemaErrors(retorno.get(), "RetornoEvento-v1_2_1.xsd"), "");
    EXPECT_EQ(FindText(arquivos[1], "cdResposta"), "401");
    EXPECT_EQ(ChildElement(arquivos[1], "evt"), nullptr);
  }
}

}  // namespace
}  // namespace luvaro::sim::esocial::test
