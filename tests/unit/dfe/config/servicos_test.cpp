#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "componente_teste.h"
#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/dfe/ssl/failure_of.h"

namespace luvaro {
namespace {

constexpr const char* kReinfH = "https://preprodefdreinf.receita.fazenda.gov.br";
constexpr const char* kReinfP = "https://reinf.receita.fazenda.gov.br";

std::string fixture(const char* nome) {
  return test::ReadFile(std::string(LUVARO_SOURCE_DIR) + "/tests/fixtures/config/" + nome);
}

TEST(TabelaDeServicos, ReinfEmbutida) {
  struct Case {
    const char* name;
    std::string sessao, servico;
    double versao;
    std::string url;
    double versaoFinal;
  };
  const Case cases[] = {
      {"1.40 exact", "Reinf_H", "ConsultarLoteEventos", 1.40,
       std::string(kReinfH) + "/WsREINFConsultas/ConsultasReinf.svc", 1.4},
      {"1.35 takes 1.32", "Reinf_H", "ConsultarLoteEventos", 1.35,
       std::string(kReinfH) + "/WsREINF/ConsultasReinf.svc", 1.32},
      {"1.30", "Reinf_H", "EnviarLoteEventos", 1.30,
       std::string(kReinfH) + "/RecepcaoLoteReinf.svc", 1.3},
      {"1.20 below every version", "Reinf_H", "EnviarLoteEventos", 1.20, "", 0},
      {"2.00 takes 1.40", "Reinf_H", "EnviarLoteEventos", 2.00,
       std::string(kReinfH) + "/WsREINF/RecepcaoLoteReinf.svc", 1.4},
      {"9.99 takes the highest", "Reinf_H", "EnviarLoteEventos", 9.99,
       "https://pre-reinf.receita.economia.gov.br/recepcao/lotes", 2.12},
      {"reinf_P found as Reinf_P, trailing blank trimmed", "Reinf_P", "EnviarLoteEventos", 1.40,
       std::string(kReinfP) + "/WsREINF/RecepcaoLoteReinf.svc", 1.4},
      {"production 1.32 trimmed too", "REINF_P", "enviarloteeventos", 1.32,
       std::string(kReinfP) + "/WsREINF/RecepcaoLoteReinf.svc", 1.32},
      {"missing section: version unchanged", "Reinf_X", "EnviarLoteEventos", 1.40, "", 1.4},
      {"missing service", "Reinf_H", "Nada", 1.40, "", 0},
      {"absurd version", "Reinf_H", "EnviarLoteEventos", -5, "", 0},
      {"huge version", "Reinf_H", "EnviarLoteEventos", 1e300,
       "https://pre-reinf.receita.economia.gov.br/recepcao/lotes", 2.12},
  };
  test::TComponenteTeste c("/nao/existe");  // ResourceName "ReinfServicos"
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    double versao = k.versao;
    std::string url = "lixo";
    c.LerServicoChaveDeParams(k.sessao, k.servico, versao, url);
    EXPECT_EQ(url, k.url);
    EXPECT_DOUBLE_EQ(versao, k.versaoFinal);
  }
  EXPECT_TRUE(c.IniParamsCarregado());
  EXPECT_TRUE(c.IniParams().SectionExists("reinf_P"));
}

TEST(TabelaDeServicos, ESocialEmbutidaSemVersoes) {
  struct Case {
    std::string sessao, servico, url;
  };
  const std::string h = "https://webservices.producaorestrita.esocial.gov.br/servicos/empregador";
  const Case cases[] = {
      {"eSocial_H", "EnviarLoteEventos", h + "/enviarloteeventos/WsEnviarLoteEventos.svc"},
      {"eSocial_H", "DownloadEventos", h + "/dwlcirurgico/WsSolicitarDownloadEventos.svc"},
      {"eSocial_P", "EnviarLoteEventos",
       "https://webservices.envio.esocial.gov.br/servicos/empregador/enviarloteeventos/"
       "WsEnviarLoteEventos.svc"},
      {"eSocial_P", "ConsultarLoteEventos",
       "https://webservices.consulta.esocial.gov.br/servicos/empregador/consultarloteeventos/"
       "WsConsultarLoteEventos.svc"},
      {"eSocial_P", "ConsultarIdentificadoresEventos",
       "https://webservices.download.esocial.gov.br/servicos/empregador/dwlcirurgico/"
       "WsConsultarIdentificadoresEventos.svc"},
      {"eSocial_P", "DownloadEventos",
       "https://webservices.download.esocial.gov.br/servicos/empregador/dwlcirurgico/"
       "WsSolicitarDownloadEventos.svc"},
  };
  TDFeComponente c("/nao/existe");
  c.Configuracoes().WebServices().SetResourceName("eSocialServicos");
  for (const auto& k : cases) {
    SCOPED_TRACE(k.sessao + "/" + k.servico);
    double versao = 2.0401;
    std::string url;
    c.LerServicoChaveDeParams(k.sessao, k.servico, versao, url);
    EXPECT_EQ(url, k.url);
    EXPECT_DOUBLE_EQ(versao, 0);
  }
  // The text starts with its comment line and keeps CR LF ends.
  c.Configuracoes().WebServices().SetResourceName("eSocialServicos");
  EXPECT_TRUE(c.Configuracoes().WebServices().LerParamsRecurso().starts_with(
      ";;;;;;;;;;;;;; ENDERECOS DO eSocial ;;;;;;;;;;;;;;;;\r\n"));
  c.Configuracoes().WebServices().SetResourceName("Nenhum");
  EXPECT_THROW(c.Configuracoes().WebServices().LerParamsRecurso(), EDFeException);
}

TEST(TabelaDeServicos, FontesEPrecedencia) {
  test::TempDir dir("luvaro-servicos");
  // The external file beside the program replaces the embedded table entirely.
  test::WriteFile(dir / "ReinfServicos.ini",
                  "\xEF\xBB\xBF[Reinf_H]\r\nEnviarLoteEventos=https://local/envio\r\n");
  test::TComponenteTeste c(dir.path().string());
  double versao = 1.4;
  std::string url;
  c.LerServicoChaveDeParams("Reinf_H", "EnviarLoteEventos", versao, url);
  EXPECT_EQ(url, "https://local/envio");
  EXPECT_DOUBLE_EQ(versao, 0);
  versao = 1.4;
  c.LerServicoChaveDeParams("Reinf_P", "EnviarLoteEventos", versao, url);
  EXPECT_EQ(url, "");  // a section the file lacks is not found

  // Changing the file after the first lookup changes nothing, even on a forced reload.
  test::WriteFile(dir / "ReinfServicos.ini", "[Reinf_H]\r\nEnviarLoteEventos=https://outro\r\n");
  c.CarregarParamsIni(false);
  versao = 1.4;
  c.LerServicoChaveDeParams("Reinf_H", "EnviarLoteEventos", versao, url);
  EXPECT_EQ(url, "https://local/envio");

  // A UTF-16 file with its byte-order mark.
  test::TempDir dir16("luvaro-servicos16");
  std::string utf16 = "\xFF\xFE";
  for (char ch : std::string("[Reinf_H]\r\nEnviarLoteEventos=https://utf16\r\n")) {
    utf16 += ch;
    utf16 += '\0';
  }
  test::WriteFile(dir16 / "ReinfServicos.ini", utf16);
  test::TComponenteTeste c16(dir16.path().string());
  c16.LerServicoChaveDeParams("Reinf_H", "EnviarLoteEventos", versao, url);
  EXPECT_EQ(url, "https://utf16");

  // Params set by the caller win over both.
  test::TComponenteTeste p(dir.path().string());
  p.Configuracoes().WebServices().SetParams({"[Reinf_H]", "EnviarLoteEventos = https://params "});
  p.LerServicoChaveDeParams("Reinf_H", "EnviarLoteEventos", versao, url);
  EXPECT_EQ(url, "https://params");
}

// A table beside the program that is there but cannot be read fails naming it, rather than
// quietly sending to the built-in addresses it was put there to replace.
TEST(TabelaDeServicos, ArquivoQueNaoPodeSerLido) {
  const struct {
    const char* name;
    void (*make)(const std::filesystem::path&);
    const char* reason;
    bool skipWhenReadable;  // root reads a file whatever its permissions
  } cases[] = {
      {"a folder by the table's name",
       [](const std::filesystem::path& f) { std::filesystem::create_directories(f); },
       " (Is a directory)", false},
      {"a file without read permission",
       [](const std::filesystem::path& f) {
         test::WriteFile(f, "[Reinf_H]\r\nEnviarLoteEventos=https://local/envio\r\n");
         std::filesystem::permissions(f, std::filesystem::perms::none);
       },
       " (Permission denied)", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir("luvaro-servicos-ilegivel");
    const std::filesystem::path tabela = dir / "ReinfServicos.ini";
    c.make(tabela);
    if (c.skipWhenReadable && std::ifstream(tabela).is_open()) continue;
    test::TComponenteTeste componente(dir.path().string());
    double versao = 1.4;
    std::string url;
    EXPECT_EQ(test::FailureOf([&] {
                componente.LerServicoChaveDeParams("Reinf_H", "EnviarLoteEventos", versao, url);
              }),
              "Não foi possível ler o arquivo: " + tabela.string() + c.reason);
    EXPECT_EQ(url, "");
  }
}

TEST(TabelaDeServicos, BuscaGeralComRedirecionamento) {
  TDFeComponente c;
  c.Configuracoes().WebServices().SetResourceName("Tabela");
  c.Configuracoes().WebServices().SetParams({});
  IniFile ini(fixture("redirecionamento.ini"));
  std::vector<std::string> linhas;
  for (const auto& s : ini.Sections()) {
    linhas.push_back("[" + s + "]");
    for (const auto& [k, v] : ini.Entries(s)) linhas.push_back(k + "=" + v);
  }
  c.Configuracoes().WebServices().SetParams(linhas);

  double versao = 4.0;
  std::string url, servico, acao;
  c.LerServicoDeParams("NFe", "SP", TTipoAmbiente::taHomologacao, "Autorizacao", versao, url,
                       servico, acao);
  EXPECT_EQ(url, "https://svrs.exemplo/autorizacao4");
  EXPECT_EQ(servico, "http://ns.exemplo/autorizacao4");
  EXPECT_EQ(acao, "http://ns.exemplo/autorizacao4/Autorizar");
  EXPECT_DOUBLE_EQ(versao, 4.0);

  versao = 3.5;
  c.LerServicoDeParams("NFe", "SP", TTipoAmbiente::taHomologacao, "Autorizacao", versao, url,
                       servico, acao);
  EXPECT_EQ(url, "https://svrs.exemplo/autorizacao3");
  EXPECT_EQ(servico, "http://ns.exemplo/autorizacao3");
  EXPECT_EQ(acao, "");
  // The action lookup, last of the three, found no version and left none: the asked one stays.
  EXPECT_DOUBLE_EQ(versao, 3.5);

  EXPECT_EQ(c.LerURLDeParams("NFe", "SP", TTipoAmbiente::taHomologacao, "Consulta", 4.0),
            "https://svrs.exemplo/consulta");
  EXPECT_DOUBLE_EQ(c.LerVersaoDeParams("NFe", "SP", TTipoAmbiente::taHomologacao, "Consulta", 4.0),
                   4.0);  // no version found: the base stays
  EXPECT_EQ(c.LerURLDeParams("XX", "SP", TTipoAmbiente::taProducao, "Consulta", 0),
            "https://final.exemplo/consulta");

  struct Falha {
    const char* name;
    std::string modelo, uf, servico, mensagem;
  };
  const Falha falhas[] = {
      {"empty model", "", "SP", "Consulta", "ModeloDFe não pode ser vazio"},
      {"empty state", "NFe", "", "Consulta", "UF não pode ser vazia"},
      {"A to B to A", "Laco", "SP", "Consulta",
       "Redirecionamento circular detectado: Sessão \"Laco_SP_H\" no arquivo \"Tabela\""},
      {"missing section", "Nada", "SP", "Consulta",
       "Sessão \"Nada_SP_H\", não encontrada no arquivo \"Tabela\""},
      {"redirected to a missing section", "Perdido", "SP", "Consulta",
       "Sessão \"Inexistente\", não encontrada no arquivo \"Tabela\""},
      {"no URL and no Usar", "Seco", "SP", "Consulta",
       "URL para o serviço \"Consulta\" não encontrada na sessão \"Seco_SP_H\" no arquivo "
       "\"Tabela\""},
  };
  for (const auto& f : falhas) {
    SCOPED_TRACE(f.name);
    double v = 1;
    try {
      c.LerServicoDeParams(f.modelo, f.uf, TTipoAmbiente::taHomologacao, f.servico, v, url);
      ADD_FAILURE() << "no exception";
    } catch (const EDFeException& e) {
      EXPECT_EQ(e.what(), f.mensagem);
    }
  }
}

TEST(TabelaDeServicos, VersaoDoSchemaNaBuscaGeral) {
  test::TempDir dir("luvaro-servicos-schema");
  std::filesystem::create_directories(dir / "Schemas");
  test::WriteFile(dir / "Schemas" / "Consulta_v2.00.xsd", "");
  test::TComponenteTeste c(dir.path().string());
  c.FSchemaDoServico = true;
  c.Configuracoes().WebServices().SetParams({"[M_SP_H]", "Consulta=https://c"});
  EXPECT_DOUBLE_EQ(c.LerVersaoDeParams("M", "SP", TTipoAmbiente::taHomologacao, "Consulta", 3.0),
                   2.0);
  // A schema folder without any .xsd file fails the lookup with the schema message.
  std::filesystem::remove(dir / "Schemas" / "Consulta_v2.00.xsd");
  test::TComponenteTeste vazio(dir.path().string());
  vazio.FSchemaDoServico = true;
  vazio.Configuracoes().WebServices().SetParams({"[M_SP_H]", "Consulta=https://c"});
  EXPECT_THROW(vazio.LerVersaoDeParams("M", "SP", TTipoAmbiente::taHomologacao, "Consulta", 3.0),
               EDFeException);
}

}  // namespace
}  // namespace luvaro
