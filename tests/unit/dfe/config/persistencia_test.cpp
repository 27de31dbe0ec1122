#include <gtest/gtest.h>

#include <string>

#include "componente_teste.h"
#include "dfe/config/ini.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

void Preencher(TConfiguracoes& c) {
  c.Geral().SetSSLLib(TSSLLib::libWinCrypt);
  c.Geral().SetFormaEmissao(TTipoEmissao::teSCAN);
  c.Geral().SetSalvar(false);
  c.Geral().SetIdentarXML(true);
  c.Geral().SetFormatoAlerta("%TAG%: %MSG%");
  c.WebServices().SetUF("MG");
  c.WebServices().SetAmbiente(TTipoAmbiente::taProducao);
  c.WebServices().TimeZoneConf().SetModoDeteccao(TTimeZoneModoDeteccao::tzManual);
  c.WebServices().TimeZoneConf().SetTimeZoneStr("-04:00");
  c.WebServices().SetProxyHost("h");
  c.WebServices().SetProxyPort("8080");
  c.WebServices().SetProxyUser("user");
  c.WebServices().SetProxyPass("p");
  c.WebServices().SetTimeOut(180000);
  c.WebServices().SetTentativas(9);
  c.WebServices().SetIntervaloTentativas(3000);
  c.WebServices().SetSSLType(TSSLType::LT_TLSv1_2);
  c.WebServices().SetQuebradeLinha(";");
  c.WebServices().SetSalvar(true);
  c.Certificados().SetArquivoPFX("/c/a.pfx");
  c.Certificados().SetDadosPFX("PFX");
  c.Certificados().SetSenha("1234");
  c.Certificados().SetNumeroSerie("ABCD");
  c.Certificados().SetVerificarValidade(false);
  c.Arquivos().SetPathSalvar("/salvar");
  c.Arquivos().SetSepararPorAno(true);
  c.Arquivos().SetSepararPorDia(true);
  c.RespTec().SetIdCSRT(3);
  c.RespTec().SetCSRT("csrt");
}

