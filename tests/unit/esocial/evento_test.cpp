// The event base: its owner check, the back-end checks, assigning a document (sign, read Id,
// validate), the validation texts, identifiers and saving. Signing uses the tests' in-memory
// key through the libxml2 back-end; validation uses the published schemas.

#include <gtest/gtest.h>

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "esocial/esocial_exception.h"
#include "esocial/eventos.h"
#include "tests/unit/dfe/config/componente_teste.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::TempDir;

std::size_t Ocorrencias(const std::string& texto, const std::string& trecho) {
  std::size_t n = 0;
  for (std::size_t p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + 1))
    ++n;
  return n;
}

class EventoTest : public testing::Test {
 protected:
  TempDir dir{"luvaro-esocial-evento"};
  std::unique_ptr<TeSocialComponente> componente = test::NovoComponente(dir.path());
  TConfiguracoeseSocial& c = componente->Configuracoes();
  TevtInfoEmpregador evento{componente.get()};
};

TEST_F(EventoTest, DonoPrecisaSerUmComponenteESocial) {
  test::TComponenteTeste outro(dir.path().string());
  for (TDFeComponente* dono :
       {static_cast<TDFeComponente*>(&outro), static_cast<TDFeComponente*>(nullptr)}) {
    try {
      TEvtTabEstab e(dono);
      FAIL() << "owner accepted";
    } catch (const EeSocialException&) {
      FAIL() << "a plain exception, not the protocol's";
    } catch (const EDFeException& e) {
      EXPECT_STREQ(e.what(), "Parâmetro AeSocial precisa ser do tipo TeSocialComponente.");
    }
  }
  EXPECT_EQ(evento.schema(), TeSocialSchema::schevtInfoEmpregador);
  EXPECT_EQ(&evento.Owner(), componente.get());
  EXPECT_EQ(evento.Gerador().ArquivoFormatoXML(), "");
  // An employer event without data is built and signed, and its schema refuses it.
  try {
    evento.GerarXML();
    FAIL() << "an empty employer event passed its schema";
  } catch (const EDFeException& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("ID: " + evento.Id() +
                                                  "\r\n "
                                                  "Falha na validação dos dados do evento: "))
        << e.what();
  }
  EXPECT_NE(evento.Gerador().ArquivoFormatoXML(), "");
}

TEST_F(EventoTest, BackEndsPrecisamDeSHA256) {
  const std::string cripto =
      "Necessário DigestMethod Algorithm SHA256. use cryOpenSSL ou cryWinCrypt na propriedade "
      "SSLCryptLib.";
  const std::string assinatura =
      "Necessário DigestMethod Algorithm SHA256. use xsXmlSec ou xsLibXml2 na propriedade "
      "SSLXmlSignLib.";
  const struct {
    std::string nome;
    TSSLCryptLib crypt;
    TSSLXmlSignLib xmlSign;
    std::string mensagem;
  } casos[] = {
      {"sem cripto", TSSLCryptLib::cryNone, TSSLXmlSignLib::xsLibXml2, cripto},
      {"Capicom", TSSLCryptLib::cryCapicom, TSSLXmlSignLib::xsLibXml2, cripto},
      {"sem assinatura", TSSLCryptLib::cryWinCrypt, TSSLXmlSignLib::xsNone, assinatura},
      {"MsXml", TSSLCryptLib::cryWinCrypt, TSSLXmlSignLib::xsMsXml, assinatura},
      {"OpenSSL sem assinatura", TSSLCryptLib::cryOpenSSL, TSSLXmlSignLib::xsMsXmlCapicom,
       assinatura},
  };
  const std::string documento = test::LerFixtureEsocial("s1000-info-empregador.xml");
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    c.Geral().SetSSLCryptLib(k.crypt);
    c.Geral().SetSSLXmlSignLib(k.xmlSign);
    TevtInfoEmpregador e(componente.get());
    try {
      e.SetXML(documento);
      FAIL() << "signed with an unsuitable back-end";
    } catch (const EeSocialException& ex) {
      EXPECT_EQ(std::string(ex.what()), k.mensagem);
    }
    EXPECT_EQ(e.XML(), documento) << "left as delivered";
    EXPECT_EQ(e.XMLOriginal(), documento) << "the document in UTF-8 form, stored before the check";
    EXPECT_EQ(e.Id(), "");
  }
}

