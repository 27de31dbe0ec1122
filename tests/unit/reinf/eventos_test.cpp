// The event container and the event base: splitting, type recognition, signing with the "id"
// reference, schema validation against the published XSDs, identifiers and saved files.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_exception.h"
#include "tests/unit/dfe/xmlsign/xmlsign_support.h"
#include "tests/unit/reinf/reinf_teste.h"

namespace luvaro::test {
namespace {

using namespace reinf;

constexpr const char* kIdR2010 = "ID1123456780000002024040210000000001";
constexpr const char* kIdR1000 = "ID1123456780000002024030112000000004";

class ReinfEventosTest : public ReinfTest {
 protected:
  TEventos& Eventos() { return m_comp->Eventos(); }
  TReinfEventos& Colecoes() { return m_comp->Eventos().ReinfEventos(); }
};

TEST_F(ReinfEventosTest, DocumentoCarregadoEAssinadoValidadoEGravado) {
  ASSERT_TRUE(Eventos().LoadFromString(FixtureReinf("r2010-servico-tomado.xml")));
  ASSERT_EQ(Colecoes().R2010().Count(), 1u);
  EXPECT_EQ(Eventos().Count(), 1u);
  TR2010CollectionItem& item = Colecoes().R2010().Items(0);
  EXPECT_EQ(item.TipoEvento(), TTipoEvento::teR2010);
  TevtServTom& evento = item.evtServTom();
  EXPECT_EQ(evento.ClassName(), "TevtServTom");
  EXPECT_EQ(evento.Id(), kIdR2010);

  // Signed over the event element, referenced by its "id", signature last in the root.
  EXPECT_EQ(Occurrences(evento.XML(), "<Signature "), 1u);
  EXPECT_NE(evento.XML().find("URI=\"#" + std::string(kIdR2010) + "\""), std::string::npos);
  EXPECT_TRUE(evento.XML().ends_with("</Signature></Reinf>"));
  EXPECT_EQ(evento.XMLOriginal(), evento.XMLAssinado());
  // The text the lot takes holds no declaration.
  EXPECT_TRUE(evento.XML().starts_with("<Reinf xmlns=")) << evento.XML();
  EXPECT_EQ(evento.XML().find("<?xml"), std::string::npos);
  std::string msg;
  EXPECT_TRUE(m_comp->SSL().VerificarAssinatura(evento.XML(), msg, "evtServTom", "", "", "", "id"))
      << msg;
  EXPECT_EQ(evento.ErroValidacao(), "");

  const std::string nome = std::string(kIdR2010).substr(2) + "-R-2010-0.xml";
  EXPECT_EQ(Arquivos(), std::vector<std::string>{nome});
  EXPECT_EQ(ReadFile(PastaSalvar() / nome), replaceAll(evento.XML(), "\n", "\r\n") + "\r\n");
  ASSERT_EQ(Eventos().Gerados().Count(), 1u);
  const TGeradosCollectionItem& gerado = Eventos().Gerados().Items(0);
  EXPECT_EQ(gerado.TipoEvento, TTipoEvento::teR2010);
  EXPECT_EQ(gerado.IdEvento, std::string(kIdR2010).substr(2));
  EXPECT_EQ(gerado.PathNome,
            (PastaSalvar() / nome).string().substr(0, (PastaSalvar() / nome).string().size() - 4));
  EXPECT_EQ(gerado.XML, evento.XML());
}

TEST_F(ReinfEventosTest, VariosDocumentosNumTexto) {
  const std::string texto =
      "  " + FixtureReinf("r2010-servico-tomado.xml") + "\r\n\t \n" +
      FixtureReinf("r1000-info-contribuinte.xml") + "\n" +
      ComId("r2010-servico-tomado.xml", "ID1123456780000002024040210000000007") +
      "\n<Reinf>texto depois do último fim é ignorado";
  ASSERT_TRUE(Eventos().LoadFromString(texto));
  EXPECT_EQ(Eventos().Count(), 3u);
  EXPECT_EQ(Colecoes().R2010().Count(), 2u);
  EXPECT_EQ(Colecoes().R1000().Count(), 1u);
  EXPECT_EQ(Colecoes().R1000().Items(0).evtInfoContri().Id(), kIdR1000);
  EXPECT_EQ(Colecoes().R2010().Items(1).evtServTom().Id(), "ID1123456780000002024040210000000007");
  // Files by identifier, type and position within the type; Gerados in the walk order.
  EXPECT_EQ(Arquivos(),
            (std::vector<std::string>{"1123456780000002024030112000000004-R-1000-0.xml",
                                      "1123456780000002024040210000000001-R-2010-0.xml",
                                      "1123456780000002024040210000000007-R-2010-1.xml"}));
  ASSERT_EQ(Eventos().Gerados().Count(), 3u);
  EXPECT_EQ(Eventos().Gerados().Items(0).TipoEvento, TTipoEvento::teR1000);
  EXPECT_EQ(Eventos().Gerados().Items(2).IdEvento, "1123456780000002024040210000000007");

  Eventos().Clear();
  EXPECT_EQ(Eventos().Count(), 0u);
  EXPECT_EQ(Eventos().Gerados().Count(), 0u);
}

// Each event's file is written once, when the event is loaded: a later document does not
// write the earlier events again (n documents cost n writes, not n(n+1)/2), and Gerados still
// lists every event in the walk order.
TEST_F(ReinfEventosTest, CadaEventoGravadoUmaVez) {
  const std::string r2010 = std::string(kIdR2010).substr(2) + "-R-2010-0.xml";
  const std::string r1000 = std::string(kIdR1000).substr(2) + "-R-1000-0.xml";
  ASSERT_TRUE(Eventos().LoadFromString(FixtureReinf("r2010-servico-tomado.xml")));
  std::filesystem::remove(PastaSalvar() / r2010);
  ASSERT_TRUE(Eventos().LoadFromString(FixtureReinf("r1000-info-contribuinte.xml")));
  EXPECT_EQ(Arquivos(), std::vector<std::string>{r1000});
  ASSERT_EQ(Eventos().Gerados().Count(), 2u);
  EXPECT_EQ(Eventos().Gerados().Items(0).TipoEvento, TTipoEvento::teR1000);
  EXPECT_EQ(Eventos().Gerados().Items(1).TipoEvento, TTipoEvento::teR2010);

  // SaveToFiles still writes them all.
  Eventos().SaveToFiles();
  EXPECT_EQ(Arquivos(), (std::vector<std::string>{r1000, r2010}));
  EXPECT_EQ(Eventos().Gerados().Count(), 2u);
}

TEST_F(ReinfEventosTest, DocumentosQueNaoCarregamEvento) {
  const struct {
    const char* nome;
    std::string texto;
  } casos[] = {
      {"sem fim de Reinf", "<Reinf><evtServTom id=\"ID1\"></evtServTom>"},
      {"vazio", ""},
      {"evento desconhecido", "<Reinf xmlns=\"x\"><evtOutro id=\"ID1\"/></Reinf>"},
      {"totalizador R-5001", "<Reinf><evtTotal id=\"ID1\"/></Reinf>"},
      {"totalizador R-5011 (tomado por R-5001)", FixtureReinf("retornos/consulta-r5011.xml")},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_FALSE(Eventos().LoadFromString(c.texto));
    EXPECT_EQ(Eventos().Count(), 0u);
  }
  // With an event loaded already, the answer is whether any event is loaded at all.
  ASSERT_TRUE(Eventos().LoadFromString(FixtureReinf("r2099-fechamento.xml")));
  EXPECT_TRUE(Eventos().LoadFromString("<Reinf><evtOutro id=\"ID1\"/></Reinf>"));
  EXPECT_FALSE(Eventos().LoadFromString("sem documento"));
  EXPECT_EQ(Eventos().Count(), 1u);
  EXPECT_EQ(Colecoes().ColecaoDoTipo(TTipoEvento::teR5001), nullptr);
  EXPECT_EQ(Colecoes().ColecaoDoTipo(TTipoEvento::teR2099), &Colecoes().R2099());
}

TEST_F(ReinfEventosTest, DocumentoJaAssinadoFicaComoVeio) {
  const std::string assinado =
      "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/evtInfoContribuinte/v1_04_00\">"
      "<evtInfoContri id=\"ID1123456780000002024030112000000004\"><x/></evtInfoContri>"
      "<SIGNATURE>qualquer</SIGNATURE></Reinf>";
  ASSERT_TRUE(Eventos().LoadFromString(assinado));
  TevtInfoContri& evento = Colecoes().R1000().Items(0).evtInfoContri();
  EXPECT_EQ(evento.XML(), assinado);
  EXPECT_EQ(evento.Id(), "");
  EXPECT_EQ(evento.XMLAssinado(), "");
  EXPECT_EQ(Arquivos(), std::vector<std::string>{"-R-1000-0.xml"});
}

TEST_F(ReinfEventosTest, FalhaDeValidacaoMantemOEventoAssinado) {
  std::string invalido = FixtureReinf("r2010-servico-tomado.xml");
  invalido = replaceAll(invalido, "<indCPRB>0</indCPRB>", "");
  const std::string curto =
      "Falha na validação dos dados do evento: evtTomadorServicos-v1_04_00\r\n";
  for (const bool exibir : {false, true}) {
    SCOPED_TRACE(exibir);
    Eventos().Clear();
    Config().Geral().SetExibirErroSchema(exibir);
    const std::string texto = invalido + FixtureReinf("r1000-info-contribuinte.xml");
    try {
      Eventos().LoadFromString(texto);
      FAIL() << "sem exceção";
    } catch (const EReinfValidacao& e) {
      TevtServTom& evento = Colecoes().R2010().Items(0).evtServTom();
      EXPECT_FALSE(e.SchemaAusente());
      EXPECT_EQ(e.Detalhe(), evento.ErroValidacaoCompleto());
      EXPECT_EQ(evento.ErroValidacao(), curto);
      EXPECT_TRUE(evento.ErroValidacaoCompleto().starts_with(curto + "\r\n"));
      EXPECT_GT(evento.ErroValidacaoCompleto().size(), curto.size() + 2);
      EXPECT_EQ(e.what(), exibir ? evento.ErroValidacaoCompleto() : curto);
      EXPECT_NE(evento.XML().find("<Signature "), std::string::npos);
      EXPECT_EQ(evento.Id(), kIdR2010);
    }
    // The document after the failing one is not loaded.
    EXPECT_EQ(Eventos().Count(), 1u);
    EXPECT_EQ(Colecoes().R1000().Count(), 0u);
    // The signed event stays for the lot, so its file is written when it is loaded.
    EXPECT_EQ(Arquivos(),
              std::vector<std::string>{std::string(kIdR2010).substr(2) + "-R-2010-0.xml"});
    EXPECT_EQ(Eventos().Gerados().Count(), 1u);
  }
}

TEST_F(ReinfEventosTest, SchemaAusenteFalhaComoInvalido) {
  // R-2070 has no published schema.
  const std::string r2070 =
      "<Reinf xmlns=\"http://www.reinf.esocial.gov.br/schemas/evtPgtosDivs/v1_04_00\">"
      "<evtPgtosDivs id=\"ID1123456780000002024040210000000003\"><ideEvento/></evtPgtosDivs>"
      "</Reinf>";
  try {
    Eventos().LoadFromString(r2070);
    FAIL() << "sem exceção";
  } catch (const EReinfValidacao& e) {
    EXPECT_STREQ(e.what(), "Falha na validação dos dados do evento: evtPgtosDivs-v1_04_00\r\n");
    EXPECT_TRUE(e.SchemaAusente());
  }
  TevtPgtosDivs& evento = Colecoes().R2070().Items(0).evtPgtosDivs();
  EXPECT_NE(evento.ErroValidacaoCompleto().find("evtPgtosDivs-v1_04_00.xsd"), std::string::npos);
}

TEST_F(ReinfEventosTest, BibliotecasSemSHA256) {
  const struct {
    const char* nome;
    TSSLCryptLib crypt;
    TSSLXmlSignLib xmlSign;
    const char* mensagem;
  } casos[] = {
      {"xsMsXml", TSSLCryptLib::cryOpenSSL, TSSLXmlSignLib::xsMsXml,
       "Necessário DigestMethod Algorithm SHA256. use xsXmlSec ou xsLibXml2 na propriedade "
       "SSLXmlSignLib."},
      {"cryCapicom", TSSLCryptLib::cryCapicom, TSSLXmlSignLib::xsLibXml2,
       "Necessário DigestMethod Algorithm SHA256. use cryOpenSSL ou cryWinCrypt na propriedade "
       "SSLCryptLib."},
      {"cryNone", TSSLCryptLib::cryNone, TSSLXmlSignLib::xsLibXml2,
       "Necessário DigestMethod Algorithm SHA256. use cryOpenSSL ou cryWinCrypt na propriedade "
       "SSLCryptLib."},
  };
  const std::string documento = FixtureReinf("r2098-reabertura.xml");
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Eventos().Clear();
    Config().Geral().SetSSLCryptLib(c.crypt);
    Config().Geral().SetSSLXmlSignLib(c.xmlSign);
    try {
      Eventos().LoadFromString(documento);
      FAIL() << "sem exceção";
    } catch (const EReinfException& e) {
      EXPECT_STREQ(e.what(), c.mensagem);
    }
    // Only signed events may travel in a lot: the unsigned one leaves its collection; an event
    // assigned directly keeps the text it reached.
    EXPECT_EQ(Colecoes().R2098().Count(), 0u);
    TevtReabreEvPer direto(*m_comp);
    EXPECT_THROW(direto.SetXML(documento.substr(0, documento.find("</Reinf>") + 8)),
                 EReinfException);
    EXPECT_EQ(direto.XML(), documento.substr(0, documento.find("</Reinf>") + 8));
  }
}

TEST_F(ReinfEventosTest, DocumentoSemEventoConhecidoAtribuidoDireto) {
  TevtInfoContri evento(*m_comp);
  try {
    evento.SetXML("<Reinf><evtOutro id=\"ID1\"/></Reinf>");
    FAIL() << "sem exceção";
  } catch (const EReinfException& e) {
    EXPECT_STREQ(e.what(), "Tipo de evento não identificado no documento.");
  }
  EXPECT_EQ(evento.XML(), "<Reinf><evtOutro id=\"ID1\"/></Reinf>");
  EXPECT_EQ(evento.Id(), "");
}

TEST_F(ReinfEventosTest, DeclaracaoPostaAntesDeAssinar) {
  std::string semDeclaracao = FixtureReinf("r2099-fechamento.xml");
  semDeclaracao.erase(0, semDeclaracao.find("<Reinf"));
  ASSERT_TRUE(Eventos().LoadFromString(semDeclaracao));
  const TevtFechaEvPer& evento = Colecoes().R2099().Items(0).evtFechaEvPer();
  EXPECT_TRUE(evento.XMLAssinado().starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
  EXPECT_EQ(Occurrences(evento.XMLAssinado(), "<?xml"), 1u);
}

TEST_F(ReinfEventosTest, ChaveDoEvento) {
  const DateTime emissao = encodeDateTime(2019, 3, 14, 8, 5, 9);
  const struct {
    const char* nome;
    TContribuinte tipo;
    const char* documento;
    int sequencial;
    const char* chave;
  } casos[] = {
      {"empresa", TContribuinte::tcPessoaJuridica, "12345678000195", 42,
       "ID1123456780000002019031408050900042"},
      {"empresa com máscara", TContribuinte::tcPessoaJuridica, "12.345.678/0001-95", 7,
       "ID2123456000000002019031408050900007"},
      {"órgão público", TContribuinte::tcOrgaoPublico, "12345678000195", 1,
       "ID1123456780001952019031408050900001"},
      {"pessoa física", TContribuinte::tcPessoaFisica, "52998224725", 99999,
       "ID2529982247250002019031408050999999"},
      {"sequência de seis dígitos", TContribuinte::tcPessoaJuridica, "12345678000195", 123456,
       "ID1123456780000002019031408050923456"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Config().Geral().SetTipoContribuinte(c.tipo);
    TevtInfoContri evento(*m_comp);
    const std::string chave = evento.GerarChaveReinf(emissao, c.documento, c.sequencial);
    EXPECT_EQ(chave, c.chave);
    EXPECT_EQ(chave.size(), 36u);
  }

  Config().Geral().SetTipoContribuinte(TContribuinte::tcPessoaJuridica);
  TevtInfoContri sorteado(*m_comp);
  const std::string chave = sorteado.GerarChaveReinf(emissao, "12345678000195", 0);
  ASSERT_EQ(chave.size(), 36u);
  EXPECT_TRUE(chave.starts_with("ID1123456780000002019031408050"));
  EXPECT_TRUE(isAllDigits(chave.substr(2)));
  EXPECT_LE(std::stoi(chave.substr(31)), 99998);

  TevtInfoContri comId(*m_comp);
  comId.SetId("ID9999999999999999999999999999999999");
  EXPECT_EQ(comId.GerarChaveReinf(emissao, "12345678000195", 1), comId.Id());
}

TEST_F(ReinfEventosTest, SaveToFileTrocaAExtensao) {
  TevtExclusao evento(*m_comp);
  evento.SetXML("<Reinf><evtExclusao/><Signature/>\n<a>é</a>\r\n</Reinf>");
  const struct {
    const char* nome;
    const char* caminho;
    const char* gravado;
  } casos[] = {
      {"extensão .txt", "evento.txt", "evento.xml"},
      {"sem extensão", "evento-R-9000-0", "evento-R-9000-0.xml"},
      {"pasta com ponto", "pasta.v2/evento", "pasta.v2/evento.xml"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    std::filesystem::create_directories(m_dir / "pasta.v2");
    evento.SaveToFile((m_dir / c.caminho).string());
    EXPECT_EQ(ReadFile(m_dir / c.gravado),
              "<Reinf><evtExclusao/><Signature/>\r\n<a>é</a>\r\n</Reinf>\r\n");
  }
  // Content that cannot be written whole fails with the file's name, never a short file.
  std::filesystem::create_symlink("/dev/full", m_dir / "cheio.xml");
  try {
    evento.SaveToFile((m_dir / "cheio").string());
    ADD_FAILURE() << "a write that failed passed";
  } catch (const EDFeException& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Não foi possível gravar o arquivo: " +
                                                  (m_dir / "cheio.xml").string()))
        << e.what();
  }
}

TEST_F(ReinfEventosTest, CarregarDeArquivoEStream) {
  const std::string documento = FixtureReinf("r2098-reabertura.xml");
  WriteFile(m_dir / "utf8.xml", "\xEF\xBB\xBF" + documento);
  ASSERT_TRUE(Eventos().LoadFromFile((m_dir / "utf8.xml").string()));
  EXPECT_EQ(Colecoes().R2098().Count(), 1u);

  // A file in Windows-1252 is read as such: its accents survive and the event validates.
  std::string r2099 = FixtureReinf("r2099-fechamento.xml");
  WriteFile(m_dir / "cp1252.xml", utf8ToWindows1252(r2099));
  ASSERT_TRUE(Eventos().LoadFromFile((m_dir / "cp1252.xml").string(), true));
  ASSERT_EQ(Colecoes().R2099().Count(), 1u);
  EXPECT_NE(Colecoes().R2099().Items(0).evtFechaEvPer().XML().find("Conceição Lima"),
            std::string::npos);

  std::istringstream stream(FixtureReinf("r1000-info-contribuinte.xml"));
  stream.seekg(10);  // read from its start whatever the position
  ASSERT_TRUE(Eventos().LoadFromStream(stream));
  EXPECT_EQ(Eventos().Count(), 3u);

  EXPECT_THROW(Eventos().LoadFromFile((m_dir / "nao-existe.xml").string()), EDFeException);
}

TEST_F(ReinfEventosTest, IniDoEventoReconhecidoPelaSecao) {
  // The event's section names the type: the item is added and its model reads and builds it.
  // Without its data the document fails its schema (the event stays, signed); unknown sections
  // add nothing.
  WriteFile(m_dir / "evento.ini", "[evtServTom]\r\nSequencial=1\r\n");
  EXPECT_THROW(Eventos().LoadFromIni((m_dir / "evento.ini").string()), EDFeException);
  ASSERT_EQ(Colecoes().R2010().Count(), 1u);
  EXPECT_NE(Colecoes().R2010().Items(0).evtServTom().XML().find("<Signature"), std::string::npos);
  EXPECT_TRUE(Eventos().LoadFromStringINI("[evtDesconhecido]"));
  EXPECT_EQ(Eventos().Count(), 1u);
}

}  // namespace
}  // namespace luvaro::test
