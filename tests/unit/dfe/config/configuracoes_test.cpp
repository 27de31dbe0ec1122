#include "dfe/config/configuracoes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "dfe/xml/cifra_texto.h"
#include "dfe/config/dfe_componente.h"
#include "dfe/config/ini.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/gerador.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

using enum TSSLLib;
using enum TSSLCryptLib;
using enum TSSLHttpLib;
using enum TSSLXmlSignLib;

TEST(TConfiguracoes, PadroesDosGrupos) {
  TDFeComponente c("/opt/app");
  const TConfiguracoes& cfg = c.Configuracoes();
  EXPECT_EQ(cfg.Geral().SSLLib(), libNone);
  EXPECT_EQ(cfg.Geral().FormaEmissaoCodigo(), 1);
  EXPECT_TRUE(cfg.Geral().Salvar());
  EXPECT_EQ(cfg.Geral().FormatoAlerta(), kFormatoAlertaPadrao);
  EXPECT_FALSE(cfg.Geral().IdentarXML());
  EXPECT_EQ(cfg.WebServices().UF(), "SP");
  EXPECT_EQ(cfg.WebServices().UFCodigo(), 35);
  EXPECT_EQ(cfg.WebServices().Ambiente(), TTipoAmbiente::taHomologacao);
  EXPECT_EQ(cfg.WebServices().AmbienteCodigo(), 2);
  EXPECT_EQ(cfg.WebServices().Tentativas(), 5);
  EXPECT_EQ(cfg.WebServices().IntervaloTentativas(), 1000u);
  EXPECT_EQ(cfg.WebServices().TimeOut(), 5000);
  EXPECT_EQ(cfg.WebServices().QuebradeLinha(), "|");
  EXPECT_EQ(cfg.WebServices().SSLType(), TSSLType::LT_all);
  EXPECT_TRUE(cfg.WebServices().VerificarServidor());
  // The authorities beside the program; none without an application folder.
  EXPECT_EQ(c.SSL().PastaCadeias(), std::filesystem::path("/opt/app/cadeias"));
  EXPECT_TRUE(TDFeComponente().SSL().PastaCadeias().empty());
  EXPECT_EQ(cfg.WebServices().ResourceName(), "DFeServicos");
  EXPECT_TRUE(cfg.Certificados().VerificarValidade());
  EXPECT_EQ(cfg.Arquivos().PathSalvar(), "/opt/app/Docs/");
  EXPECT_EQ(cfg.Arquivos().PathSchemas(), "/opt/app/Schemas/");
  EXPECT_EQ(cfg.Arquivos().IniServicos(), "/opt/app/DFeServicos.ini");
  EXPECT_EQ(cfg.SessaoIni(), "");

  // Without an owner no folder default is computed.
  TConfiguracoes solta(nullptr);
  EXPECT_EQ(solta.Arquivos().PathSalvar(), "");
  solta.Arquivos().SetPathSalvar("  /tmp/x  ");
  EXPECT_EQ(solta.Arquivos().PathSalvar(), "/tmp/x/");
}

