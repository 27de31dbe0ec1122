// The reception service of the EFD-Reinf stand-in as a pure function: a lot in, the
// government's reply out, every reply and every R-5001 checked against the published schemas
// and every signature the service makes checked by the xmlsec1 tool.
#include <regex>

#include "tests/support/process.h"
#include "tests/unit/sim/reinf_test_support.h"

namespace luvaro::sim::reinf::test {
namespace {

class ReinfEnvioTest : public ReinfFixture {
 protected:
  // Base64 of the SHA-256 of a document's canonical form, by the xmllint and openssl tools.
  static std::string Sha256Base64(const std::string& text) {
    const auto file = Folder() / "hash.xml";
    luvaro::test::WriteFile(file, text);
    luvaro::test::ProcessOptions options;
    options.args = {"-c", "xmllint --nonet --c14n '" + file.string() +
                              "' | openssl dgst -sha256 -binary | base64 -w0"};
    return luvaro::test::RunProcess("/bin/sh", options).out;
  }
};

TEST_F(ReinfEnvioTest, GoodLotGetsOneAcceptedR5001PerEventWithReceiptAndTotals) {
  ReinfService service(Config());
  const std::string r1000 = Signed(Fixture("r1000-contribuinte.xml"));
  const std::string r2010 = Signed(Fixture("r2010-tomador.xml"));
  const std::string r2020 = Signed(Fixture("r2020-prestador.xml"));
  XmlDoc retorno = Enviar(service, Lote({{std::string(kIdR1000), r1000},
                                         {std::string(kIdR2010), r2010},
                                         {std::string(kIdR2020), r2020}}));
  ASSERT_TRUE(retorno);
  xmlNode* root = xmlDocGetRootElement(retorno.get());
  EXPECT_EQ(FindText(root, "cdStatus"), "0");
  EXPECT_EQ(FindText(root, "descRetorno"), "Lote processado com sucesso.");
  // The transmitter: nothing came over TLS here, so the contributor of the lot.
  EXPECT_EQ(FindText(root, "IdTransmissor"), "12345678");

  const std::vector<EventoDoRetorno> eventos = Eventos(retorno.get());
  ASSERT_EQ(eventos.size(), 3u);
  const std::string documentos[] = {r1000, r2010, r2020};
  const std::string ids[] = {std::string(kIdR1000), std::string(kIdR2010), std::string(kIdR2020)};
  const std::string tipos[] = {"1000", "2010", "2020"};
  const std::string periodos[] = {"2024-03", "2024-03", "2024-03"};
  std::vector<std::string> recibos;
  std::vector<std::string> protocolos;
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(tipos[i]);
    const std::string& r5001 = eventos[i].r5001;
    EXPECT_EQ(eventos[i].id, ids[i]);
    EXPECT_EQ(Campo(r5001, "cdRetorno"), "0");
    EXPECT_TRUE(Codigos(r5001).empty());
    EXPECT_EQ(Campo(r5001, "tpEv"), tipos[i]);
    EXPECT_EQ(Campo(r5001, "idEv"), ids[i]);
    EXPECT_EQ(Campo(r5001, "perApur"), periodos[i]);
    EXPECT_EQ(Campo(r5001, "hash"), Sha256Base64(documentos[i]));
    protocolos.push_back(Campo(r5001, "nrProtEntr"));
    EXPECT_TRUE(std::regex_match(protocolos.back(), std::regex(R"(1\.2\.\d{6}\.\d{38})")))
        << protocolos.back();
    recibos.push_back(Campo(r5001, "nrRecArqBase"));
    EXPECT_TRUE(std::regex_match(recibos.back(),
                                 std::regex(R"(\d{5}-\d{2}-)" + tipos[i] + R"(-\d{4}-\d{5})")))
        << recibos.back();
  }
  EXPECT_NE(recibos[0], recibos[1]);
  // An R-5001 also verifies where it stands, inside the lot reply.
  ExpectSignedByService(SerializeNode(root), "r5001-no-lote",
                        "(//*[local-name()='evento'])[2]/*/*[local-name()='Signature']");
  EXPECT_NE(protocolos[1], protocolos[2]);

