// The asynchronous lot of layout 2.1.2: which road a document takes, the protocol form of the
// REST query, the signing and schema check of each event, the lot document and how a refusal of
// the service is described.

#include <gtest/gtest.h>

#include <string>

#include "dfe/ssl/dfe_ssl.h"
#include "reinf/lote_assincrono.h"
#include "reinf/reinf_exception.h"
#include "reinf/reinf_rest.h"
#include "tests/unit/reinf/reinf_teste.h"

namespace luvaro::test {
namespace {

using namespace reinf;

std::string FixtureRest(std::string_view nome) {
  return ReadFile(std::filesystem::path(LUVARO_SOURCE_DIR) /
                  "tests/fixtures/e2e_reinf/erp/reinf/98765432000198" / nome);
}

TEST(ReinfLoteAssincrono, ViaDoDocumento) {
  const struct {
    const char* nome;
    std::string documento;
    TViaReinf via;
  } casos[] = {
      {"2.1.2", FixtureRest("03-r4020-pagamento-pj.xml"), TViaReinf::viaAssincrona},
      {"1.04.00", FixtureReinf("r2010-servico-tomado.xml"), TViaReinf::viaSincrona},
      {"1.03.02",
       "<Reinf xmlns='http://www.reinf.esocial.gov.br/schemas/evtInfoContribuinte/v1_03_02'>"
       "<evtInfoContri id='ID1'/></Reinf>",
       TViaReinf::viaSincrona},
      {"another system", "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/x/v02_05_00\"/>",
       TViaReinf::viaDesconhecida},
      {"a Reinf of no known version",
       "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/evtX/v3_00_00\"/>",
       TViaReinf::viaDesconhecida},
      {"a longer root name",
       "<ReinfX xmlns=\"http://www.reinf.esocial.gov.br/schemas/a/v2_01_02\"/>",
       TViaReinf::viaDesconhecida},
      {"not XML", "texto qualquer", TViaReinf::viaDesconhecida},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(ViaDoDocumento(c.documento), c.via);
  }
}

TEST(ReinfLoteAssincrono, ProtocoloAssincrono) {
  const struct {
    const char* protocolo;
    bool assincrono;
  } casos[] = {
      {"1.202003.123", true},
      {"4.202512.1", true},
      {"2.202501.1234567890123456789", true},
      {"2.202501.12345678901234567890", false},  // 20 digits
      {"5.202003.123", false},                   // environments 1 to 4
      {"0.202003.123", false},
      {"1.202013.123", false},  // month 13
      {"1.202000.123", false},
      {"1.202003.", false},
      {"1.20200.123", false},
      {"1.2.202403.1", false},  // a closing's protocol of the SOAP road
      {"1.202003.12a", false},
      {"", false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.protocolo);
    EXPECT_EQ(ProtocoloAssincrono(c.protocolo), c.assincrono);
  }
}

TEST(ReinfLoteAssincrono, DescricaoDaRecusa) {
  const struct {
    const char* nome;
    std::string resposta;
    std::string descricao;
  } casos[] = {
      {"status with occurrences",
       "<Reinf><retornoLoteEventosAssincrono><status><cdResposta>7</cdResposta>"
       "<descResposta>Lote rejeitado &amp; devolvido.</descResposta><ocorrencias><ocorrencia>"
       "<codigo>MS0014</codigo><descricao>Primeira.</descricao><tipo>1</tipo></ocorrencia>"
       "<ocorrencia><codigo>MS0015</codigo><descricao>Segunda.</descricao><tipo>1</tipo>"
       "</ocorrencia></ocorrencias></status></retornoLoteEventosAssincrono></Reinf>",
       "Resposta do serviço: 7 - Lote rejeitado & devolvido.\r\nMS0014 - Primeira.\r\n"
       "MS0015 - Segunda."},
      {"status alone",
       "<Reinf><status><cdResposta>99</cdResposta><descResposta>Erro.</descResposta></status>"
       "</Reinf>",
       "Resposta do serviço: 99 - Erro."},
      {"no status", "  simulated status 500\n", "Resposta do serviço: simulated status 500"},
      {"long text", std::string(600, 'x'), "Resposta do serviço: " + std::string(500, 'x') + "..."},
      {"empty", "", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(DescricaoDaRecusa(c.resposta), c.descricao);
  }
}

class ReinfLoteAssincronoTest : public ReinfTest {};

// Each event is signed on adding (reference to its id) and checked against its 2.1.2 schema;
// the lot carries them in order with the contributor of the first, and is valid against the
// lot schema.
TEST_F(ReinfLoteAssincronoTest, EventosAssinadosNoLote) {
  TLoteAssincrono& lote = m_comp->EventosAssincronos();
  for (const char* nome :
       {"01-r1000-info-contribuinte.xml", "02-r2010-servico-tomado.xml",
        "03-r4020-pagamento-pj.xml", "04-r2099-fechamento.xml", "05-r4099-fechamento-dirf.xml"}) {
    SCOPED_TRACE(nome);
    EXPECT_NO_THROW(lote.Adicionar(FixtureRest(nome)));
  }
  ASSERT_EQ(lote.Count(), 5u);
  lote.GerarXML();
  const std::string& xml = lote.XML();
  EXPECT_TRUE(xml.starts_with(
      "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/envioLoteEventosAssincrono/"
      "v1_00_00\"><envioLoteEventos><ideContribuinte><tpInsc>1</tpInsc><nrInsc>98765432</nrInsc>"
      "</ideContribuinte><eventos><evento Id=\"ID1987654320000002025030110000000001\"><Reinf "))
      << xml.substr(0, 400);
  EXPECT_NE(xml.find("<Reference URI=\"#ID1987654320000002025040311000000003\""),
            std::string::npos);
  EXPECT_EQ(xml.find("<?xml"), std::string::npos);
  std::string mensagem;
  EXPECT_TRUE(m_comp->SSL().Validar(
      xml, (PastaSchemasReinf() / "v2_01_02" / "envioLoteEventosAssincrono-v1_00_00.xsd").string(),
      mensagem))
      << mensagem;
}

// An event that breaks its schema stays signed in the lot, and the failure says which schema;
// a document of no event, or of another layout, is not kept.
TEST_F(ReinfLoteAssincronoTest, FalhasAoAdicionar) {
  TLoteAssincrono& lote = m_comp->EventosAssincronos();
  std::string invalido = FixtureRest("05-r4099-fechamento-dirf.xml");
  invalido.replace(invalido.find("<fechRet>0</fechRet>"), 20, "<fechRet>7</fechRet>");
  try {
    lote.Adicionar(invalido);
    ADD_FAILURE() << "no failure";
  } catch (const EReinfValidacao& e) {
    EXPECT_NE(std::string(e.what()).find("R-4099-evt4099FechamentoDirf-v2_01_02_B"),
              std::string::npos)
        << e.what();
    EXPECT_NE(e.Detalhe().find("fechRet"), std::string::npos) << e.Detalhe();
  }
  EXPECT_EQ(lote.Count(), 1u);
  EXPECT_THROW(lote.Adicionar("<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/evtX/"
                              "v2_01_02\"></Reinf>"),
               EReinfException);
  EXPECT_NO_THROW(lote.Adicionar("<Reinf xmlns=\"x\"><evtX id=\"ID1\"/></Reinf>"));
  EXPECT_NO_THROW(lote.Adicionar(FixtureReinf("r2010-servico-tomado.xml")));
  EXPECT_EQ(lote.Count(), 1u);
}

// At most 50 events: one more fails before anything is built.
TEST_F(ReinfLoteAssincronoTest, NoMaximoCinquentaEventos) {
  TLoteAssincrono& lote = m_comp->EventosAssincronos();
  const std::string documento = FixtureRest("05-r4099-fechamento-dirf.xml");
  const std::string original = "ID1987654320000002025040510400000005";
  for (int i = 0; i < 51; ++i) {
    std::string sequencia = std::to_string(i);
    sequencia.insert(0, 5 - sequencia.size(), '0');
    std::string evento = documento;
    evento.replace(evento.find(original), original.size(),
                   original.substr(0, original.size() - 5) + sequencia);
    lote.Adicionar(evento);
  }
  try {
    lote.GerarXML();
    ADD_FAILURE() << "no failure";
  } catch (const EReinfException& e) {
    EXPECT_NE(std::string(e.what()).find("no máximo 50 eventos"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(lote.XML().empty());
}

}  // namespace
}  // namespace luvaro::test
