// The asynchronous (REST) services of the EFD-Reinf stand-in as pure functions: a lot in, the
// reception's reply out; a protocol in, the lot's state out. Every reply is checked against the
// published retornoLoteEventosAssincrono schema; statuses and codes come from the program's
// table, which the client reads too.

#include <regex>

#include "reinf/reinf_rest_codigos.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/sim/reinf_test_support.h"
#include "tools/sim/reinf_rest.h"

namespace luvaro::sim::reinf::test {
namespace {

namespace codigos = luvaro::reinf;

const std::filesystem::path kPastaRest = luvaro::test::SharedSchemasDir() / "reinf" / "v2_01_02";
constexpr std::string_view kIdLote = "ID1987654320000002025040510400000005";

std::string R4099(std::string_view id = kIdLote) {
  return "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/evt4099FechamentoDirf/v2_01_02\">"
         "<evtFech id=\"" +
         std::string(id) +
         "\"><ideEvento><perApur>2025-03</perApur>"
         "<tpAmb>2</tpAmb><procEmi>1</procEmi><verProc>teste</verProc></ideEvento><ideContri>"
         "<tpInsc>1</tpInsc><nrInsc>98765432</nrInsc></ideContri><infoFech><fechRet>0</fechRet>"
         "</infoFech></evtFech></Reinf>";
}

std::string Lote(const std::vector<std::pair<std::string, std::string>>& eventos) {
  std::string lote =
      "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/envioLoteEventosAssincrono/"
      "v1_00_00\"><envioLoteEventos><ideContribuinte><tpInsc>1</tpInsc><nrInsc>98765432</nrInsc>"
      "</ideContribuinte><eventos>";
  for (const auto& [id, documento] : eventos)
    lote += "<evento Id=\"" + id + "\">" + documento + "</evento>";
  return lote + "</eventos></envioLoteEventos></Reinf>";
}

class ReinfRestTest : public ReinfFixture {
 protected:
  static ReinfConfig ConfigRest() {
    ReinfConfig config = Config();
    config.schemas = kPastaRest.parent_path();
    return config;
  }

  // The reply's document, checked against the reply schema; its status and code.
  void Conferir(const HttpReply& reply, int status, int cdResposta, XmlDoc* saida = nullptr) {
    EXPECT_EQ(reply.status, status) << reply.body;
    EXPECT_TRUE(reply.contentType.starts_with("application/xml")) << reply.contentType;
    ParsedXml parsed = ParseXml(reply.body);
    ASSERT_TRUE(parsed.doc) << reply.body;
    std::string erros;
    for (const auto& m :
         m_schemas.Validate(parsed.doc.get(), "retornoLoteEventosAssincrono-v1_00_00.xsd"))
      erros += m + "\n";
    EXPECT_EQ(erros, "") << reply.body;
    EXPECT_EQ(FindText(xmlDocGetRootElement(parsed.doc.get()), "cdResposta"),
              std::to_string(cdResposta));
    if (saida) *saida = std::move(parsed.doc);
  }

  static HttpRequest Post(std::string corpo) {
    HttpRequest request;
    request.path = "/recepcao/lotes";
    request.contentType = "application/xml; charset=utf-8";
    request.body = std::move(corpo);
    return request;
  }

  SchemaSet m_schemas{kPastaRest};
};

// Refusals of the reception: the status and the code of the table, nothing kept.
TEST_F(ReinfRestTest, RecepcaoRecusada) {
  ReinfRestService service(ConfigRest());
  const std::string evento = R4099();
  const struct {
    const char* nome;
    std::string corpo;
    int status;
  } casos[] = {
      {"not XML", "isto não é XML", codigos::kHttpRequisicaoInvalida},
      {"another document", "<Reinf xmlns=\"outro\"/>", codigos::kHttpRequisicaoInvalida},
      {"duplicate Ids", Lote({{std::string(kIdLote), evento}, {std::string(kIdLote), evento}}),
       codigos::kHttpLoteRejeitado},
      {"lot schema", Lote({}), codigos::kHttpLoteRejeitado},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Conferir(service.ReceberLote(Post(c.corpo)), c.status,
             codigos::kRespostaLoteRejeitado.cdResposta);
  }
  Conferir(service.ConsultarLote("2.202501.1"), codigos::kHttpProtocoloInexistente,
           codigos::kRespostaProtocoloInexistente.cdResposta);
}

// A lot taken: its protocol at once; the query answers "in processing", then the result of
// each event (here refused: the event is not signed).
TEST_F(ReinfRestTest, RecepcaoEConsultas) {
  ReinfRestService service(ConfigRest());
  XmlDoc recepcao;
  Conferir(service.ReceberLote(Post(Lote({{std::string(kIdLote), R4099()}}))),
           codigos::kHttpLoteRecebido, codigos::kRespostaEmProcessamento.cdResposta, &recepcao);
  const std::string protocolo = FindText(xmlDocGetRootElement(recepcao.get()), "protocoloEnvio");
  EXPECT_TRUE(std::regex_match(protocolo, std::regex(R"(2\.\d{6}\.\d{1,19})"))) << protocolo;

  Conferir(service.ConsultarLote(protocolo), codigos::kHttpConsultaRespondida,
           codigos::kRespostaEmProcessamento.cdResposta);
  XmlDoc processado;
  Conferir(service.ConsultarLote(protocolo), codigos::kHttpConsultaRespondida,
           codigos::kRespostaProcessadoComRejeicoes.cdResposta, &processado);
  xmlNode* raiz = xmlDocGetRootElement(processado.get());
  EXPECT_EQ(FindText(raiz, "cdRetorno"), "1");
  EXPECT_EQ(FindText(raiz, "codResp"), "MS0034");
  EXPECT_EQ(FindText(raiz, "idEv"), kIdLote);
}

TEST(ReinfRestFalhas, FalhasSimuladas) {
  EXPECT_EQ(FalhaSimuladaRest("lote-rejeitado")->status, codigos::kHttpLoteRejeitado);
  EXPECT_EQ(FalhaSimuladaRest("soap-fault")->status, codigos::kHttpErroServidor);
  EXPECT_FALSE(FalhaSimuladaRest("drop"));
}

}  // namespace
}  // namespace luvaro::sim::reinf::test
