// The eSocial component and its configuration: groups, INI keys, the save folder of events,
// protocol answers (model, namespace, versions, schema names), service addresses and status.

#include <gtest/gtest.h>

#include "dfe/config/ini.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "esocial/esocial_componente.h"
#include "esocial/eventos.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

using test::TempDir;

class ComponenteTest : public testing::Test {
 protected:
  TempDir dir{"luvaro-esocial-componente"};
  TeSocialComponente componente{dir.path().string()};
  TConfiguracoeseSocial& c = componente.Configuracoes();
};

TEST_F(ComponenteTest, ConfiguracaoDoESocialComSeusGruposEPadroes) {
  EXPECT_EQ(c.SessaoIni(), "eSocial");
  EXPECT_EQ(c.WebServices().ResourceName(), "eSocialServicos");
  EXPECT_NE(dynamic_cast<TGeralConfeSocial*>(&static_cast<TConfiguracoes&>(c).Geral()), nullptr);
  EXPECT_NE(dynamic_cast<TArquivosConfeSocial*>(&static_cast<TConfiguracoes&>(c).Arquivos()),
            nullptr);
  EXPECT_EQ(c.Geral().VersaoDF(), TVersaoeSocial::ve02_04_01);
  EXPECT_EQ(c.Geral().TipoEmpregador(), TEmpregador::tePessoaJuridica);
  EXPECT_EQ(c.Geral().IdEmpregador(), "");
  EXPECT_EQ(c.Geral().IdTransmissor(), "");
  EXPECT_FALSE(c.Arquivos().EmissaoPatheSocial());
  EXPECT_EQ(c.Arquivos().PatheSocial(), "");
  EXPECT_EQ(componente.SSL().SSLDgst(), TSSLDgst::dgstSHA256);
  EXPECT_EQ(componente.SSL().NameSpaceURI(), componente.GetNameSpaceURI());
  EXPECT_EQ(componente.Status(), TStatuseSocial::stIdle);
  EXPECT_EQ(componente.Eventos().Count(), 0);
  EXPECT_EQ(&componente.Eventos().Owner(), &componente);
}

TEST_F(ComponenteTest, ChavesIniNaSecaoESocialEVersaoForaDaTabela) {
  c.Geral().SetVersaoDF(static_cast<TVersaoeSocial>(5));
  c.Geral().SetIdEmpregador("12345678000195");
  c.Geral().SetIdTransmissor("52998224725");
  c.Geral().SetTipoEmpregador(TEmpregador::tePessoaFisica);
  c.Arquivos().SetEmissaoPatheSocial(true);
  c.Arquivos().SetPatheSocial("/tmp/eventos");
  IniFile ini;
  c.GravarIni(ini);

  const struct {
    std::string chave, valor;
  } chaves[] = {
      {"VersaoDF", "5"},       {"IdEmpregador", "12345678000195"}, {"IdTransmissor", "52998224725"},
      {"TipoEmpregador", "2"}, {"EmissaoPatheSocial", "1"},        {"PatheSocial", "/tmp/eventos"}};
  for (const auto& k : chaves) {
    SCOPED_TRACE(k.chave);
    EXPECT_EQ(ini.ReadString("eSocial", k.chave, "?"), k.valor);
  }
  // The general group's keys come first, then the four eSocial ones in this order.
  std::vector<std::string> ordem;
  for (const auto& [chave, valor] : ini.Entries("eSocial")) ordem.push_back(chave);
  const auto pos = [&](const std::string& k) {
    return std::find(ordem.begin(), ordem.end(), k) - ordem.begin();
  };
  EXPECT_LT(pos("ValidarDigest"), pos("VersaoDF"));
  EXPECT_LT(pos("VersaoDF"), pos("IdTransmissor"));
  EXPECT_LT(pos("IdTransmissor"), pos("IdEmpregador"));
  EXPECT_LT(pos("IdEmpregador"), pos("TipoEmpregador"));

  TeSocialComponente outro(dir.path().string());
  outro.Configuracoes().LerIni(ini);
  const TConfiguracoeseSocial& lida = outro.Configuracoes();
  EXPECT_EQ(static_cast<int>(lida.Geral().VersaoDF()), 5);
  EXPECT_EQ(lida.Geral().IdEmpregador(), "12345678000195");
  EXPECT_EQ(lida.Geral().IdTransmissor(), "52998224725");
  EXPECT_EQ(lida.Geral().TipoEmpregador(), TEmpregador::tePessoaFisica);
  EXPECT_TRUE(lida.Arquivos().EmissaoPatheSocial());
  EXPECT_EQ(lida.Arquivos().PatheSocial(), "/tmp/eventos");

  // Missing keys keep the current values.
  IniFile vazio;
  outro.Configuracoes().LerIni(vazio);
  EXPECT_EQ(outro.Configuracoes().Geral().IdEmpregador(), "12345678000195");
}

