// The EFD-Reinf component and its configuration: defaults, persistence, service addresses by
// environment and layout version, version texts, schema names and status notifications.

#include <gtest/gtest.h>

#include <algorithm>

#include "dfe/config/ini.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_eventos.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {
namespace {

using namespace reinf;

class ReinfComponenteTest : public ::testing::Test {
 protected:
  TempDir m_dir{"luvaro-reinf-comp"};
  TReinfComponente m_comp{m_dir.path().string()};
};

TEST_F(ReinfComponenteTest, ValoresIniciais) {
  const TConfiguracoesReinf& c = m_comp.Configuracoes();
  EXPECT_EQ(c.Geral().VersaoDF(), TVersaoReinf::v1_03_00);
  EXPECT_EQ(c.Geral().TipoContribuinte(), TContribuinte::tcPessoaJuridica);
  EXPECT_EQ(c.Geral().IdContribuinte(), "");
  EXPECT_EQ(c.Geral().IdTransmissor(), "");
  EXPECT_FALSE(c.Arquivos().EmissaoPathReinf());
  EXPECT_EQ(c.Arquivos().PathReinf(), "");
  EXPECT_EQ(c.SessaoIni(), "Reinf");
  EXPECT_EQ(c.WebServices().ResourceName(), "ReinfServicos");
  EXPECT_EQ(m_comp.Status(), TStatusReinf::stIdle);
  EXPECT_EQ(m_comp.SSL().SSLDgst(), TSSLDgst::dgstSHA256);
  EXPECT_EQ(m_comp.GetNomeModeloDFe(), "Reinf");
  EXPECT_EQ(m_comp.GetNameSpaceURI(), "http://sped.fazenda.gov.br/RecepcaoLoteReinf");
  EXPECT_EQ(m_comp.SSL().NameSpaceURI(), "http://sped.fazenda.gov.br/RecepcaoLoteReinf");
  EXPECT_EQ(m_comp.Eventos().Count(), 0u);
}

TEST_F(ReinfComponenteTest, IniIdaEVoltaEAssign) {
  TConfiguracoesReinf& c = m_comp.Configuracoes();
  c.Geral().SetVersaoDF(TVersaoReinf::v1_04_00);
  c.Geral().SetIdContribuinte("12345678000195");
  c.Geral().SetIdTransmissor("98765432000198");
  c.Geral().SetTipoContribuinte(TContribuinte::tcPessoaFisica);
  c.Arquivos().SetEmissaoPathReinf(true);
  c.Arquivos().SetPathReinf("/reinf/xml");

  IniFile ini;
  c.GravarIni(ini);
  EXPECT_EQ(ini.ReadString("Reinf", "VersaoDF", ""), "3");
  EXPECT_EQ(ini.ReadString("Reinf", "IdContribuinte", ""), "12345678000195");
  EXPECT_EQ(ini.ReadString("Reinf", "IdTransmissor", ""), "98765432000198");
  EXPECT_EQ(ini.ReadString("Reinf", "TipoContribuinte", ""), "2");
  EXPECT_EQ(ini.ReadString("Reinf", "EmissaoPathReinf", ""), "1");
  EXPECT_EQ(ini.ReadString("Reinf", "PathReinf", ""), "/reinf/xml");
  // The group's keys follow the base group's, in the order of the format.
  std::vector<std::string> chaves;
  for (const auto& [chave, valor] : ini.Entries("Reinf")) chaves.push_back(chave);
  const auto pos = [&](const char* k) {
    return std::find(chaves.begin(), chaves.end(), k) - chaves.begin();
  };
  EXPECT_LT(pos("VersaoDF"), pos("IdTransmissor"));
  EXPECT_LT(pos("IdTransmissor"), pos("IdContribuinte"));
  EXPECT_LT(pos("IdContribuinte"), pos("TipoContribuinte"));

  TempDir outro{"luvaro-reinf-comp2"};
  TReinfComponente lido(outro.path().string());
  lido.Configuracoes().LerIni(ini);
  EXPECT_EQ(lido.Configuracoes().Geral().VersaoDF(), TVersaoReinf::v1_04_00);
  EXPECT_EQ(lido.Configuracoes().Geral().IdContribuinte(), "12345678000195");
  EXPECT_EQ(lido.Configuracoes().Geral().IdTransmissor(), "98765432000198");
  EXPECT_EQ(lido.Configuracoes().Geral().TipoContribuinte(), TContribuinte::tcPessoaFisica);
  EXPECT_TRUE(lido.Configuracoes().Arquivos().EmissaoPathReinf());
  EXPECT_EQ(lido.Configuracoes().Arquivos().PathReinf(), "/reinf/xml");

  TReinfComponente copia(outro.path().string());
  copia.Configuracoes().Assign(m_comp.Configuracoes());
  EXPECT_EQ(copia.Configuracoes().Geral().VersaoDF(), TVersaoReinf::v1_04_00);
  EXPECT_EQ(copia.Configuracoes().Geral().IdTransmissor(), "98765432000198");
  EXPECT_EQ(copia.Configuracoes().Geral().TipoContribuinte(), TContribuinte::tcPessoaFisica);
  EXPECT_EQ(copia.Configuracoes().Arquivos().PathReinf(), "/reinf/xml");

  // Ordinals outside the contributor table keep the current value; any version byte is kept.
  IniFile ruim("[Reinf]\r\nTipoContribuinte=7\r\nVersaoDF=9\r\n");
  lido.Configuracoes().LerIni(ruim);
  EXPECT_EQ(lido.Configuracoes().Geral().TipoContribuinte(), TContribuinte::tcPessoaFisica);
  EXPECT_EQ(static_cast<int>(lido.Configuracoes().Geral().VersaoDF()), 9);
}

TEST_F(ReinfComponenteTest, EnderecoDoServicoPorAmbienteEVersao) {
  const struct {
    TTipoAmbiente ambiente;
    TVersaoReinf versao;
    TLayOutReinf layout;
    const char* url;
  } casos[] = {
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v1_04_00, TLayOutReinf::LayEnvioLoteEventos,
       "https://preprodefdreinf.receita.fazenda.gov.br/WsREINF/RecepcaoLoteReinf.svc"},
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v1_04_00, TLayOutReinf::LayConsultaLoteEventos,
       "https://preprodefdreinf.receita.fazenda.gov.br/WsREINFConsultas/ConsultasReinf.svc"},
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v1_03_02, TLayOutReinf::LayConsultaLoteEventos,
       "https://preprodefdreinf.receita.fazenda.gov.br/WsREINF/ConsultasReinf.svc"},
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v1_03_00, TLayOutReinf::LayEnvioLoteEventos,
       "https://preprodefdreinf.receita.fazenda.gov.br/RecepcaoLoteReinf.svc"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v1_04_00, TLayOutReinf::LayEnvioLoteEventos,
       "https://reinf.receita.fazenda.gov.br/WsREINF/RecepcaoLoteReinf.svc"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v1_04_00, TLayOutReinf::LayConsultaLoteEventos,
       "https://reinf.receita.fazenda.gov.br/WsREINFConsultas/ConsultasReinf.svc"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v1_03_02, TLayOutReinf::LayEnvioLoteEventos,
       "https://reinf.receita.fazenda.gov.br/WsREINF/RecepcaoLoteReinf.svc"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v1_03_00, TLayOutReinf::LayConsultaLoteEventos,
       "https://reinf.receita.fazenda.gov.br/ConsultasReinf.svc"},
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v2_01_02, TLayOutReinf::LayEnvioLoteEventos,
       "https://pre-reinf.receita.economia.gov.br/recepcao/lotes"},
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v2_01_02, TLayOutReinf::LayConsultaLoteEventos,
       "https://pre-reinf.receita.economia.gov.br/consulta/lotes"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v2_01_02, TLayOutReinf::LayEnvioLoteEventos,
       "https://reinf.receita.economia.gov.br/recepcao/lotes"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v2_01_02, TLayOutReinf::LayConsultaLoteEventos,
       "https://reinf.receita.economia.gov.br/consulta/lotes"},
      {TTipoAmbiente::taProducao, TVersaoReinf::v1_02_00, TLayOutReinf::LayEnvioLoteEventos, ""},
      {TTipoAmbiente::taHomologacao, TVersaoReinf::v1_02_00, TLayOutReinf::LayConsultaLoteEventos,
       ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.url) + " " + TextoDaVersao(c.versao));
    m_comp.Configuracoes().WebServices().SetAmbiente(c.ambiente);
    m_comp.Configuracoes().Geral().SetVersaoDF(c.versao);
    double versao = NumeroDaVersao(c.versao);
    std::string url = "antes";
    m_comp.LerServicoDeParams(c.layout, versao, url);
    EXPECT_EQ(url, c.url);
    // The version reported is the configured one, whatever the table held.
    EXPECT_DOUBLE_EQ(versao, NumeroDaVersao(c.versao));
  }
}

