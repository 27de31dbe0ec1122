// The send and query services of the eSocial stand-in as pure functions: a lot in, the
// government's replies out, every reply checked against the published return schemas.
#include <filesystem>
#include <regex>
#include <string_view>

#include "tests/support/process.h"
#include "tests/unit/sim/esocial_test_support.h"

namespace luvaro::sim::esocial::test {
namespace {

class EsocialEnvioTest : public EsocialFixture {
 protected:
  // Sends a lot that must be received (201) and returns its protocol.
  static std::string Enviar(EsocialService& service, const std::string& lote) {
    const HttpReply reply = service.Handle(PostEnvio(EnvelopeEnvio(lote)));
    EXPECT_EQ(reply.status, 200);
    XmlDoc doc = ResultDocument(reply);
    if (!doc) return {};
    EXPECT_EQ(SchemaErrors(doc.get(), "RetornoEnvioLoteEventos-v1_1_0.xsd"), "");
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(FindText(root, "cdResposta"), "201") << reply.body;
    return FindText(root, "protocoloEnvio");
  }

  // Queries a protocol; the reply document, already checked against its schema.
  static XmlDoc Consultar(EsocialService& service, const std::string& protocolo) {
    const HttpReply reply = service.Handle(PostConsulta(EnvelopeConsulta(protocolo)));
    EXPECT_EQ(reply.status, 200);
    XmlDoc doc = ResultDocument(reply);
    if (doc) {
      EXPECT_EQ(SchemaErrors(doc.get(), "RetornoProcessamentoLote-v1_3_0.xsd"), "");
    }
    return doc;
  }

  // The retornoEvento document of an `evento` of a query reply, checked against its schema.
  static XmlDoc RetornoDoEvento(xmlNode* evento) {
    XmlDoc doc = CopyAsDocument(FirstElement(ChildElement(evento, "retornoEvento")));
    EXPECT_EQ(SchemaErrors(doc.get(), "RetornoEvento-v1_2_1.xsd"), "");
    return doc;
  }

  // The occurrence codes of a retornoEvento, in order.
  static std::vector<std::string> Codigos(xmlDoc* retorno) {
    std::vector<std::string> codes;
    for (xmlNode* o : FindAll(xmlDocGetRootElement(retorno), "ocorrencia")) {
      codes.push_back(ChildText(o, "codigo"));
    }
    return codes;
  }