TEST(TConfiguracoes, RegrasDosSettersEEscritaNoSSL) {
  struct Case {
    const char* name;
    std::function<void(TConfiguracoes&)> set;
    std::function<bool(const TConfiguracoes&, TDFeSSL&)> check;
  };
  const Case cases[] = {
      {"UF lower case ignored", [](auto& c) { c.WebServices().SetUF("sp"); },
       [](auto& c, auto&) { return c.WebServices().UF() == "SP"; }},
      {"UF RJ gives 33",
       [](auto& c) {
         c.WebServices().SetUF("RJ");
         c.WebServices().SetUF("XX");
       },
       [](auto& c, auto&) {
         return c.WebServices().UF() == "RJ" && c.WebServices().UFCodigo() == 33;
       }},
      {"UF TO gives 17", [](auto& c) { c.WebServices().SetUF("TO"); },
       [](auto& c, auto&) { return c.WebServices().UFCodigo() == 17; }},
      {"IntervaloTentativas 500 stores 1000",
       [](auto& c) { c.WebServices().SetIntervaloTentativas(500); },
       [](auto& c, auto&) { return c.WebServices().IntervaloTentativas() == 1000u; }},
      {"IntervaloTentativas 1001 kept",
       [](auto& c) { c.WebServices().SetIntervaloTentativas(1001); },
       [](auto& c, auto&) { return c.WebServices().IntervaloTentativas() == 1001u; }},
      {"Tentativas 0 stores 5", [](auto& c) { c.WebServices().SetTentativas(0); },
       [](auto& c, auto&) { return c.WebServices().Tentativas() == 5; }},
      {"Tentativas -3 stores 5", [](auto& c) { c.WebServices().SetTentativas(-3); },
       [](auto& c, auto&) { return c.WebServices().Tentativas() == 5; }},
      {"serial number without blanks, upper case",
       [](auto& c) { c.Certificados().SetNumeroSerie(" 0a 1b "); },
       [](auto& c, auto& ssl) {
         return c.Certificados().NumeroSerie() == "0A1B" && ssl.NumeroSerie() == "0A1B";
       }},
      {"password kept and forwarded", [](auto& c) { c.Certificados().SetSenha("1234"); },
       [](auto& c, auto& ssl) {
         return c.Certificados().Senha() == "1234" && ssl.Senha() == "1234";
       }},
      {"PFX file forwarded", [](auto& c) { c.Certificados().SetArquivoPFX("/x/a.pfx"); },
       [](auto&, auto& ssl) { return ssl.ArquivoPFX() == "/x/a.pfx"; }},
      {"PFX data forwarded", [](auto& c) { c.Certificados().SetDadosPFX("bytes"); },
       [](auto&, auto& ssl) { return ssl.DadosPFX() == "bytes"; }},
      {"proxy forwarded",
       [](auto& c) {
         c.WebServices().SetProxyHost("proxy");
         c.WebServices().SetProxyPort("3128");
         c.WebServices().SetProxyUser("u");
         c.WebServices().SetProxyPass("p");
       },
       [](auto&, auto& ssl) {
         return ssl.ProxyHost() == "proxy" && ssl.ProxyPort() == "3128" && ssl.ProxyUser() == "u" &&
                ssl.ProxyPass() == "p";
       }},
      {"time-outs and TLS version forwarded",
       [](auto& c) {
         c.WebServices().SetTimeOut(180000);
         c.WebServices().SetTimeOutPorThread(true);
         c.WebServices().SetSSLType(TSSLType::LT_TLSv1_2);
       },
       [](auto&, auto& ssl) {
         return ssl.TimeOut() == 180000 && ssl.TimeOutPorThread() &&
                ssl.SSLType() == TSSLType::LT_TLSv1_2;
       }},
      {"server check forwarded", [](auto& c) { c.WebServices().SetVerificarServidor(false); },
       [](auto&, auto& ssl) { return !ssl.VerificarServidor(); }},
      {"FormatoAlerta without markers reads as default",
       [](auto& c) { c.Geral().SetFormatoAlerta("sem marcas"); },
       [](auto& c, auto&) { return c.Geral().FormatoAlerta() == kFormatoAlertaPadrao; }},
      {"FormatoAlerta with one marker kept", [](auto& c) { c.Geral().SetFormatoAlerta("%MSG%!"); },
       [](auto& c, auto&) { return c.Geral().FormatoAlerta() == "%MSG%!"; }},
      {"SepararPorDia sets SepararPorMes", [](auto& c) { c.Arquivos().SetSepararPorDia(true); },
       [](auto& c, auto&) { return c.Arquivos().SepararPorMes() && c.Arquivos().SepararPorDia(); }},
      {"SepararPorMes false clears SepararPorDia",
       [](auto& c) {
         c.Arquivos().SetSepararPorDia(true);
         c.Arquivos().SetSepararPorMes(false);
       },
       [](auto& c, auto&) {
         return !c.Arquivos().SepararPorMes() && !c.Arquivos().SepararPorDia();
       }},
      {"FormaEmissao code is ordinal + 1",
       [](auto& c) { c.Geral().SetFormaEmissao(TTipoEmissao::teOffLine); },
       [](auto& c, auto&) { return c.Geral().FormaEmissaoCodigo() == 9; }},
      {"production code 1", [](auto& c) { c.WebServices().SetAmbiente(TTipoAmbiente::taProducao); },
       [](auto& c, auto&) { return c.WebServices().AmbienteCodigo() == 1; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDFeComponente comp;
    c.set(comp.Configuracoes());
    EXPECT_TRUE(c.check(comp.Configuracoes(), comp.SSL()));
  }
}

TEST(TConfiguracoes, AtalhoDosBackEndsNosDoisSentidos) {
  struct Row {
    TSSLLib lib;
    TSSLCryptLib crypt;
    TSSLHttpLib http;
    TSSLXmlSignLib sign;
  };
  const Row rows[] = {
      {libNone, cryNone, httpNone, xsNone},
      {libOpenSSL, cryOpenSSL, httpOpenSSL, xsLibXml2},
      {libCapicom, cryCapicom, httpWinINet, xsMsXmlCapicom},
      {libCapicomMorvelSoap, cryCapicom, httpZorv, xsMsXmlCapicom},
      {libWinCrypt, cryWinCrypt, httpWinHttp, xsLibXml2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.lib));
    TDFeComponente forward;
    TGeralConf& g = forward.Configuracoes().Geral();
    g.SetSSLLib(r.lib);
    EXPECT_EQ(g.SSLCryptLib(), r.crypt);
    EXPECT_EQ(g.SSLHttpLib(), r.http);
    EXPECT_EQ(g.SSLXmlSignLib(), r.sign);
    EXPECT_EQ(forward.SSL().SSLCryptLib(), r.crypt);
    EXPECT_EQ(forward.SSL().SSLHttpLib(), r.http);
    EXPECT_EQ(forward.SSL().SSLXmlSignLib(), r.sign);

    TDFeComponente back;
    TGeralConf& b = back.Configuracoes().Geral();
    b.SetSSLXmlSignLib(r.sign);
    b.SetSSLHttpLib(r.http);
    b.SetSSLCryptLib(r.crypt);
    EXPECT_EQ(b.SSLLib(), r.lib);
  }

  TDFeComponente c;
  TGeralConf& g = c.Configuracoes().Geral();
  g.SetSSLCryptLib(cryWinCrypt);
  g.SetSSLHttpLib(httpWinHttp);
  EXPECT_EQ(g.SSLLib(), libCustom);
  g.SetSSLXmlSignLib(xsLibXml2);
  EXPECT_EQ(g.SSLLib(), libWinCrypt);
  g.SetSSLHttpLib(httpWinINet);
  EXPECT_EQ(g.SSLLib(), libCustom);
  g.SetSSLLib(libCustom);
  EXPECT_EQ(g.SSLCryptLib(), cryWinCrypt);
  EXPECT_EQ(g.SSLHttpLib(), httpWinINet);
  EXPECT_EQ(g.SSLLib(), libCustom);
  // A back-end this build refuses leaves the configuration as it was.
  EXPECT_THROW(g.SetSSLXmlSignLib(xsXmlSec), EDFeException);
  EXPECT_EQ(g.SSLXmlSignLib(), xsLibXml2);
}

TEST(TConfiguracoes, TimeZone) {
  const std::string sistema = TTimeZoneConf::OffsetDoSistema();
  ASSERT_EQ(sistema.size(), 6u);
  struct Case {
    const char* name;
    std::string texto;
    std::string esperado;  // the stored text, or the message
    bool falha;
  };
  const Case cases[] = {
      {"valid", "-03:00", "-03:00", false},
      {"upper bound", "+14:00", "+14:00", false},
      {"lower bound", "-11:59", "-11:59", false},
      {"blank takes the system's offset", "   ", sistema, false},
      {"size", "-3:00", "Tamanho de TimeZone deve ser 6. Ex: -03:00", true},
      {"sign", "003:00", "Primeiro caractere deve ser \"+,-\". Ex: -03:00", true},
      {"colon", "-03-00", "Quarto caractere deve ser \":\". Ex: -03:00", true},
      // Characters 2 and 3 are the hour by themselves: the leading sign does not count.
      {"west of -11 read as its digits", "-12:00", "-12:00", false},
      {"-14 read as 14", "-14:00", "-14:00", false},
      {"hour too west", "-15:00", "Hora deve estar entre -11 a +14. Ex: -03:00", true},
      {"hour too east", "+15:00", "Hora deve estar entre -11 a +14. Ex: -03:00", true},
      {"hour not a number", "+ab:00", "Hora deve estar entre -11 a +14. Ex: -03:00", true},
      {"minutes", "-03:60", "Minuto deve estar entre 0 a 59. Ex: -03:00", true},
      {"minutes not a number", "-03:x0", "Minuto deve estar entre 0 a 59. Ex: -03:00", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TTimeZoneConf tz;
    tz.SetModoDeteccao(TTimeZoneModoDeteccao::tzManual);
    EXPECT_EQ(tz.TimeZoneStr(), sistema);  // manual mode starts from the system's offset
    if (c.falha) {
      try {
        tz.SetTimeZoneStr(c.texto);
        ADD_FAILURE() << "no exception";
      } catch (const EDFeException& e) {
        EXPECT_EQ(e.what(), c.esperado);
      }
    } else {
      tz.SetTimeZoneStr(c.texto);
      EXPECT_EQ(tz.TimeZoneStr(), c.esperado);
    }
  }
  TTimeZoneConf tz;
  tz.SetTimeZoneStr("-03:00");  // outside manual mode the text is cleared
  EXPECT_EQ(tz.TimeZoneStr(), "");
  tz.SetModoDeteccao(TTimeZoneModoDeteccao::tzManual);
  tz.SetTimeZoneStr("+01:00");
  tz.SetModoDeteccao(TTimeZoneModoDeteccao::tzDFe);
  EXPECT_EQ(tz.TimeZoneStr(), "");
}

TEST(TConfiguracoes, AssignCopiaPelosSetters) {
  TDFeComponente origem;
  TConfiguracoes& o = origem.Configuracoes();
  o.Geral().SetSSLLib(libWinCrypt);
  o.Geral().SetIdentarXML(true);
  o.Geral().SetSalvar(false);
  o.WebServices().SetUF("RS");
  o.WebServices().SetProxyHost("h");
  o.WebServices().SetTimeOut(1234);
  o.WebServices().SetParams({"[X]", "a=b"});
  o.WebServices().TimeZoneConf().SetModoDeteccao(TTimeZoneModoDeteccao::tzManual);
  o.WebServices().TimeZoneConf().SetTimeZoneStr("-02:00");
  o.Certificados().SetNumeroSerie("ab");
  o.Certificados().SetSenha("pin");
  o.Certificados().SetVerificarValidade(false);
  o.Arquivos().SetPathSalvar("/s");
  o.Arquivos().SetSepararPorAno(true);
  o.Arquivos().SetSepararPorDia(true);
  o.Arquivos().OrdenacaoPath().emplace_back(TTagOrdenacaoPath::opLiteral);
  o.RespTec().SetIdCSRT(7);

  TDFeComponente destino;
  TConfiguracoes& d = destino.Configuracoes();
  d.Arquivos().OrdenacaoPath().emplace_back(TTagOrdenacaoPath::opCNPJ);
  d.Assign(o);
  EXPECT_EQ(d.Geral().SSLLib(), libWinCrypt);
  EXPECT_EQ(destino.SSL().SSLCryptLib(), cryWinCrypt);
  EXPECT_FALSE(d.Geral().IdentarXML());  // not copied
  EXPECT_FALSE(d.Geral().Salvar());
  EXPECT_EQ(d.WebServices().UF(), "RS");
  EXPECT_EQ(destino.SSL().ProxyHost(), "h");
  EXPECT_EQ(destino.SSL().TimeOut(), 1234);
  EXPECT_EQ(d.WebServices().Params().size(), 2u);
  EXPECT_EQ(d.WebServices().TimeZoneConf().TimeZoneStr(), "-02:00");
  EXPECT_EQ(destino.SSL().NumeroSerie(), "AB");
  EXPECT_EQ(destino.SSL().Senha(), "pin");
  EXPECT_TRUE(d.Certificados().VerificarValidade());  // not copied
  EXPECT_EQ(d.Arquivos().PathSalvar(), "/s/");
  EXPECT_FALSE(d.Arquivos().SepararPorAno());  // not copied
  EXPECT_TRUE(d.Arquivos().SepararPorDia());
  ASSERT_EQ(d.Arquivos().OrdenacaoPath().size(), 1u);
  EXPECT_EQ(d.Arquivos().OrdenacaoPath()[0].Item(), TTagOrdenacaoPath::opLiteral);
  EXPECT_EQ(d.RespTec().IdCSRT(), 7);
}

TEST(TConfiguracoes, CifrarTexto) {
  EXPECT_EQ(CifrarTexto("abc", ""), "abc");
  EXPECT_EQ(CifrarTexto("", "k"), "");
  // 'a' ^ 'k' = 0x0A; a byte equal to its key byte stays.
  EXPECT_EQ(CifrarTexto("ak", "kk"), std::string("\x0A"
                                                 "k"));
  EXPECT_EQ(CifrarTexto(CifrarTexto("segredo 123", "chave"), "chave"), "segredo 123");
  EXPECT_EQ(Base64Encode("segredo"), "c2VncmVkbw==");
  EXPECT_EQ(Base64Decode("c2Vn\r\ncmVkbw=="), "segredo");
  EXPECT_EQ(Base64Decode("???"), std::nullopt);
  EXPECT_EQ(Base64Decode(""), "");
}

}  // namespace
}  // namespace luvaro
