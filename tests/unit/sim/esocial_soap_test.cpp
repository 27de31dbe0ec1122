// What the eSocial stand-in refuses before it looks at a lot: wrong method, content type,
// action or path, and bodies that are not SOAP 1.1 envelopes, including hostile ones.
#include "tests/unit/sim/esocial_test_support.h"

namespace luvaro::sim::esocial::test {
namespace {

using EsocialSoapTest = EsocialFixture;

TEST_F(EsocialSoapTest, RequestsTheServiceCannotTakeAreRefusedAtTheHttpLevel) {
  const luvaro::test::TempDir dir("luvaro-esocial-xxe");
  const auto secret = dir / "segredo.txt";
  luvaro::test::WriteFile(secret, "SEGREDO-LOCAL-123");
  const std::string lote = EnvelopeEnvio(Lote({}));
  auto with = [](HttpRequest r, auto change) {
    change(r);
    return r;
  };
  struct Case {
    std::string name;
    HttpRequest request;
    int status;
    std::string inBody;  // a text the reply must contain
  };
  const Case cases[] = {
      {"ação de outro serviço",
       with(PostEnvio(lote),
            [](HttpRequest& r) { r.soapAction = "\"" + std::string(kActionConsultar) + "\""; }),
       500, "a:ActionNotSupported"},
      {"sem ação", with(PostEnvio(lote), [](HttpRequest& r) { r.soapAction.clear(); }), 500,
       "ContractFilter mismatch"},
      {"ação sem aspas",
       with(PostEnvio(lote), [](HttpRequest& r) { r.soapAction = std::string(kActionEnviar); }),
       200, "retornoEnvioLoteEventos"},
      {"tipo de conteúdo SOAP 1.2",
       with(PostEnvio(lote),
            [](HttpRequest& r) { r.contentType = "application/soap+xml; charset=utf-8"; }),
       415, "text/xml; charset=utf-8"},
      {"GET", with(PostEnvio(lote), [](HttpRequest& r) { r.method = "GET"; }), 405, ""},
      {"caminho desconhecido",
       with(PostEnvio(lote), [](HttpRequest& r) { r.path = "/servicos/outro.svc"; }), 404, ""},
      {"corpo que não é XML", PostEnvio("isto não é XML"), 400, "s:Client"},
      {"corpo truncado", PostEnvio(lote.substr(0, lote.size() / 2)), 400, "s:Client"},
      {"XML que não é envelope", PostEnvio(Lote({})), 400, "s:Client"},
      {"envelope SOAP 1.2",
       PostEnvio("<e:Envelope "
                 "xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>"),
       500, "s:VersionMismatch"},
      {"entidade externa (arquivo local)",
       PostEnvio("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY s SYSTEM \"file://" +
                 secret.string() + "\">]>" + EnvelopeEnvio("<eSocial xmlns=\"x\">&s;</eSocial>")),
       400, "DTD"},
      {"DTD externa", PostEnvio("<!DOCTYPE x SYSTEM \"http://127.0.0.1:9/x.dtd\">" + lote), 400,
       "DTD"},
      {"expansão de entidades",
       PostEnvio("<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">"
                 "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
                 EnvelopeEnvio("<x>&c;</x>")),
       400, "DTD"},
  };
  EsocialService service(Config());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HttpReply reply = service.Handle(c.request);
    EXPECT_EQ(reply.status, c.status) << reply.body;
    EXPECT_NE(reply.body.find(c.inBody), std::string::npos) << reply.body;
    EXPECT_EQ(reply.body.find("SEGREDO-LOCAL-123"), std::string::npos);
    if (reply.contentType.starts_with("text/xml")) {
      EXPECT_TRUE(ParseXml(reply.body).doc) << "fault not well-formed: " << reply.body;
    }
  }
}

TEST_F(EsocialSoapTest, ResultElementsCarryThePrefixWhenAsked) {
  for (bool prefixed : {false, true}) {
    SCOPED_TRACE(prefixed ? "prefixado" : "sem prefixo");
    EsocialConfig config = Config();
    config.resultadoPrefixado = prefixed;
    EsocialService service(config);
    const HttpReply envio = service.Handle(PostEnvio(EnvelopeEnvio(Lote({}))));
    const HttpReply consulta = service.Handle(PostConsulta(EnvelopeConsulta("1")));
    for (const auto& [reply, result] : {std::pair{&envio, "EnviarLoteEventosResult>"},
                                        std::pair{&consulta, "ConsultarLoteEventosResult>"}}) {
      EXPECT_EQ(reply->status, 200);
      EXPECT_NE(reply->body.find(std::string(prefixed ? "<v1:" : "<") + result), std::string::npos)
          << reply->body;
      EXPECT_TRUE(ResultDocument(*reply));
    }
  }
}

}  // namespace
}  // namespace luvaro::sim::esocial::test
