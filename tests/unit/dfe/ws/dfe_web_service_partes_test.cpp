// The pieces of a call: the envelope, the encoding rule for what is sent, logging with the
// message box, the writer's options, signing the body and the small texts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/process_time_zone.h"
#include "dfe/xml/gerador.h"
#include "tests/unit/dfe/ssl/failure_of.h"
#include "tests/unit/dfe/ws/chamada_teste.h"

namespace luvaro::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kDeclaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

TEST_F(WebServiceTest, BuildsTheEnvelopeWithAndWithoutHeader) {
  ASSERT_TRUE(m_ws.Executar());
  EXPECT_EQ(m_ws.EnvelopeSoap(),
            "<soap12:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
            "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
            "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">"
            "<soap12:Header><nfeCabecMsg xmlns=\"http://exemplo/servico\"><cUF>35</cUF>"
            "<versaoDados>1.00</versaoDados></nfeCabecMsg></soap12:Header>"
            "<soap12:Body><nfeDadosMsg xmlns=\"http://exemplo/servico\">"
            "<lote><evento>1</evento></lote></nfeDadosMsg></soap12:Body></soap12:Envelope>");

  m_ws.SetSoapVersion("soapenv");
  m_ws.SetSoapEnvelopeAtributtes("xmlns:soapenv=\"urn:env\"");
  m_ws.SetHeaderElement("");
  m_ws.SetBodyElement("Dados");
  ASSERT_TRUE(m_ws.Executar());
  EXPECT_EQ(m_ws.EnvelopeSoap(),
            "<soapenv:Envelope xmlns:soapenv=\"urn:env\"><soapenv:Body>"
            "<Dados xmlns=\"http://exemplo/servico\"><lote><evento>1</evento></lote></Dados>"
            "</soapenv:Body></soapenv:Envelope>");
}

TEST_F(WebServiceTest, AnUnsignedXmlEnvelopeIsSentWithTheUtf8Declaration) {
  const std::string declarado = "<?xml version=\"1.0\" encoding=\"utf-8\"?><e>ç</e>";
  const std::string assinado = "<e><ds:Signature/></e>";
  const std::string assinadoMaiusculas = "<e><SIGNATURE/></e>";
  struct Caso {
    const char* nome;
    std::string envelope;
    const char* mimeType;
    std::string enviado;
  };
  const Caso casos[] = {
      {"plain, default type", "<e>ç</e>", "", kDeclaracao + std::string("<e>ç</e>")},
      {"plain, xml type", "<e/>", "text/XML", kDeclaracao + std::string("<e/>")},
      {"plain, other type", "<e/>", "application/json", "<e/>"},
      {"already declared", declarado, "", declarado},
      {"prefixed signature element", assinado, "", kDeclaracao + assinado},
      {"signed", assinadoMaiusculas, "", assinadoMaiusculas},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    m_envios.clear();
    m_ws.envelopeFixo = caso.envelope;
    m_ws.SetMimeType(caso.mimeType);
    ASSERT_TRUE(m_ws.Executar());
    ASSERT_EQ(m_envios.size(), 1u);
    EXPECT_EQ(m_envios[0].dados, caso.enviado);
    EXPECT_EQ(m_envios[0].mimeType, caso.mimeType);
    EXPECT_EQ(m_ws.EnvelopeSoap(), caso.envelope);  // the built envelope stays as it was
  }
}

TEST_F(WebServiceTest, ShowsTheCallsLogMessageOnlyWhenAskedTo) {
  FrontGravador front;
  m_comp.SSL().SetFront(&front);
  m_ws.msgLog = "Lote enviado\r\nProtocolo 1";
  struct Caso {
    const char* nome;
    bool visualizar;
    bool hookTrata;  // the log hook handles every line
    size_t caixas;
  };
  const Caso casos[] = {
      {"off", false, false, 0},
      {"on", true, false, 1},
      {"on, handled by the log hook", true, true, 0},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    front.dialogs.clear();
    m_log.clear();
    m_comp.Configuracoes().WebServices().SetVisualizar(caso.visualizar);
    m_comp.SetOnGerarLog([&](const std::string& linha, bool& tratado) {
      m_log.push_back(linha);
      tratado = caso.hookTrata;
    });
    ASSERT_TRUE(m_ws.Executar());
    EXPECT_THAT(m_log, ElementsAre("Inicio TChamadaTeste", "Lote enviado\r\nProtocolo 1"));
    ASSERT_EQ(front.dialogs.size(), caso.caixas);
    if (caso.caixas == 1) {
      EXPECT_EQ(front.dialogs[0].type, DialogType::Information);
      EXPECT_EQ(front.dialogs[0].text, "Lote enviado\rProtocolo 1");
    }
  }
  // Without a front, or for an empty text, nothing is shown and nothing fails.
  front.dialogs.clear();
  m_ws.RegistrarLog("", true);
  m_comp.SSL().SetFront(nullptr);
  m_ws.RegistrarLog("texto", true);
  EXPECT_THAT(front.dialogs, IsEmpty());
}