TEST_F(EventoTest, DocumentoAssinadoFicaComoVeio) {
  const std::string assinado = test::DocumentoAssinado("evtInfoEmpregador", "ID1");
  const struct {
    std::string documento;
    std::string xml;
  } casos[] = {
      {assinado, assinado},
      {"<eSocial><evtInfoEmpregador Id=\"ID1\"/><SIGNATURE/></eSocial>",
       "<eSocial><evtInfoEmpregador Id=\"ID1\"/><SIGNATURE/></eSocial>"},
      {"<eSocial><evtInfoEmpregador Id=\"ID1\"/><signature></eSocial>",
       "<eSocial><evtInfoEmpregador Id=\"ID1\"/><signature></eSocial>"},
      // Only its declaration goes: it cannot stand inside the lot.
      {"<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n" + assinado, assinado},
  };
  for (const auto& [documento, xml] : casos) {
    SCOPED_TRACE(documento);
    TevtInfoEmpregador e(componente.get());
    e.SetXML(documento);
    EXPECT_EQ(e.XML(), xml);
    EXPECT_EQ(e.Id(), "");
    EXPECT_EQ(e.XMLAssinado(), "");
    EXPECT_EQ(e.ErroValidacao(), "");
  }
}

TEST_F(EventoTest, AssinaLeIdEValidaComAsDeclaracoesCertas) {
  const std::string declaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string corpo = test::LerFixtureEsocial("s1005-tab-estab.xml");
  const struct {
    std::string nome;
    std::string documento;
  } casos[] = {
      {"sem declaração", corpo},
      {"com a declaração UTF-8", declaracao + corpo},
      {"declaração UTF-8 em minúsculas", "<?xml version='1.0' encoding='utf-8'?>" + corpo},
      {"declaração sem codificação", "<?xml version=\"1.0\"?>\n" + corpo},
      {"declaração de outra codificação",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + corpo},
      {"declaração standalone",
       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>" + corpo},
      {"marca de ordem de bytes e brancos antes da declaração",
       "\xEF\xBB\xBF \r\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + corpo},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    TEvtTabEstab e(componente.get());
    e.SetXML(k.documento);
    EXPECT_EQ(e.Id(), "ID1123456780000002024030112000000002");
    EXPECT_EQ(Ocorrencias(e.XMLAssinado(), "<?xml"), 1u) << e.XMLAssinado();
    EXPECT_EQ(e.XMLOriginal(), e.XMLAssinado());
    // The text the lot takes holds no declaration, whatever the document opened with.
    EXPECT_EQ(Ocorrencias(e.XML(), "<?xml"), 0u) << e.XML();
    EXPECT_TRUE(e.XML().starts_with("<eSocial xmlns=")) << e.XML();
    EXPECT_EQ(Ocorrencias(e.XML(), "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"), 1u);
    EXPECT_NE(e.XML().find("<Reference URI=\"\">"), std::string::npos) << "whole document";
    EXPECT_EQ(e.ErroValidacao(), "");
  }
}

// The original of a second document that cannot be signed is that document, not the earlier
// signed one (the event keeps its signed text only once).
TEST_F(EventoTest, OriginalDeUmSegundoDocumentoQueNaoSeAssina) {
  const std::string corpo = test::LerFixtureEsocial("s1005-tab-estab.xml");
  TEvtTabEstab e(componente.get());
  e.SetXML(corpo);
  const std::string assinado = e.XMLAssinado();
  ASSERT_NE(assinado, "");
  ASSERT_EQ(e.XMLOriginal(), assinado);

  c.Geral().SetSSLXmlSignLib(TSSLXmlSignLib::xsNone);
  const std::string outro = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + corpo;
  EXPECT_THROW(e.SetXML(outro), EeSocialException);
  EXPECT_EQ(e.XMLOriginal(), outro);
  EXPECT_EQ(e.XMLAssinado(), assinado) << "the earlier signature stays";
}

TEST_F(EventoTest, DocumentoSemTipoConhecidoOuQueNaoEXML) {
  TevtInfoEmpregador semTipo(componente.get());
  const std::string desconhecido = "<eSocial><evtQualquer Id=\"ID1\"/></eSocial>";
  EXPECT_THROW(semTipo.SetXML(desconhecido), EeSocialException);
  EXPECT_EQ(semTipo.XML(), desconhecido);

  TevtInfoEmpregador quebrado(componente.get());
  const std::string naoXML =
      "<eSocial><evtInfoEmpregador Id=\"ID1123456780000002024030112000000001\"><a></b>"
      "</eSocial>";
  try {
    quebrado.SetXML(naoXML);
    FAIL() << "a document that does not parse was signed";
  } catch (const EeSocialException&) {
    FAIL() << "the signing failure propagates unchanged";
  } catch (const EDFeException& e) {
    EXPECT_NE(std::string(e.what()).find("Falha ao interpretar o XML"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(quebrado.XML(), naoXML) << "the text it reached: as delivered";
  EXPECT_EQ(quebrado.Id(), "");
}

TEST_F(EventoTest, TextosDeValidacaoCurtoECompleto) {
  const std::string invalido =
      replaceAll(test::LerFixtureEsocial("s1000-info-empregador.xml"),
                 "<iniValid>2024-01</iniValid>", "<iniValid>janeiro</iniValid>");
  const std::string valido = test::LerFixtureEsocial("s1000-info-empregador.xml");
  const struct {
    std::string nome;
    int versao;
    bool exibir;
    std::string documento;
    std::string schema;
    std::string detalhe;  // found in the complete text
    bool ausente;         // the failure says that the schema file is missing
  } casos[] = {
      {"versão 5, curto", 5, false, valido, "evtInfoEmpregador-v", "evtInfoEmpregador-v.xsd", true},
      {"versão 5, completo", 5, true, valido, "evtInfoEmpregador-v", "evtInfoEmpregador-v.xsd",
       true},
      {"inválido, curto", 2, false, invalido, "evtInfoEmpregador-v02_05_00", "iniValid", false},
      {"inválido, completo", 2, true, invalido, "evtInfoEmpregador-v02_05_00", "iniValid", false},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    c.Geral().SetVersaoDF(static_cast<TVersaoeSocial>(k.versao));
    c.Geral().SetExibirErroSchema(k.exibir);
    TevtInfoEmpregador e(componente.get());
    std::string mensagem;
    try {
      e.SetXML(k.documento);
      FAIL() << "validated";
    } catch (const EeSocialValidacao& ex) {
      mensagem = ex.what();
      // Whatever ExibirErroSchema says, the failure carries the complete text.
      EXPECT_EQ(ex.Detalhe(), e.ErroValidacaoCompleto());
      EXPECT_EQ(ex.SchemaAusente(), k.ausente);
    }
    const std::string curto = "Falha na validação dos dados do evento: " + k.schema + "\r\n";
    EXPECT_EQ(e.ErroValidacao(), curto);
    EXPECT_TRUE(e.ErroValidacaoCompleto().starts_with(curto + "\r\n"));
    EXPECT_NE(e.ErroValidacaoCompleto().find(k.detalhe), std::string::npos)
        << e.ErroValidacaoCompleto();
    EXPECT_EQ(mensagem, k.exibir ? e.ErroValidacaoCompleto() : curto);
    EXPECT_NE(e.XML().find("<Signature"), std::string::npos) << "it keeps its signed document";
    EXPECT_EQ(e.Id(), "ID1123456780000002024030112000000001");

    // A later success leaves the texts of the failure.
    c.Geral().SetVersaoDF(TVersaoeSocial::ve02_05_00);
    e.SetXML(valido);
    EXPECT_EQ(e.ErroValidacao(), curto);
  }
}

TEST_F(EventoTest, ChaveDoEvento) {
  const DateTime emissao = encodeDateTime(2019, 3, 14, 8, 5, 9);
  const struct {
    std::string nome;
    TEmpregador tipo;
    std::string cnpjf;
    int sequencial;
    std::string esperado;
  } casos[] = {
      {"pessoa jurídica: raiz do CNPJ", TEmpregador::tePessoaJuridica, "12345678000195", 7,
       "ID1123456780000002019031408050900007"},
      {"órgão público: raiz do CNPJ", TEmpregador::teOrgaoPublico, "12345678000195", 7,
       "ID1123456780000002019031408050900007"},
      {"executivo federal: CNPJ inteiro", TEmpregador::teOrgaoPublicoExecutivoFederal,
       "12345678000195", 7, "ID1123456780001952019031408050900007"},
      {"pessoa física: CPF e três zeros", TEmpregador::tePessoaFisica, "52998224725", 7,
       "ID2529982247250002019031408050900007"},
      {"sequência de seis dígitos", TEmpregador::tePessoaJuridica, "12345678000195", 123456,
       "ID1123456780000002019031408050923456"},
      {"CNPJ pontuado: dígitos dos oito primeiros", TEmpregador::tePessoaJuridica,
       "12.345.678/0001-95", 1, "ID2123456000000002019031408050900001"},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    c.Geral().SetTipoEmpregador(k.tipo);
    TevtInfoEmpregador e(componente.get());
    EXPECT_EQ(e.GerarChaveEsocial(emissao, k.cnpjf, k.sequencial), k.esperado);
  }

  TevtInfoEmpregador sorteada(componente.get());
  const std::string chave = sorteada.GerarChaveEsocial(emissao, "12345678000195", 0);
  ASSERT_EQ(chave.size(), 36u);
  EXPECT_TRUE(chave.starts_with("ID1123456780000002019031408050")) << chave;
  EXPECT_TRUE(isAllDigits(chave.substr(31)));
  EXPECT_LE(std::stoi(chave.substr(31)), 99998);

  TevtInfoEmpregador comId(componente.get());
  comId.SetId("ID9999999999999999999999999999999999");
  EXPECT_EQ(comId.GerarChaveEsocial(emissao, "12345678000195", 7), comId.Id());
}

// A signature mark inside a broken XML declaration is no signature: the document is signed
// (here it cannot be, as it is not XML), never taken into the lot as it came.
TEST_F(EventoTest, MarcaDeAssinaturaNaDeclaracaoNaoContaComoAssinatura) {
  TevtInfoEmpregador e(componente.get());
  const std::string documento =
      "<?xml version=\"1.0\" encodin<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
      "g=\"UTF-8\"?>\n<eSocial><evtInfoEmpregador Id=\"ID1123456780000002024030112000000001\">"
      "<ideEmpregador><tpInsc>1</tpInsc></evtInfoEmpregador></eSocial>";
  EXPECT_THROW(e.SetXML(documento), EDFeException);
}

// Only a "<Signature" element marks a signed document: a "<SignatureValue" alone does not.
TEST_F(EventoTest, SoOElementoSignatureMarcaODocumentoAssinado) {
  TevtInfoEmpregador e(componente.get());
  EXPECT_THROW(e.SetXML("<eSocial><SignatureValue>x</SignatureValue><evtInfoEmpregador"),
               EDFeException);
  const std::string assinados[] = {"<eSocial/><Signature/>", "<eSocial/><SIGNATURE>x</SIGNATURE>",
                                   "<eSocial/><signature xmlns=\"x\"/>"};
  for (const std::string& documento : assinados) {
    SCOPED_TRACE(documento);
    e.SetXML(documento);
    EXPECT_EQ(e.XML(), documento);
  }
}

TEST_F(EventoTest, SalvaComExtensaoXmlELinhasEmCRLF) {
  TevtInfoEmpregador e(componente.get());
  const std::string documento = "<eSocial>\n<a/>\r\n<b/>\r<c/></eSocial>";
  e.SetXML(documento + "<Signature/>");  // kept as it is
  const std::string esperado = "<eSocial>\r\n<a/>\r\n<b/>\r\n<c/></eSocial><Signature/>\r\n";
  const struct {
    std::string nome, dado, gravado;
  } casos[] = {
      {"extensão .txt", "evento.txt", "evento.xml"},
      {"sem extensão", "evento", "evento.xml"},
      {"com .xml", "outro.xml", "outro.xml"},
      {"nome com hífens", "123-S-1000-0", "123-S-1000-0.xml"},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    e.SaveToFile((dir.path() / k.dado).string());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / k.dado) && k.dado != k.gravado);
    EXPECT_EQ(test::ReadFile(dir.path() / k.gravado), esperado);
  }
  EXPECT_THROW(e.SaveToFile((dir.path() / "nao-existe" / "evento").string()), EDFeException);
  // Content that cannot be written whole fails with the file's name, never a short file.
  std::filesystem::create_symlink("/dev/full", dir.path() / "cheio.xml");
  try {
    e.SaveToFile((dir.path() / "cheio").string());
    ADD_FAILURE() << "a write that failed passed";
  } catch (const EDFeException& erro) {
    EXPECT_TRUE(std::string(erro.what())
                    .starts_with("Não foi possível gravar o arquivo: " +
                                 (dir.path() / "cheio.xml").string()))
        << erro.what();
  }
}

}  // namespace
}  // namespace luvaro