  // Signature checked by the xmlsec1 tool against the test certificate.
  static void ExpectSignedByService(xmlDoc* doc, const std::string& name) {
    const auto file = KeyPem().parent_path() / ("verificar-" + name + ".xml");
    luvaro::test::WriteFile(file, SerializeNode(xmlDocGetRootElement(doc)));
    luvaro::test::ProcessOptions options;
    options.args = {"--verify", "--trusted-pem", CertPem().string(), file.string()};
    const auto result = luvaro::test::RunProcess("/usr/bin/xmlsec1", options);
    EXPECT_EQ(result.exitCode, 0) << name << ": " << result.err;
  }
};

TEST_F(EsocialEnvioTest, GoodLotIsReceivedAndItsQueryHasReceiptsAndTotalizers) {
  EsocialService service(Config());
  const std::string s1200 = Signed(Fixture("s1200-remuneracao.xml"));
  const std::string s1299 = Signed(Fixture("s1299-fechamento.xml"));

  const std::string protocolo =
      Enviar(service, Lote({{std::string(kIdS1200), s1200}, {std::string(kIdS1299), s1299}}));
  EXPECT_TRUE(std::regex_match(protocolo, std::regex(R"(1\.2\.\d{6}\.\d{19})"))) << protocolo;

  XmlDoc consulta = Consultar(service, protocolo);
  ASSERT_TRUE(consulta);
  xmlNode* root = xmlDocGetRootElement(consulta.get());
  EXPECT_EQ(PathText(root, {"retornoProcessamentoLoteEventos", "status", "cdResposta"}), "201");
  EXPECT_EQ(FindText(root, "protocoloEnvio"), protocolo);
  const std::vector<xmlNode*> eventos = FindAll(root, "evento");
  ASSERT_EQ(eventos.size(), 2u);
  EXPECT_EQ(Attribute(eventos[0], "Id"), std::string(kIdS1200));
  EXPECT_EQ(Attribute(eventos[1], "Id"), std::string(kIdS1299));

  std::vector<std::string> recibos;
  for (xmlNode* evento : eventos) {
    XmlDoc retorno = RetornoDoEvento(evento);
    xmlNode* r = xmlDocGetRootElement(retorno.get());
    EXPECT_EQ(FindText(r, "cdResposta"), "201");
    EXPECT_EQ(FindText(r, "protocoloEnvioLote"), protocolo);
    EXPECT_EQ(FindText(r, "tpAmb"), "2");
    EXPECT_FALSE(FindText(r, "hash").empty());
    EXPECT_TRUE(Codigos(retorno.get()).empty());
    recibos.push_back(FindText(r, "nrRecibo"));
    EXPECT_TRUE(std::regex_match(recibos.back(), std::regex(R"(1\.2\.\d{19})")));
    ExpectSignedByService(retorno.get(), "recibo-" + std::to_string(recibos.size()));
  }
  EXPECT_NE(recibos[0], recibos[1]);

  // S-1200: one S-5001 with the pay summed per category.
  const auto tot1200 = ChildElements(eventos[0], "tot");
  ASSERT_EQ(tot1200.size(), 1u);
  EXPECT_EQ(Attribute(tot1200[0], "tipo"), "S5001");
  XmlDoc s5001 = CopyAsDocument(FirstElement(tot1200[0]));
  EXPECT_EQ(SchemaErrors(s5001.get(), "evtBasesTrab-v02_05_00.xsd"), "");
  ExpectSignedByService(s5001.get(), "s5001");
  xmlNode* bases = xmlDocGetRootElement(s5001.get());
  EXPECT_EQ(FindText(bases, "nrRecArqBase"), recibos[0]);
  EXPECT_EQ(FindText(bases, "perApur"), "2024-04");
  EXPECT_EQ(FindText(bases, "cpfTrab"), "12345678909");
  const auto categorias = FindAll(bases, "infoCategIncid");
  ASSERT_EQ(categorias.size(), 2u);
  EXPECT_EQ(ChildText(categorias[0], "codCateg"), "101");
  EXPECT_EQ(FindText(categorias[0], "valor"), "3750.50");
  EXPECT_EQ(ChildText(categorias[1], "codCateg"), "721");
  EXPECT_EQ(FindText(categorias[1], "valor"), "1000.00");

  // S-1299: one S-5011 with the bases of the period's S-1200.
  const auto tot1299 = ChildElements(eventos[1], "tot");
  ASSERT_EQ(tot1299.size(), 1u);
  EXPECT_EQ(Attribute(tot1299[0], "tipo"), "S5011");
  XmlDoc s5011 = CopyAsDocument(FirstElement(tot1299[0]));
  EXPECT_EQ(SchemaErrors(s5011.get(), "evtCS-v02_05_00.xsd"), "");
  ExpectSignedByService(s5011.get(), "s5011");
  xmlNode* cs = xmlDocGetRootElement(s5011.get());
  EXPECT_EQ(FindText(cs, "nrRecArqBase"), recibos[1]);
  EXPECT_EQ(FindText(cs, "indExistInfo"), "1");
  const auto remun = FindAll(cs, "basesRemun");
  ASSERT_EQ(remun.size(), 2u);
  EXPECT_EQ(FindText(remun[0], "vrBcCp00"), "3750.50");
  EXPECT_EQ(FindText(remun[1], "vrBcCp00"), "1000.00");
}

TEST_F(EsocialEnvioTest, EachEventIsJudgedOnItsOwn) {
  const std::string modelo = Fixture("s1200-remuneracao.xml");
  auto trocar = [](std::string text, std::string_view from, std::string_view to) {
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::string outroId = "ID1123456780000002024051012000000077";
  struct Case {
    std::string name;
    std::string loteId;
    std::string documento;
    std::vector<std::string> codigos;  // expected occurrence codes; empty: receipt
  };
  const Case cases[] = {
      {"assinado e válido", std::string(kIdS1200), Signed(modelo), {}},
      {"alterado depois de assinado",
       std::string(kIdS1200),
       trocar(Signed(modelo), "3500.00", "9500.00"),
       {"142"}},
      {"sem assinatura", std::string(kIdS1200), Unsigned(modelo), {"142", "143"}},
      {"fora do schema",
       std::string(kIdS1200),
       Signed(trocar(modelo, "<cpfTrab>12345678909", "<cpfTrab>1234567890A")),
       {"143"}},
      {"Id do lote diferente do evento", outroId, Signed(modelo), {"144"}},
      {"empregador diferente do lote",
       std::string(kIdS1200),
       Signed(trocar(modelo, "<nrInsc>12345678</nrInsc>", "<nrInsc>87654321</nrInsc>")),
       {"145"}},
      {"versão sem schema na pasta",
       std::string(kIdS1200),
       Signed(trocar(modelo, "v02_05_00", "v09_09_09")),
       {}},
      {"documento que não é evento",
       "ID1",
       "<outro xmlns=\"urn:outro\"><a Id=\"ID1\"/></outro>",
       {"141"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EsocialService service(Config());  // a fresh run: no duplicates between cases
    XmlDoc consulta = Consultar(service, Enviar(service, Lote({{c.loteId, c.documento}})));
    ASSERT_TRUE(consulta);
    const auto eventos = FindAll(xmlDocGetRootElement(consulta.get()), "evento");
    ASSERT_EQ(eventos.size(), 1u);
    EXPECT_EQ(Attribute(eventos[0], "Id"), c.loteId);
    XmlDoc retorno = RetornoDoEvento(eventos[0]);
    xmlNode* r = xmlDocGetRootElement(retorno.get());
    EXPECT_EQ(Codigos(retorno.get()), c.codigos);
    EXPECT_EQ(FindText(r, "cdResposta"), c.codigos.empty() ? "201" : "401");
    EXPECT_EQ(FindElement(r, "recibo") != nullptr, c.codigos.empty());
    EXPECT_EQ(ChildElements(eventos[0], "tot").size(), c.codigos.empty() ? 1u : 0u);
  }
}

// The simplified layouts (S-1.x): each event is judged against the schema of the layout its
// namespace names, in that layout's folder; a layout the service has no schema for gets the
// schema occurrence, as the government answers.
TEST_F(EsocialEnvioTest, SimplifiedLayoutsAreJudgedByTheSchemasOfTheirFolder) {
  const std::string id = "ID1123456780000002025031012000000001";
  std::string modelo = luvaro::test::ReadFile(
      std::filesystem::path(LUVARO_SOURCE_DIR) /
      "tests/fixtures/e2e_esocial/erp/esocial/EMPRESA-S13/01-s1000-empregador.xml");
  while (!modelo.empty() && modelo.back() == '\n') modelo.pop_back();
  modelo.replace(modelo.rfind("</eSocial>"), 0, "<!--ASSINATURA-->");
  auto trocar = [](std::string text, std::string_view from, std::string_view to) {
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  struct Case {
    std::string name;
    std::string documento;
    std::vector<std::string> codigos;  // expected occurrence codes; empty: receipt
  };
  const Case cases[] = {
      {"S-1.3 válido", modelo, {}},
      {"S-1.2, pelo schema da sua pasta", trocar(modelo, "v_S_01_03_00", "v_S_01_02_00"), {}},
      {"S-1.3 fora do schema", trocar(modelo, "<classTrib>99<", "<classTrib>9X<"), {"143"}},
      {"leiaute S-1.x sem schema", trocar(modelo, "v_S_01_03_00", "v_S_01_09_00"), {"143"}},
      {"versão que sairia da pasta", trocar(modelo, "v_S_01_03_00", "v_S_01_03_00/../.."), {"143"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EsocialService service(Config());
    XmlDoc consulta = Consultar(service, Enviar(service, Lote({{id, Signed(c.documento)}})));
    ASSERT_TRUE(consulta);
    const auto eventos = FindAll(xmlDocGetRootElement(consulta.get()), "evento");
    ASSERT_EQ(eventos.size(), 1u);
    XmlDoc retorno = RetornoDoEvento(eventos[0]);
    xmlNode* r = xmlDocGetRootElement(retorno.get());
    EXPECT_EQ(Codigos(retorno.get()), c.codigos);
    EXPECT_EQ(FindText(r, "cdResposta"), c.codigos.empty() ? "201" : "401");
    EXPECT_EQ(FindElement(r, "recibo") != nullptr, c.codigos.empty());
  }
}

TEST_F(EsocialEnvioTest, RefusedLotsAndQueriesGetTheirErrorCodes) {
  const std::string evento = Signed(Fixture("s1200-remuneracao.xml"));
  std::vector<std::pair<std::string, std::string>> muitos;
  for (int i = 0; i < 51; ++i) muitos.emplace_back("ID" + std::to_string(1000 + i), "<x/>");
  const std::string semTransmissor = [&] {
    std::string lote = Lote({{std::string(kIdS1200), evento}});
    const auto from = lote.find("<ideTransmissor>");
    lote.erase(from, lote.find("</ideTransmissor>") + 17 - from);
    return lote;
  }();
  const std::string ns =
      "http://www.esocial.gov.br/schema/lote/eventos/envio/consulta/retornoProcessamento/";
  const std::string envio = "RetornoEnvioLoteEventos-v1_1_0.xsd";
  const std::string consulta = "RetornoProcessamentoLote-v1_3_0.xsd";
  struct Case {
    std::string name;
    HttpRequest request;
    std::string schema;  // of the reply
    std::string cdResposta;
  };
  const Case cases[] = {
      {"lote sem eventos", PostEnvio(EnvelopeEnvio(Lote({}))), envio, "405"},
      {"parâmetro vazio", PostEnvio(EnvelopeEnvio("")), envio, "405"},
      {"operação de outro nome",
       PostEnvio("<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                 "<soap:Body><Outra><loteEventos>" +
                 Lote({{std::string(kIdS1200), evento}}) +
                 "</loteEventos></Outra></soap:Body></soap:Envelope>"),
       envio, "405"},
      {"versão antiga do lote",
       PostEnvio(EnvelopeEnvio(Lote({{std::string(kIdS1200), evento}},
                                    "http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_0"))),
       envio, "403"},
      {"documento que não é lote",
       PostEnvio(EnvelopeEnvio("<eSocial xmlns=\"" + ns + "v1_0_0\"/>")), envio, "402"},
      {"lote fora do schema", PostEnvio(EnvelopeEnvio(semTransmissor)), envio, "402"},
      {"mais de 50 eventos", PostEnvio(EnvelopeEnvio(Lote(muitos))), envio, "401"},
      {"protocolo desconhecido", PostConsulta(EnvelopeConsulta("1.2.202405.0000000000000000999")),
       consulta, "501"},
      {"protocolo vazio", PostConsulta(EnvelopeConsulta("  ")), consulta, "505"},
      {"sem consulta", PostConsulta(EnvelopeConsultaDoc("")), consulta, "505"},
      {"versão da consulta",
       PostConsulta(EnvelopeConsultaDoc("<eSocial xmlns=\"" + ns +
                                        "v1_0_1\"><consultaLoteEventos><protocoloEnvio>1"
                                        "</protocoloEnvio></consultaLoteEventos></eSocial>")),
       consulta, "503"},
      {"consulta fora do schema",
       PostConsulta(EnvelopeConsultaDoc("<eSocial xmlns=\"" + ns +
                                        "v1_0_0\"><consultaLoteEventos><protocolo>1</protocolo>"
                                        "</consultaLoteEventos></eSocial>")),
       consulta, "502"},
  };
  EsocialService service(Config());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HttpReply reply = service.Handle(c.request);
    EXPECT_EQ(reply.status, 200);
    XmlDoc doc = ResultDocument(reply);
    ASSERT_TRUE(doc);
    EXPECT_EQ(SchemaErrors(doc.get(), c.schema), "");
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(FindText(root, "cdResposta"), c.cdResposta);
    EXPECT_FALSE(FindAll(root, "ocorrencia").empty());
    // Nothing was received or processed: no reception data, no event results.
    EXPECT_EQ(FindElement(root, "dadosRecepcaoLote"), nullptr);
    EXPECT_EQ(FindElement(root, "retornoEventos"), nullptr);
  }
}

TEST_F(EsocialEnvioTest, QueriesBeforeTheEndOfProcessingSayAwaiting) {
  EsocialConfig config = Config();
  config.consultasPendentes = 2;
  EsocialService service(config);
  const std::string protocolo =
      Enviar(service, Lote({{std::string(kIdS1299), Signed(Fixture("s1299-fechamento.xml"))}}));
  for (const char* esperado : {"101", "101", "201"}) {
    SCOPED_TRACE(esperado);
    XmlDoc doc = Consultar(service, protocolo);
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(FindText(root, "cdResposta"), esperado);
    const bool aguardando = std::string(esperado) == "101";
    EXPECT_EQ(FindText(root, "tempoEstimadoConclusao").empty(), !aguardando);
    EXPECT_EQ(FindElement(root, "retornoEventos") == nullptr, aguardando);
  }
}

TEST_F(EsocialEnvioTest, AnEventSentAgainGetsItsFirstReceiptMarkedDuplicate) {
  EsocialService service(Config());
  const std::string s1200 = Signed(Fixture("s1200-remuneracao.xml"));
  std::vector<std::string> recibos;
  for (int vez = 0; vez < 2; ++vez) {
    XmlDoc doc = Consultar(service, Enviar(service, Lote({{std::string(kIdS1200), s1200}})));
    ASSERT_TRUE(doc);
    xmlNode* evento = FindElement(xmlDocGetRootElement(doc.get()), "evento");
    EXPECT_EQ(Attribute(evento, "evtDupl"),
              vez == 0 ? std::nullopt : std::optional<std::string>("true"));
    recibos.push_back(FindText(evento, "nrRecibo"));
  }
  EXPECT_EQ(recibos[0], recibos[1]);
}

TEST_F(EsocialEnvioTest, WithATrustedCaOnlyItsCertificatesSign) {
  const std::string s1200 = Signed(Fixture("s1200-remuneracao.xml"));
  struct Case {
    std::string name;
    std::string ca;
    std::vector<std::string> codigos;
  };
  const Case cases[] = {
      {"certificado da cadeia", luvaro::test::ReadFile(CertPem()), {}},
      {"outra cadeia", ReplySigner::Generated().CertificatePem(), {"142"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EsocialConfig config = Config();
    config.trustedCaPem = c.ca;
    EsocialService service(config);
    XmlDoc doc = Consultar(service, Enviar(service, Lote({{std::string(kIdS1200), s1200}})));
    ASSERT_TRUE(doc);
    XmlDoc retorno = RetornoDoEvento(FindElement(xmlDocGetRootElement(doc.get()), "evento"));
    EXPECT_EQ(Codigos(retorno.get()), c.codigos);
  }
}

}  // namespace
}  // namespace luvaro::sim::esocial::test