TEST_F(WebServiceTest, CopiesTheWritersOptionsAndTheTimeZone) {
  TConfiguracoes& c = m_comp.Configuracoes();
  c.Geral().SetFormatoAlerta("%TAG% - %MSG%");
  c.Geral().SetRetirarAcentos(false);
  c.Geral().SetRetirarEspacos(false);
  c.Geral().SetIdentarXML(true);
  c.WebServices().SetQuebradeLinha(";");
  c.WebServices().TimeZoneConf().SetModoDeteccao(TTimeZoneModoDeteccao::tzManual);
  c.WebServices().TimeZoneConf().SetTimeZoneStr("-02:00");

  TGeradorOpcoes opcoes;
  m_ws.AplicarOpcoesGerador(opcoes);  // no process-wide setting attached: options only
  EXPECT_EQ(opcoes.FormatoAlerta(), "%TAG% - %MSG%");
  EXPECT_FALSE(opcoes.RetirarAcentos());
  EXPECT_FALSE(opcoes.RetirarEspacos());
  EXPECT_TRUE(opcoes.IdentarXML());
  EXPECT_EQ(opcoes.QuebraLinha(), ";");

  ProcessTimeZone fuso;
  m_comp.SetTimeZoneProcesso(&fuso);
  m_ws.AplicarOpcoesGerador(opcoes);
  EXPECT_EQ(fuso.Atual().ModoDeteccao(), TTimeZoneModoDeteccao::tzManual);
  EXPECT_EQ(fuso.Atual().TimeZoneStr(), "-02:00");
  c.WebServices().TimeZoneConf().SetModoDeteccao(TTimeZoneModoDeteccao::tzSistema);
  m_ws.AplicarOpcoesGerador(opcoes);
  EXPECT_EQ(fuso.Atual().ModoDeteccao(), TTimeZoneModoDeteccao::tzSistema);
  EXPECT_EQ(fuso.Atual().TimeZoneStr(), "");
}

TEST_F(WebServiceTest, SignsTheBodyThroughTheFacadeAndReportsItsFailure) {
  // A hook before signing that changes the document replaces the signing.
  m_comp.SSL().SetAntesDeAssinar([](std::string& xml, const std::string& docElement,
                                    const std::string& infElement, const std::string&,
                                    const std::string&, const std::string&) {
    xml = "<" + docElement + "><" + infElement + "/><Signature/></" + docElement + ">";
  });
  m_ws.AssinarDados("<lote><evt/></lote>", "lote", "evt");
  EXPECT_EQ(m_ws.DadosMsg(), "<lote><evt/><Signature/></lote>");

  // Without that hook and without a signature back-end the facade fails.
  m_comp.SSL().SetAntesDeAssinar(nullptr);
  const std::string falha = "TDFeSSLXmlSignClass.Assinar, não implementado";
  EXPECT_EQ(FailureOf([&] { m_ws.AssinarDados("<lote/>", "lote", "evt", "", "", "", "Lote"); }),
            "Lote\r\n" + falha);
  EXPECT_EQ(FailureOf([&] { m_ws.AssinarDados("<lote/>", "lote", "evt"); }), falha);
  EXPECT_THAT(Erros(), ElementsAre("ERRO: Lote\r\n" + falha, "ERRO: " + falha));
  m_tratarErros = true;
  m_ws.AssinarDados("<lote/>", "lote", "evt");  // handled: no exception
}

class ComponenteComNamespace : public TDFeComponente {
 public:
  using TDFeComponente::TDFeComponente;
  std::string GetNameSpaceURI() override { return "http://exemplo/ns"; }
};

TEST_F(WebServiceTest, SmallTexts) {
  EXPECT_EQ(m_ws.MontarUFSoap(), "<cUF>35</cUF>");
  m_comp.Configuracoes().WebServices().SetUF("RJ");
  EXPECT_EQ(m_ws.MontarUFSoap(), "<cUF>33</cUF>");
  EXPECT_EQ(m_ws.UrlWsdl(), "/wsdl/");  // the base component has no namespace
  ComponenteComNamespace comp(m_dir.path().string());
  TChamadaTeste ws(comp);
  EXPECT_EQ(ws.UrlWsdl(), "http://exemplo/ns/wsdl/");
  EXPECT_TRUE(std::regex_match(m_ws.PrefixoArquivo(),
                               std::regex(R"(20\d{2}[01]\d[0-3]\d[0-2]\d[0-5]\d[0-5]\d)")));
}

TEST_F(WebServiceTest, RequiresAnExtractedReply) {
  EXPECT_EQ(FailureOf([&] { m_ws.ExigirResposta(); }), "Erro ao obter resposta do webservice.");
  m_ws.RetornoWSRef() = "<html>erro</html>";
  EXPECT_EQ(FailureOf([&] { m_ws.ExigirResposta(); }),
            "Erro ao obter resposta do webservice.\r\n<html>erro</html>");
  m_ws.RetWSRef() = "<retorno/>";
  EXPECT_EQ(FailureOf([&] { m_ws.ExigirResposta(); }), "(no failure)");
}

}  // namespace
}  // namespace luvaro::test