TEST_F(ReinfComponenteTest, VersaoInformadaVemDaConfiguracao) {
  m_comp.Configuracoes().Geral().SetVersaoDF(TVersaoReinf::v1_03_02);
  double versao = 1.4;
  std::string url;
  m_comp.LerServicoDeParams(TLayOutReinf::LayEnvioLoteEventos, versao, url);
  EXPECT_EQ(url, "https://preprodefdreinf.receita.fazenda.gov.br/WsREINF/RecepcaoLoteReinf.svc");
  EXPECT_DOUBLE_EQ(versao, 1.32);
  // The general lookup has no section of its form in the EFD-Reinf table.
  EXPECT_THROW(m_comp.LerVersaoDeParams(TLayOutReinf::LayEnvioLoteEventos), EDFeException);
}

TEST_F(ReinfComponenteTest, NomeDoSchemaDoServico) {
  const struct {
    const char* servico;
    const char* schema;
  } casos[] = {
      {"EnviarLoteEventos", "EnvioLoteEventos"},
      {"enviarloteeventos", "EnvioLoteEventos"},
      {"ConsultarLoteEventos", "ConsultaLoteEventos"},
      {"DownloadEventos", ""},
      {"", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.servico);
    EXPECT_EQ(m_comp.NomeServicoParaSchema(c.servico), c.schema);
  }
}

