#include "dfe/config/dfe_componente.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "componente_teste.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "tests/support/temp_dir.h"

namespace luvaro {
namespace {

namespace fs = std::filesystem;
constexpr const char* kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

TEST(TDFeComponente, CriacaoEspelhaAConfiguracaoNoSSL) {
  test::TComponenteTeste c("/app");
  EXPECT_EQ(c.SSL().NameSpaceURI(), " http://exemplo/ns");
  EXPECT_EQ(c.Configuracoes().SessaoIni(), "Teste");
  EXPECT_EQ(c.Configuracoes().WebServices().ResourceName(), "ReinfServicos");
  EXPECT_EQ(c.Configuracoes().Arquivos().IniServicos(), "/app/ReinfServicos.ini");
  EXPECT_EQ(c.PathAplicacao(), "/app/");
  EXPECT_FALSE(c.IniParamsCarregado());
}

TEST(TDFeComponente, GravarRegrasDeCodificacao) {
  struct Case {
    const char* name;
    std::string conteudo;
    bool ehUTF8;
    std::string esperado;
  };
  const Case cases[] = {
      {"no declaration, not UTF-8", "<a>Ação</a>", false, std::string(kDecl) + "<a>Ação</a>"},
      {"no declaration, UTF-8", "<a>x</a>", true, std::string(kDecl) + "<a>x</a>"},
      {"declares UTF-8: unchanged", "<?xml version='1.0' ENCODING='utf-8'?><a/>", false,
       "<?xml version='1.0' ENCODING='utf-8'?><a/>"},
      {"declaration past 50 characters does not count",
       "<?xml version=\"1.0\"                          encoding=\"UTF-8\"?><a/>", true,
       std::string(kDecl) +
           "<?xml version=\"1.0\"                          encoding=\"UTF-8\"?><a/>"},
      {"utf-8 before encoding does not count", "<!-- utf-8 --><?xml encoding?><a/>", true,
       std::string(kDecl) + "<!-- utf-8 --><?xml encoding?><a/>"},
      {"markers removed", "<a><-><->x<-><-></a>", true, std::string(kDecl) + "<a>x</a>"},
      {"empty content", "", true, kDecl},
  };
  test::TempDir dir("luvaro-gravar");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDFeComponente comp;
    EXPECT_TRUE(comp.Gravar("x.xml", c.conteudo, dir.path().string(), c.ehUTF8));
    EXPECT_EQ(test::ReadFile(dir / "x.xml"), c.esperado);
  }
}

TEST(TDFeComponente, GravarEscolheAPasta) {
  test::TempDir dir("luvaro-gravar-pasta");
  const std::string app = (dir / "app").string();
  TDFeComponente c(app);
  // Name without folder and empty aPath: PathSalvar, created.
  EXPECT_TRUE(c.Gravar("a.xml", "<a/>"));
  EXPECT_TRUE(fs::exists(dir / "app" / "Docs" / "a.xml"));
  // aPath when the name has no folder; the name's own folder wins over aPath.
  EXPECT_TRUE(c.Gravar("b.xml", "<b/>", (dir / "p1" / "p2").string()));
  EXPECT_TRUE(fs::exists(dir / "p1" / "p2" / "b.xml"));
  EXPECT_TRUE(c.Gravar((dir / "n" / "c.xml").string(), "<c/>", (dir / "ignored").string()));
  EXPECT_TRUE(fs::exists(dir / "n" / "c.xml"));
  EXPECT_FALSE(fs::exists(dir / "ignored"));
  // An existing file is replaced.
  EXPECT_TRUE(c.Gravar("a.xml", "<z/>"));
  EXPECT_EQ(test::ReadFile(dir / "app" / "Docs" / "a.xml"), std::string(kDecl) + "<z/>");
}

TEST(TDFeComponente, GravarFalhasPassamPeloLog) {
  test::TempDir dir("luvaro-gravar-falha");
  test::WriteFile(dir / "arquivo", "x");  // a file where a folder is wanted
  std::filesystem::create_symlink("/dev/full", dir / "cheio.xml");
  struct Case {
    const char* name;
    std::string nome;
    std::string mensagem;
  };
  const Case cases[] = {
      {"no file name", (dir / "sub" / "").string(),
       "Erro ao salvar.\r\nNome de arquivo não informado"},
      {"folder cannot be made", (dir / "arquivo" / "x" / "a.xml").string(),
       "Erro ao salvar.\r\nNão foi possível criar a pasta: " + (dir / "arquivo" / "x").string() +
           "/"},
      // The content does not fit: only closing the file tells it.
      {"content not written whole", (dir / "cheio.xml").string(),
       "Erro ao salvar.\r\nNão foi possível gravar o arquivo: " + (dir / "cheio.xml").string() +
           " (No space left on device)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDFeComponente comp;
    try {
      comp.Gravar(c.nome, "<a/>");
      ADD_FAILURE() << "no exception";
    } catch (const EDFeException& e) {
      EXPECT_EQ(e.what(), c.mensagem);
    }
    std::vector<std::string> linhas;
    comp.SetOnGerarLog([&](const std::string& linha, bool& tratado) {
      linhas.push_back(linha);
      tratado = true;
    });
    EXPECT_FALSE(comp.Gravar(c.nome, "<a/>"));
    EXPECT_EQ(linhas, std::vector<std::string>{"ERRO: " + c.mensagem});
  }
}

TEST(TDFeComponente, FazerLogEGerarException) {
  TDFeComponente c;
  bool tratado = true;
  c.FazerLog("x", tratado);  // no hook: not handled
  EXPECT_FALSE(tratado);
  std::vector<std::string> linhas;
  c.SetOnGerarLog([&](const std::string& linha, bool&) { linhas.push_back(linha); });
  c.FazerLog("", tratado);  // empty texts are not offered
  EXPECT_TRUE(linhas.empty());
  const std::runtime_error causa("causa");
  try {
    c.GerarException("Falhou", &causa);
    ADD_FAILURE() << "no exception";
  } catch (const EDFeException& e) {
    EXPECT_STREQ(e.what(), "Falhou\r\ncausa");
  }
  EXPECT_EQ(linhas, std::vector<std::string>{"ERRO: Falhou\r\ncausa"});
}

TEST(TDFeComponente, LocalizarArqSchema) {
  test::TempDir dir("luvaro-schemas");
  const fs::path schemas = dir / "app" / "Schemas";
  fs::create_directories(schemas);
  for (const char* nome : {"Envio_v1.30.xsd", "Envio_v1.50.xsd", "envio_v1.35.xsd",
                           "Outro_V1.40.XSD", "Base.xsd", "Base_v.xsd", "nota.txt"}) {
    test::WriteFile(schemas / nome, "");
  }
  TDFeComponente c((dir / "app").string());
  const std::string pasta = schemas.string() + "/";
  struct Case {
    const char* name;
    std::string base;
    double versao;
    std::string arquivo;
    double versaoFinal;
  };
  const Case cases[] = {
      {"nearest lower version", "Envio", 1.40, pasta + "Envio_v1.30.xsd", 1.3},
      {"exact version", "Envio", 1.50, pasta + "Envio_v1.50.xsd", 1.5},
      {"exact name in other letter case", "outro", 1.40, pasta + "Outro_V1.40.XSD", 1.4},
      {"prefix compared with its letter case", "envio", 1.40, pasta + "envio_v1.35.xsd", 1.35},
      {"only the file without version", "Base", 1.40, "", 0},
      {"no version asked: the plain file", "Base", 0, pasta + "Base.xsd", 0},
      {"below every version", "Envio", 1.0, "", 0},
      {"absent base", "Nada", 2.0, "", 0},
      {"negative version", "Envio", -1, "", 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    double versao = k.versao;
    EXPECT_EQ(c.LocalizarArqSchema(k.base, versao), k.arquivo);
    EXPECT_DOUBLE_EQ(versao, k.versaoFinal);
  }
  double versao = 1.4;
  EXPECT_EQ(c.LocalizarArqSchema("", versao), "");
  EXPECT_DOUBLE_EQ(versao, 1.4);

  // A folder without any .xsd file.
  c.Configuracoes().Arquivos().SetPathSchemas((dir / "vazia").string());
  fs::create_directories(dir / "vazia");
  test::WriteFile(dir / "vazia" / "a.txt", "");
  try {
    c.LocalizarArqSchema("Envio", versao);
    ADD_FAILURE() << "no exception";
  } catch (const EDFeException& e) {
    EXPECT_EQ(e.what(), "Nenhum arquivo de Schema encontrado na pasta: \r\n" +
                            (dir / "vazia").string() + "/");
  }
  c.Configuracoes().Arquivos().SetPathSchemas((dir / "inexistente").string());
  EXPECT_THROW(c.LocalizarArqSchema("Envio", versao), EDFeException);

  EXPECT_EQ(c.ExtrairVersaoDoSchema("A_v1.40.xsd"), "1.40");
  EXPECT_EQ(c.ExtrairVersaoDoSchema("A.xsd"), "");
  EXPECT_EQ(c.VersaoParaTexto(1.4), "1.40");
  EXPECT_EQ(c.VersaoParaTexto(0), "");
  EXPECT_DOUBLE_EQ(c.TextoParaVersao(" 1,32 "), 1.32);
  EXPECT_DOUBLE_EQ(c.TextoParaVersao("x"), 0);
}

TEST(TDFeComponente, GetPath) {
  test::TempDir dir("luvaro-getpath");
  const DateTime data = 43602;  // 17 May 2019
  struct Case {
    const char* name;
    bool cnpj, modelo, ano, mes, dia, literal;
    std::string esperado;  // relative to PathSalvar
  };
  const Case cases[] = {
      {"month only", false, false, false, true, false, false, "201905"},
      {"year and month", false, false, true, true, false, false, "2019/05"},
      {"year only", false, false, true, false, false, false, "2019"},
      {"day implies month", false, false, false, false, true, false, "201905/17"},
      {"everything", true, true, true, true, true, true, "11222333000181/Teste/2019/05/17/lit"},
      {"nothing", false, false, false, false, false, false, ""},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    test::TComponenteTeste c((dir / "app").string());
    TArquivosConf& a = c.Configuracoes().Arquivos();
    a.SetSepararPorCNPJ(k.cnpj);
    a.SetSepararPorModelo(k.modelo);
    a.SetSepararPorAno(k.ano);
    a.SetSepararPorMes(k.mes);
    if (k.dia) a.SetSepararPorDia(true);
    a.SetAdicionarLiteral(k.literal);
    const std::string path = a.GetPath("", "lit", "11.222.333/0001-81", data);
    EXPECT_EQ(path, a.PathSalvar() + k.esperado);
    EXPECT_TRUE(fs::is_directory(path));
  }

  test::TComponenteTeste c((dir / "app").string());
  TArquivosConf& a = c.Configuracoes().Arquivos();
  a.SetAdicionarLiteral(true);
  // APath replaces PathSalvar; a literal the path already ends with is not repeated.
  EXPECT_EQ(a.GetPath((dir / "x" / "lit").string(), "lit"), (dir / "x" / "lit").string());
  // The order is fixed once: later flag changes do not alter it.
  a.SetSepararPorModelo(true);
  EXPECT_EQ(a.GetPath((dir / "y").string(), "lit", "", data, "M"), (dir / "y" / "lit").string());
  a.OrdenacaoPath().clear();
  EXPECT_EQ(a.GetPath((dir / "y").string(), "lit", "", data, "M"),
            (dir / "y" / "M" / "lit").string());
}

}  // namespace
}  // namespace luvaro