  // R-1000 names no establishment: the head office of the CNPJ root 12345678.
  EXPECT_EQ(Campo(eventos[0].r5001, "nrInsc"), "12345678");
  EXPECT_NE(eventos[0].r5001.find("<ideEstab><tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc>"),
            std::string::npos);
  // R-2010: services taken, retained and suspended amounts under the revenue code.
  EXPECT_NE(eventos[1].r5001.find("<RTom><cnpjPrestador>11222333000181</cnpjPrestador>"
                                  "<vlrTotalBaseRet>10000,00</vlrTotalBaseRet><infoCRTom>"
                                  "<CRTom>116201</CRTom><VlrCRTom>1100,00</VlrCRTom>"
                                  "<VlrCRTomSusp>50,00</VlrCRTomSusp></infoCRTom></RTom>"),
            std::string::npos)
      << eventos[1].r5001;
  // R-2020: services provided to the taker.
  EXPECT_NE(eventos[2].r5001.find("<RPrest><tpInscTomador>1</tpInscTomador><nrInscTomador>"
                                  "44555666000190</nrInscTomador><vlrTotalBaseRet>4000,00"
                                  "</vlrTotalBaseRet><vlrTotalRetPrinc>440,00</vlrTotalRetPrinc>"
                                  "</RPrest>"),
            std::string::npos)
      << eventos[2].r5001;
}

TEST_F(ReinfEnvioTest, EachEventIsJudgedOnItsOwn) {
  const std::string modelo = Fixture("r2010-tomador.xml");
  const std::string id(kIdR2010);
  const std::string esocial =
      "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtTabRubrica/v02_05_00\">"
      "<evtTabRubrica Id=\"" +
      id + "\"/></eSocial>";
  struct Case {
    std::string name;
    std::string loteId;
    std::string documento;
    std::vector<std::string> codigos;  // expected occurrence codes; empty: accepted
  };
  const Case cases[] = {
      {"assinado e válido", id, Signed(modelo), {}},
      {"alterado depois de assinado", id, Trocar(Signed(modelo), "1100,00", "9100,00"), {"203"}},
      {"sem assinatura", id, Unsigned(modelo), {"203", "204"}},
      {"referência ao documento inteiro", id, Signed(modelo, ""), {"203"}},
      {"identificador do lote diferente",
       "ID1123456780000002024040110300000077",
       Signed(modelo),
       {"205"}},
      {"fora do schema do evento", id, Signed(Trocar(modelo, "<indObra>0</indObra>", "")), {"204"}},
      {"leiaute de outra versão",
       id,
       Signed(Trocar(modelo, "evtTomadorServicos/v1_04_00", "evtTomadorServicos/v1_03_00")),
       {"202"}},
      {"documento do eSocial", id, esocial, {"201"}},
      {"totalizador em vez de evento",
       id,
       "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/evtTotal/v1_04_00\"><evtTotal "
       "id=\"" +
           id + "\"/></Reinf>",
       {"201"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReinfService service(Config());
    XmlDoc retorno = Enviar(service, Lote({{c.loteId, c.documento}}));
    ASSERT_TRUE(retorno);
    xmlNode* root = xmlDocGetRootElement(retorno.get());
    EXPECT_EQ(FindText(root, "cdStatus"), c.codigos.empty() ? "0" : "1");
    const std::vector<EventoDoRetorno> eventos = Eventos(retorno.get());
    ASSERT_EQ(eventos.size(), 1u);
    EXPECT_EQ(eventos[0].id, c.loteId);
    EXPECT_EQ(Codigos(eventos[0].r5001), c.codigos) << eventos[0].r5001;
    EXPECT_EQ(Campo(eventos[0].r5001, "cdRetorno"), c.codigos.empty() ? "0" : "1");
    // A refused event gets neither a protocol nor a receipt.
    EXPECT_EQ(Campo(eventos[0].r5001, "nrProtEntr").empty(), !c.codigos.empty());
    EXPECT_EQ(Campo(eventos[0].r5001, "nrRecArqBase").empty(), !c.codigos.empty());
  }
}

TEST_F(ReinfEnvioTest, LotsThatCannotBeTakenAreRefusedWithTheirReason) {
  const std::string evento = Signed(Fixture("r1000-contribuinte.xml"));
  std::vector<std::pair<std::string, std::string>> demais;
  for (int i = 0; i < 101; ++i) {
    std::string n = std::to_string(i);
    demais.emplace_back("ID11234567800000020240301120000" + std::string(5 - n.size(), '0') + n,
                        "<x/>");
  }
  struct Case {
    std::string name;
    std::string envelope;
    std::string codigo;
  };
  const Case cases[] = {
      {"sem lote", EnvelopeLote(""), "101"},
      {"lote sem eventos", EnvelopeLote(Lote({})), "101"},
      {"operação em outro namespace",
       Trocar(EnvelopeLote(Lote({{std::string(kIdR1000), evento}})),
              "xmlns:v1=\"http://sped.fazenda.gov.br/\"",
              "xmlns:v1=\"http://sped.fazenda.gov.br/outro\""),
       "101"},
      {"lote do eSocial",
       EnvelopeLote("<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1\">"
                    "<envioLoteEventos/></eSocial>"),
       "102"},
      {"lote de outra versão",
       EnvelopeLote(Lote({{std::string(kIdR1000), evento}},
                         "http://www.reinf.esocial.gov.br/schemas/envioLoteEventos/v1_03_00")),
       "103"},
      {"evento sem id no lote",
       EnvelopeLote(Trocar(Lote({{std::string(kIdR1000), evento}}),
                           "<evento id=\"" + std::string(kIdR1000) + "\">", "<evento>")),
       "102"},
      {"identificador repetido",
       EnvelopeLote(Lote({{std::string(kIdR1000), evento}, {std::string(kIdR1000), evento}})),
       "102"},
      {"mais de 100 eventos", EnvelopeLote(Lote(demais)), "102"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReinfService service(Config());
    const HttpReply reply = service.Handle(PostLote(c.envelope));
    XmlDoc retorno = Resultado(reply, "RetornoLoteEventos-v1_04_00.xsd");
    ASSERT_TRUE(retorno);
    xmlNode* root = xmlDocGetRootElement(retorno.get());
    EXPECT_EQ(FindText(root, "cdStatus"), "1");
    EXPECT_EQ(FindText(root, "descRetorno"), "Lote rejeitado. Verifique as ocorrências do lote.");
    // Accented letters travel as UTF-8, not as character references.
    EXPECT_NE(reply.body.find("ocorrências do lote"), std::string::npos);
    EXPECT_EQ(FindText(root, "codigo"), c.codigo) << reply.body;
    EXPECT_EQ(FindText(root, "tipo"), "2");
    EXPECT_EQ(FindElement(root, "retornoEventos"), nullptr);
  }
}

TEST_F(ReinfEnvioTest, RequestsOutsideTheContractAreRefusedAtTheSoapLevel) {
  const std::string envelope = EnvelopeLote(Lote({{std::string(kIdR1000), "<x/>"}}));
  struct Case {
    std::string name;
    HttpRequest request;
    int status;
    std::string marca;  // a text the reply must hold
  };
  auto with = [&](auto edit) {
    HttpRequest request = PostLote(envelope);
    edit(request);
    return request;
  };
  const Case cases[] = {
      {"GET", with([](HttpRequest& r) { r.method = "GET"; }), 405, "Method Not Allowed"},
      {"SOAP 1.2 content type",
       with([](HttpRequest& r) { r.contentType = "application/soap+xml; charset=utf-8"; }), 415,
       "text/xml"},
      {"ação da consulta no caminho de envio",
       with([](HttpRequest& r) { r.soapAction = std::string(kActionConsolidada); }), 500,
       "ActionNotSupported"},
      {"ação sem aspas é aceita", with([](HttpRequest& r) { r.soapAction = kActionEnviar; }), 200,
       "ReceberLoteEventosResult"},
      {"corpo que não é XML", with([](HttpRequest& r) { r.body = "lote"; }), 400, "s:Client"},
      {"caminho de outra geração", with([](HttpRequest& r) { r.path = "/RecepcaoLoteReinf.svc"; }),
       404, "404"},
  };
  ReinfService service(Config());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HttpReply reply = service.Handle(c.request);
    EXPECT_EQ(reply.status, c.status) << reply.body;
    EXPECT_NE(reply.body.find(c.marca), std::string::npos) << reply.body;
  }
}

TEST_F(ReinfEnvioTest, ResultElementsMayCarryAPrefix) {
  ReinfConfig config = Config();
  config.resultadoPrefixado = true;
  ReinfService service(std::move(config));
  const HttpReply reply = service.Handle(PostLote(EnvelopeLote(Lote({}))));
  EXPECT_NE(
      reply.body.find("<v1:ReceberLoteEventosResponse xmlns:v1=\"http://sped.fazenda.gov.br/\">"
                      "<v1:ReceberLoteEventosResult><Reinf"),
      std::string::npos)
      << reply.body;
  Resultado(reply, "RetornoLoteEventos-v1_04_00.xsd");
}

}  // namespace
}  // namespace luvaro::sim::reinf::test