TEST_F(ReinfComponenteTest, TextosDasVersoes) {
  const struct {
    double numero;
    const char* texto;
  } paraTexto[] = {{0, ""},        {-1, ""},       {1.32, "1_3_2"},
                   {1.4, "1_4_0"}, {1.3, "1_3_0"}, {2, "2_0_0"}};
  for (const auto& c : paraTexto) {
    SCOPED_TRACE(c.numero);
    EXPECT_EQ(m_comp.VersaoParaTexto(c.numero), c.texto);
  }
  const struct {
    const char* texto;
    double numero;
  } paraNumero[] = {{"", 0},  {"1_3_2", 1.32},   {"1_4_0", 1.4},
                    {"1", 1}, {"1_04_00", 1.04}, {"abc", 0}};
  for (const auto& c : paraNumero) {
    SCOPED_TRACE(c.texto);
    EXPECT_DOUBLE_EQ(m_comp.TextoParaVersao(c.texto), c.numero);
  }
}

TEST_F(ReinfComponenteTest, SetStatusAvisaSoNaMudanca) {
  std::vector<TStatusReinf> vistos;
  m_comp.SetOnStatusChange([&](TDFeComponente& sender) {
    EXPECT_EQ(&sender, &m_comp);
    vistos.push_back(m_comp.Status());
  });
  m_comp.SetStatus(TStatusReinf::stIdle);
  m_comp.SetStatus(TStatusReinf::stEnvLoteEventos);
  m_comp.SetStatus(TStatusReinf::stEnvLoteEventos);
  m_comp.SetStatus(TStatusReinf::stConsultaLote);
  m_comp.SetStatus(TStatusReinf::stIdle);
  EXPECT_EQ(vistos,
            (std::vector<TStatusReinf>{TStatusReinf::stEnvLoteEventos, TStatusReinf::stConsultaLote,
                                       TStatusReinf::stIdle}));
}

TEST_F(ReinfComponenteTest, PastaDosEventos) {
  TArquivosConfReinf& a = m_comp.Configuracoes().Arquivos();
  a.SetPathSalvar((m_dir / "Docs").string());
  a.SetSepararPorCNPJ(true);
  a.SetSepararPorModelo(true);
  a.SetAdicionarLiteral(true);
  const std::string pasta = a.GetPathReinf(0, "12.345.678/0001-95");
  EXPECT_EQ(pasta, (m_dir / "Docs" / "12345678000195" / "Reinf").string());

  a.SetPathReinf((m_dir / "Eventos").string());
  EXPECT_EQ(a.GetPathReinf(0, "12345678000195"),
            (m_dir / "Eventos" / "12345678000195" / "Reinf").string());
}

}  // namespace
}  // namespace luvaro::test