TEST(TConfiguracoesIni, IdaEVoltaComESemChave) {
  struct Case {
    const char* name;
    std::string chave;
    const char* senha;
    const char* dadosPFX;
    const char* proxyPass;
  };
  // Expected Base64 values computed outside the program (exclusive or, then Base64).
  const Case cases[] = {
      {"without key: plain Base64, proxy password under the host", "", "MTIzNA==", "UEZY", "GA=="},
      {"with key: scrambled first", "chave", "UlpSQg==", "My45", "Ew=="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TComponenteTeste origem("/app");
    origem.Configuracoes().SetChaveCryptINI(c.chave);
    Preencher(origem.Configuracoes());
    IniFile ini;
    origem.Configuracoes().GravarIni(ini);

    EXPECT_EQ(ini.ReadString("DFe", "Senha", ""), c.senha);
    EXPECT_EQ(ini.ReadString("DFe", "DadosPFX", ""), c.dadosPFX);
    EXPECT_EQ(ini.ReadString("DFe", "Proxy.Pass", ""), c.proxyPass);
    EXPECT_EQ(ini.ReadString("DFe", "SSLCryptLib", ""), "3");
    EXPECT_EQ(ini.ReadString("DFe", "TimeZone.Modo", ""), "2");
    EXPECT_EQ(ini.ReadString("Teste", "FormaEmissao", ""), "2");
    EXPECT_EQ(ini.ReadString("Teste", "SalvarGer", ""), "0");
    EXPECT_EQ(ini.ReadString("Teste", "SSLType", ""), "5");
    EXPECT_EQ(ini.ReadString("Teste", "IniServicos", ""), "/app/ReinfServicos.ini");
    EXPECT_FALSE(ini.ValueExists("DFe", "SSLLib"));

    // Read back through a text round trip into a fresh component with the same key.
    test::TComponenteTeste destino("/outra");
    destino.Configuracoes().SetChaveCryptINI(c.chave);
    destino.Configuracoes().LerIni(IniFile(ini.Text()));
    IniFile de_novo;
    destino.Configuracoes().GravarIni(de_novo);
    EXPECT_EQ(de_novo.Text(), ini.Text());

    const TConfiguracoes& d = destino.Configuracoes();
    EXPECT_EQ(d.Geral().SSLLib(), TSSLLib::libWinCrypt);
    EXPECT_TRUE(d.Geral().IdentarXML());
    EXPECT_EQ(d.WebServices().UF(), "MG");
    EXPECT_EQ(d.WebServices().TimeZoneConf().TimeZoneStr(), "-04:00");
    EXPECT_EQ(d.Certificados().Senha(), "1234");
    EXPECT_EQ(d.Arquivos().PathSalvar(), "/salvar/");
    EXPECT_FALSE(d.Arquivos().SepararPorCNPJ());
    EXPECT_TRUE(d.Arquivos().SepararPorDia());
    EXPECT_EQ(destino.SSL().Senha(), "1234");
    EXPECT_EQ(destino.SSL().ProxyPass(), "p");
    // The facade drops its PFX bytes when the serial number is set after them.
    EXPECT_EQ(d.Certificados().DadosPFX(), "PFX");
    EXPECT_EQ(destino.SSL().DadosPFX(), "");
    EXPECT_EQ(destino.SSL().NumeroSerie(), "ABCD");
    EXPECT_EQ(destino.SSL().SSLType(), TSSLType::LT_TLSv1_2);
  }
}

TEST(TConfiguracoesIni, ValoresRuinsMantemOAtual) {
  test::TComponenteTeste c("/app");
  c.Configuracoes().WebServices().SetTimeOut(777);
  const IniFile ini(
      "[DFe]\nSSLCryptLib=99\nUF=xx\nSenha=***\nTimeZone.Modo=-1\n"
      "[Teste]\nTimeout=99999999999\nAmbiente=abc\nTentativas=-4\nIntervaloTentativas=-1\n"
      "SSLType=7\nSalvarGer=talvez\n");
  c.Configuracoes().LerIni(ini);
  const TConfiguracoes& d = c.Configuracoes();
  EXPECT_EQ(d.Geral().SSLCryptLib(), TSSLCryptLib::cryNone);
  EXPECT_EQ(d.WebServices().UF(), "SP");
  EXPECT_EQ(d.Certificados().Senha(), "");
  EXPECT_EQ(d.WebServices().TimeZoneConf().ModoDeteccao(), TTimeZoneModoDeteccao::tzSistema);
  EXPECT_EQ(d.WebServices().TimeOut(), 777);
  EXPECT_EQ(d.WebServices().Ambiente(), TTipoAmbiente::taHomologacao);
  EXPECT_EQ(d.WebServices().Tentativas(), 5);
  EXPECT_EQ(d.WebServices().IntervaloTentativas(), 1000u);
  EXPECT_EQ(d.WebServices().SSLType(), TSSLType::LT_all);
  EXPECT_TRUE(d.Geral().Salvar());

  // The base configuration has no section of its own: only "DFe" is written.
  TDFeComponente base;
  IniFile so_dfe;
  base.Configuracoes().GravarIni(so_dfe);
  EXPECT_EQ(so_dfe.Sections(), std::vector<std::string>{"DFe"});
}

TEST(TConfiguracoesIni, LerParams) {
  test::TempDir dir("luvaro-params");
  test::WriteFile(dir / "p.ini", "\xEF\xBB\xBF[A]\r\nx=1\ny=2");
  TDFeComponente c;
  c.Configuracoes().LerParams((dir / "p.ini").string());
  EXPECT_EQ(c.Configuracoes().WebServices().Params(),
            (std::vector<std::string>{"[A]", "x=1", "y=2"}));
  try {
    c.Configuracoes().LerParams((dir / "none.ini").string());
    ADD_FAILURE() << "no exception";
  } catch (const EDFeException& e) {
    EXPECT_EQ(e.what(), "Arquivo de Parâmetro não encontrado: " + (dir / "none.ini").string());
  }
}

}  // namespace
}  // namespace luvaro