TEST_F(ComponenteTest, AssignCopiaOsGruposDoESocial) {
  c.Geral().SetVersaoDF(TVersaoeSocial::ve02_05_00);
  c.Geral().SetIdEmpregador("12345678000195");
  c.Geral().SetExibirErroSchema(false);
  c.WebServices().SetAmbiente(TTipoAmbiente::taProducao);
  c.Certificados().SetNumeroSerie("ABC");
  c.Arquivos().SetPatheSocial("/tmp/x");
  c.RespTec().SetCSRT("segredo");

  TeSocialComponente outro(dir.path().string());
  outro.Configuracoes().Assign(c);
  const TConfiguracoeseSocial& copia = outro.Configuracoes();
  EXPECT_EQ(copia.Geral().VersaoDF(), TVersaoeSocial::ve02_05_00);
  EXPECT_EQ(copia.Geral().IdEmpregador(), "12345678000195");
  EXPECT_FALSE(copia.Geral().ExibirErroSchema());
  EXPECT_EQ(copia.WebServices().Ambiente(), TTipoAmbiente::taProducao);
  EXPECT_EQ(copia.Certificados().NumeroSerie(), "ABC");
  EXPECT_EQ(copia.Arquivos().PatheSocial(), "/tmp/x");
  EXPECT_EQ(copia.RespTec().CSRT(), "") << "the technical-responsible group is not copied";
}

TEST_F(ComponenteTest, PastaDosEventosSalvos) {
  const std::string docs = (dir.path() / "Docs").string() + "/";
  const DateTime data = encodeDateTime(2024, 3, 14);
  EXPECT_EQ(c.Arquivos().GetPatheSocial("12345678000195", data), docs);

  c.Arquivos().SetPatheSocial((dir.path() / "proprios").string());
  EXPECT_EQ(c.Arquivos().GetPatheSocial("12345678000195", data),
            (dir.path() / "proprios").string());

  TeSocialComponente outro(dir.path().string());
  TArquivosConfeSocial& a = outro.Configuracoes().Arquivos();
  a.SetSepararPorCNPJ(true);
  a.SetSepararPorMes(true);
  a.SetAdicionarLiteral(true);
  EXPECT_EQ(a.GetPatheSocial("12.345.678/0001-95", data), docs + "12345678000195/202403/eSocial");
}

TEST_F(ComponenteTest, RespostasDoProtocolo) {
  EXPECT_EQ(componente.GetNomeModeloDFe(), "eSocial");
  EXPECT_EQ(componente.GetNameSpaceURI(),
            " http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0");

  const struct {
    std::string servico, schema;
  } schemas[] = {{"EnviarLoteEventos", "EnvioLoteEventos"},
                 {"consultarloteeventos", "ConsultaLoteEventos"},
                 {"ConsultarIdentificadoresEventos", "ConsultaIdentEventos"},
                 {"DOWNLOADEVENTOS", "DownloadEventos"},
                 {"RecepcaoLoteReinf", ""},
                 {"", ""}};
  for (const auto& s : schemas) {
    SCOPED_TRACE(s.servico);
    EXPECT_EQ(componente.NomeServicoParaSchema(s.servico), s.schema);
  }

  const struct {
    double versao;
    std::string texto;
  } versoes[] = {{0, ""},           {-1, ""},       {2.05, "2_0_5"},
                 {2.0401, "2_0_4"}, {1.4, "1_4_0"}, {12.34, "1_2_3"}};
  for (const auto& v : versoes) {
    SCOPED_TRACE(v.versao);
    EXPECT_EQ(componente.VersaoParaTexto(v.versao), v.texto);
  }

  const struct {
    std::string texto;
    double versao;
  } textos[] = {{"2_0_5", 2.05}, {"2", 2.0},     {"1_4", 1.4}, {"02_05_00", 0.2},
                {"", 0.0},       {"x_y_z", 0.0}, {"2_5", 2.5}};
  for (const auto& t : textos) {
    SCOPED_TRACE(t.texto);
    EXPECT_DOUBLE_EQ(componente.TextoParaVersao(t.texto), t.versao);
  }
}

TEST_F(ComponenteTest, EnderecoDosServicosPorAmbienteEVersao) {
  c.Arquivos().SetPathSchemas(test::PastaSchemas().string());
  const std::string restrita = "https://webservices.producaorestrita.esocial.gov.br";
  const struct {
    std::string nome;
    TTipoAmbiente ambiente;
    TLayOut layout;
    int versaoDF;
    std::string url;
    double versao;
  } casos[] = {
      {"envio em produção restrita", TTipoAmbiente::taHomologacao, TLayOut::LayEnvioLoteEventos, 2,
       restrita + "/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc", 2.05},
      {"envio em produção", TTipoAmbiente::taProducao, TLayOut::LayEnvioLoteEventos, 2,
       "https://webservices.envio.esocial.gov.br/servicos/empregador/enviarloteeventos/"
       "WsEnviarLoteEventos.svc",
       2.05},
      {"consulta em produção", TTipoAmbiente::taProducao, TLayOut::LayConsultaLoteEventos, 0,
       "https://webservices.consulta.esocial.gov.br/servicos/empregador/consultarloteeventos/"
       "WsConsultarLoteEventos.svc",
       2.0401},
      {"identificadores com a versão 5", TTipoAmbiente::taHomologacao,
       TLayOut::LayConsultaIdentEventos, 5,
       restrita + "/servicos/empregador/dwlcirurgico/WsConsultarIdentificadoresEventos.svc", 0.0},
      {"download em produção, versão 5", TTipoAmbiente::taProducao, TLayOut::LayDownloadEventos, 5,
       "https://webservices.download.esocial.gov.br/servicos/empregador/dwlcirurgico/"
       "WsSolicitarDownloadEventos.svc",
       0.0},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.nome);
    c.WebServices().SetAmbiente(k.ambiente);
    c.Geral().SetVersaoDF(static_cast<TVersaoeSocial>(k.versaoDF));
    double versao = 9.99;
    std::string url = "antiga";
    componente.LerServicoDeParams(k.layout, versao, url);
    EXPECT_EQ(url, k.url);
    EXPECT_DOUBLE_EQ(versao, k.versao);
  }
}

TEST_F(ComponenteTest, EnderecoFalhaSemNenhumSchemaNaPasta) {
  std::filesystem::create_directories(dir.path() / "vazia");
  c.Arquivos().SetPathSchemas((dir.path() / "vazia").string());
  double versao = 0;
  std::string url;
  try {
    componente.LerServicoDeParams(TLayOut::LayEnvioLoteEventos, versao, url);
    FAIL() << "no schema file";
  } catch (const EDFeException& e) {
    EXPECT_EQ(std::string(e.what()), "Nenhum arquivo de Schema encontrado na pasta: \r\n" +
                                         (dir.path() / "vazia").string() + "/");
  }
}

// The general lookup looks for the section eSocial_<UF>_<H|P>, which the eSocial table does
// not have.
TEST_F(ComponenteTest, VersaoDeParamsUsaABuscaGeral) {
  try {
    componente.LerVersaoDeParams(TLayOut::LayEnvioLoteEventos);
    FAIL() << "the eSocial table has no state sections";
  } catch (const EDFeException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Sessão \"eSocial_SP_H\", não encontrada no arquivo \"eSocialServicos\"");
  }
  c.Arquivos().SetPathSchemas(test::PastaSchemas().string());
  c.WebServices().SetParams({"[eSocial_SP_P]", "EnviarLoteEventos=https://exemplo/envio"});
  c.WebServices().SetAmbiente(TTipoAmbiente::taProducao);
  c.Geral().SetVersaoDF(TVersaoeSocial::ve02_05_00);
  componente.CarregarParamsIni(false);
  EXPECT_EQ(componente.LerVersaoDeParams(TLayOut::LayEnvioLoteEventos), "2.05");
}

TEST_F(ComponenteTest, StatusAvisaSoQuandoMuda) {
  std::vector<TStatuseSocial> vistos;
  componente.SetOnStatusChange([&](TDFeComponente& sender) {
    EXPECT_EQ(&sender, &componente);
    vistos.push_back(componente.Status());
  });
  using enum TStatuseSocial;
  for (TStatuseSocial s : {stIdle, stEnvLoteEventos, stEnvLoteEventos, stIdle, stConsultaLote,
                           stConsultaIdentEvt, stDownloadEvt, stDownloadEvt}) {
    componente.SetStatus(s);
  }
  EXPECT_EQ(vistos, (std::vector<TStatuseSocial>{stEnvLoteEventos, stIdle, stConsultaLote,
                                                 stConsultaIdentEvt, stDownloadEvt}));
  componente.SetOnStatusChange(nullptr);
  componente.SetStatus(stIdle);
  EXPECT_EQ(componente.Status(), stIdle);
}

}  // namespace
}  // namespace luvaro
