// luvaro-eventos as a user runs it: INI files in, signed and validated documents out, alerts
// and failures on standard error, the exit code telling which.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "dfe/config/ini.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"
#include "tests/unit/esocial/esocial_teste.h"

namespace luvaro {
namespace {

namespace fs = std::filesystem;
using test::TestToken;

const fs::path kEventos = LUVARO_EVENTOS_EXE;
const fs::path kModelos = fs::path(LUVARO_SOURCE_DIR) / "esocial" / "modelos" / "ini";
const fs::path kModelosReinf = fs::path(LUVARO_SOURCE_DIR) / "reinf" / "modelos" / "ini";

// The first submatch of `padrao` in `texto` (empty when it does not occur).
std::string Procurar(const std::string& texto, const std::string& padrao) {
  std::smatch m;
  return std::regex_search(texto, m, std::regex(padrao)) ? m[1].str() : std::string();
}

// The lines of a text, without the empty last one.
std::vector<std::string> Linhas(const std::string& texto) {
  std::vector<std::string> linhas;
  std::size_t inicio = 0;
  while (inicio < texto.size()) {
    const std::size_t fim = texto.find('\n', inicio);
    linhas.push_back(texto.substr(inicio, fim - inicio));
    if (fim == std::string::npos) break;
    inicio = fim + 1;
  }
  return linhas;
}

class EventosE2eTest : public testing::Test {
 protected:
  EventosE2eTest() { TestToken::Shared(); }

  // The tool with the token certificate of the company, its PIN and the test schemas.
  test::ProcessResult Executar(std::vector<std::string> args,
                               std::map<std::string, std::string> env = {}) {
    test::ProcessOptions options;
    options.args = std::move(args);
    options.env = {{"LUVARO_PKCS11_MODULE", TestToken::SoftHsmModule().string()},
                   {"LUVARO_CERTIFICADO", TestToken::Shared().Certificate("empresa").serial},
                   {"LUVARO_PIN", std::string(TestToken::kPin)},
                   {"LUVARO_HOME", m_dir.path().string()}};
    for (auto& [nome, valor] : env) options.env[nome] = valor;
    options.unsetEnv = {"LUVARO_PFX", "LUVARO_PFX_SENHA"};
    options.workDir = m_dir.path();
    return test::RunProcess(kEventos, options);
  }

  std::vector<std::string> Gerar(const std::string& leiaute, std::vector<std::string> arquivos,
                                 const std::string& sistema = "esocial") {
    std::vector<std::string> args{
        sistema, "--saida", Saida().string(), "--schemas", test::PastaSchemas().string(), leiaute};
    args.insert(args.end(), arquivos.begin(), arquivos.end());
    return args;
  }

  fs::path Saida() const { return m_dir / "saida"; }
  fs::path Escrever(const std::string& nome, const std::string& texto) {
    test::WriteFile(m_dir / nome, texto);
    return m_dir / nome;
  }

  // Every document the run names is there, carries a signature xmlsec1 accepts with the
  // certificate `cert` and is valid against its schema in xmllint's judgement.
  void ConferirDocumentos(const test::ProcessResult& r, const std::string& leiaute,
                          const std::vector<std::string>& codigos,
                          const std::string& cert = "empresa") {
    const std::vector<std::string> caminhos = Linhas(r.out);
    ASSERT_EQ(caminhos.size(), codigos.size()) << r.out;
    for (std::size_t i = 0; i < caminhos.size(); ++i) {
      const fs::path arquivo = caminhos[i];
      SCOPED_TRACE(arquivo.string());
      EXPECT_EQ(arquivo.parent_path(), Saida());
      // The name SaveToFiles gives: the digits of the Id, the code and the index.
      EXPECT_TRUE(std::regex_match(arquivo.filename().string(),
                                   std::regex("\\d{34}-" + codigos[i] + "-0\\.xml")));
      ASSERT_TRUE(fs::exists(arquivo));
      const test::ProcessResult xmlsec =
          test::VerificarXmlsec(arquivo, TestToken::Shared().Certificate(cert).pem);
      EXPECT_EQ(xmlsec.exitCode, 0) << xmlsec.err;
      const std::string documento = test::ReadFile(arquivo);
      const std::smatch elemento = [&] {
        std::smatch m;
        std::regex_search(documento, m, std::regex("schema/evt/(\\w+)/v"));
        return m;
      }();
      ASSERT_FALSE(elemento.empty());
      std::string schema = elemento[1].str();
      if (schema == "evtReabreEvPer") schema = "evtReabreEvper";
      const test::ProcessResult xmllint =
          test::ValidarXmllint(arquivo, schema + "-v" + leiaute + ".xsd");
      EXPECT_EQ(xmllint.exitCode, 0) << xmllint.err;
    }
  }

  test::TempDir m_dir{"luvaro-eventos-e2e"};
};

// The EFD-Reinf form: the templates of reinf/modelos/ini in, the documents checked against the
// published layouts in ../shared/schemas/reinf.
class EventosReinfE2eTest : public EventosE2eTest {
 protected:
  static fs::path Modelo(const std::string& codigo, const std::string& leiaute) {
    return kModelosReinf / (codigo + "-" + leiaute + ".ini");
  }
  std::vector<std::string> GerarReinf(const std::string& leiaute,
                                      std::vector<std::string> arquivos) {
    return Gerar(leiaute, std::move(arquivos), "reinf");
  }

  // Every document the run names is there under the name SaveToFiles gives it, carries a
  // signature xmlsec1 accepts with the company's certificate through the event element's id
  // reference, and (but for R-2070, which no layout publishes) is valid against the layout's
  // schema in xmllint's judgement. Returns the documents.
  std::vector<std::string> ConferirReinf(const test::ProcessResult& r, const std::string& leiaute,
                                         const std::vector<std::string>& codigos) {
    std::vector<std::string> documentos;
    const std::vector<std::string> caminhos = Linhas(r.out);
    EXPECT_EQ(caminhos.size(), codigos.size()) << r.out;
    for (std::size_t i = 0; i < std::min(caminhos.size(), codigos.size()); ++i) {
      const fs::path arquivo = caminhos[i];
      SCOPED_TRACE(arquivo.string());
      EXPECT_EQ(arquivo.parent_path(), Saida());
      EXPECT_TRUE(std::regex_match(arquivo.filename().string(),
                                   std::regex("\\d{34}-" + codigos[i] + "-0\\.xml")));
      if (!fs::exists(arquivo)) {
        ADD_FAILURE() << "missing";
        continue;
      }
      const std::string documento = test::ReadFile(arquivo);
      documentos.push_back(documento);
      const std::string espaco = Procurar(documento, "<Reinf xmlns=\"([^\"]+)\"");
      const std::string elemento = Procurar(documento, "<Reinf[^>]*><(\\w+) id=\"");
      EXPECT_TRUE(espaco.ends_with("/v" + leiaute)) << espaco;
      if (elemento.empty()) {
        ADD_FAILURE() << "no event element";
        continue;
      }
      test::ProcessOptions xmlsec;
      xmlsec.args = {"--verify",
                     "--pubkey-cert-pem",
                     TestToken::Shared().Certificate("empresa").pem.string(),
                     "--id-attr:id",
                     espaco + ":" + elemento,
                     arquivo.string()};
      const test::ProcessResult verificado = test::RunProcess("/usr/bin/xmlsec1", xmlsec);
      EXPECT_EQ(verificado.exitCode, 0) << verificado.out << verificado.err;
      if (codigos[i] == "R-2070") continue;
      const std::string schema = Procurar(espaco, "/schemas/(\\w+)/v");
      test::ProcessOptions xmllint;
      xmllint.args = {
          "--noout", "--nonet", "--schema",
          (test::SharedSchemasDir() / "reinf" / (schema + "-v" + leiaute + ".xsd")).string(),
          arquivo.string()};
      const test::ProcessResult valido = test::RunProcess("/usr/bin/xmllint", xmllint);
      EXPECT_EQ(valido.exitCode, 0) << valido.err;
    }
    return documentos;
  }
};

TEST_F(EventosE2eTest, DoisArquivosDoisDocumentosAssinadosNoToken) {
  const test::ProcessResult r =
      Executar(Gerar("02_05_00", {(kModelos / "S-1200-02_05_00.ini").string(),
                                  (kModelos / "S-1000-02_05_00.ini").string()}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // Listed in the container's order: the employer's initial event before the payroll.
  ConferirDocumentos(r, "02_05_00", {"S-1000", "S-1200"});
}

TEST_F(EventosE2eTest, ArquivoA1EmLugarDoToken) {
  const test::ProcessResult r =
      Executar(Gerar("02_04_02", {(kModelos / "S-2190-02_04_02.ini").string()}),
               {{"LUVARO_PFX", TestToken::Shared().PfxFile().string()},
                {"LUVARO_PFX_SENHA", std::string(TestToken::kPfxPassword)},
                {"LUVARO_CERTIFICADO", "nenhum"}});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  ConferirDocumentos(r, "02_04_02", {"S-2190"}, "a1");
}

TEST_F(EventosE2eTest, EventoComFalhaVaiParaAErrosEOsOutrosSaoGravados) {
  // The employer event without its mandatory name: the writer's alert and the schema's
  // verdict, each line prefixed with the event's identifier; the other event is written.
  std::string texto = test::ReadFile(kModelos / "S-1000-02_05_00.ini");
  const std::size_t nome = texto.find("nmRazao=Teste");
  ASSERT_NE(nome, std::string::npos);
  texto.erase(nome, std::string("nmRazao=Teste").size());
  const fs::path quebrado = Escrever("sem-nome.ini", texto);

  const test::ProcessResult r =
      Executar(Gerar("02_05_00", {quebrado.string(), (kModelos / "S-1005-02_05_00.ini").string()}));
  EXPECT_EQ(r.exitCode, 1) << r.err;
  ConferirDocumentos(r, "02_05_00", {"S-1005"});

  const std::vector<std::string> erros = Linhas(r.err);
  ASSERT_FALSE(erros.empty());
  for (const std::string& linha : erros) {
    EXPECT_TRUE(std::regex_search(linha, std::regex("^ID\\d{34}: "))) << linha;
  }
  EXPECT_NE(r.err.find("nmRazao"), std::string::npos) << r.err;
  // The writer's alert, the open groups given as a path.
  EXPECT_NE(r.err.find(": eSocial/evtInfoEmpregador/infoEmpregador/alteracao/infoCadastro/"
                       "nmRazao() - Nenhum valor informado."),
            std::string::npos)
      << r.err;
}

TEST_F(EventosE2eTest, IdentificadorRepetidoNaMesmaExecucao) {
  // Two events under one identifier: the second is refused and not written.
  const std::string texto = test::ReadFile(kModelos / "S-1000-02_04_02.ini");
  const std::string id = "ID1123456780000002024010112000000001";
  const std::string comId =
      "[evtInfoEmpregador]\nId=" + id + "\n" + texto.substr(texto.find("[evtInfoEmpregador]") + 20);
  const fs::path primeiro = Escrever("primeiro.ini", comId);
  const fs::path segundo = Escrever("segundo.ini", comId);
  const test::ProcessResult r = Executar(Gerar("02_04_02", {primeiro.string(), segundo.string()}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, id + ": identificador repetido: é o mesmo do evento de primeiro.ini; informe "
                        "outro Sequencial na seção evtInfoEmpregador.\n");
  ConferirDocumentos(r, "02_04_02", {"S-1000"});
}

TEST_F(EventosE2eTest, ArquivosSemEventoOuAusentesFalham) {
  const fs::path semEvento = Escrever("vazio.ini", "[qualquer]\nchave=1\n");
  const test::ProcessResult r =
      Executar(Gerar("02_05_00", {semEvento.string(), (m_dir / "nao-existe.ini").string(),
                                  (kModelos / "S-1298-02_05_00.ini").string()}));
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("vazio.ini: nenhum evento eSocial no arquivo"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("nao-existe.ini: Arquivo não encontrado"), std::string::npos) << r.err;
  ConferirDocumentos(r, "02_05_00", {"S-1298"});
}

TEST_F(EventosE2eTest, SemCertificadoNadaEGerado) {
  const test::ProcessResult r =
      Executar(Gerar("02_05_00", {(kModelos / "S-1000-02_05_00.ini").string()}),
               {{"LUVARO_CERTIFICADO", "0000"}});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("luvaro-eventos: Nenhum certificado escolhido."), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(EventosE2eTest, TipoDeEmpregadorDecideALarguraDaInscricao) {
  // A company (0) writes the root of its CNPJ, a person (2) the whole registration.
  const struct {
    const char* tipo;
    const char* inscricao;
  } casos[] = {{"0", "<nrInsc>12345678</nrInsc>"}, {"2", "<nrInsc>12345678000195</nrInsc>"}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.tipo);
    fs::remove_all(Saida());
    const test::ProcessResult r =
        Executar({"esocial", std::string("--tipo-empregador=") + caso.tipo, "--saida",
                  Saida().string(), "--schemas", test::PastaSchemas().string(), "02_05_00",
                  (kModelos / "S-1000-02_05_00.ini").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> caminhos = Linhas(r.out);
    ASSERT_EQ(caminhos.size(), 1u);
    EXPECT_NE(test::ReadFile(caminhos[0]).find(caso.inscricao), std::string::npos);
  }
}

TEST_F(EventosE2eTest, ModeloComentadoVoltaPeloLeitorEGeraDocumentoValido) {
  for (const std::string codigo : {"S-1000", "s1200", "S-2299"}) {
    SCOPED_TRACE(codigo);
    const test::ProcessResult r = Executar({"esocial", "--modelo", codigo, "02_04_01"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const IniFile ini(r.out);
    EXPECT_TRUE(ini.SectionExists("ideEvento"));
    EXPECT_TRUE(ini.SectionExists("ideEmpregador"));
    EXPECT_NE(r.out.find("; "), std::string::npos) << "commented";

    fs::remove_all(Saida());
    const fs::path arquivo = Escrever("modelo.ini", r.out);
    const test::ProcessResult gerado = Executar(Gerar("02_04_01", {arquivo.string()}));
    EXPECT_EQ(gerado.exitCode, 0) << gerado.err;
    EXPECT_EQ(Linhas(gerado.out).size(), 1u);
  }
  const IniFile s1000(Executar({"esocial", "--modelo", "S-1000", "02_05_00"}).out);
  for (const char* secao :
       {"evtInfoEmpregador", "idePeriodo", "infoCadastro", "dadosIsencao", "contato", "infoOP",
        "infoEFR", "infoEnte", "infoOrgInternacional", "softwareHouse01", "softwareHouse02",
        "infoComplementares", "novaValidade"}) {
    EXPECT_TRUE(s1000.SectionExists(secao)) << secao;
  }
  EXPECT_TRUE(s1000.ValueExists("infoComplementares", "indSitPJ"));
}

TEST_F(EventosE2eTest, LinhaDeComandoErrada) {
  const std::string ini = (kModelos / "S-1000-02_05_00.ini").string();
  const std::string iniReinf = (kModelosReinf / "R-1000-1_04_00.ini").string();
  const struct {
    const char* nome;
    std::vector<std::string> args;
    const char* mensagem;
  } casos[] = {
      {"nothing", {}, "Informe o sistema e o leiaute."},
      {"unknown system", {"efd", "02_05_00", ini}, "Sistema desconhecido: \"efd\"."},
      {"unknown layout",
       {"esocial", "02_06_00", ini},
       "Leiaute desconhecido para esocial: \"02_06_00\" (leiautes: 02_04_01, 02_04_02, "
       "02_05_00)."},
      {"no file", {"esocial", "02_05_00"}, "Informe ao menos um arquivo INI."},
      {"employer kind out of range",
       {"esocial", "--tipo-empregador", "7", "02_05_00", ini},
       "--tipo-empregador deve ser um número de 0 a 6: \"7\"."},
      {"unknown option",
       {"esocial", "--pasta", "x", "02_05_00", ini},
       "Opção desconhecida: --pasta."},
      {"option without value",
       {"esocial", "02_05_00", ini, "--saida"},
       "Falta o valor de --saida."},
      {"template with files",
       {"esocial", "--modelo", "S-1000", "02_05_00", ini},
       "--modelo não recebe arquivos"},
      {"template of no event",
       {"esocial", "--modelo", "S-9999", "02_05_00"},
       "o evento \"S-9999\" não existe no leiaute 02_05_00 de esocial."},
      {"template of an event the layout lacks",
       {"esocial", "--modelo", "S-2221", "02_04_01"},
       "o evento \"S-2221\" não existe no leiaute 02_04_01 de esocial."},
      {"unknown layout of reinf",
       {"reinf", "02_05_00", iniReinf},
       "Leiaute desconhecido para reinf: \"02_05_00\" (leiautes: 1_03_00, 1_03_02, 1_04_00)."},
      {"no file for reinf", {"reinf", "1_04_00"}, "Informe ao menos um arquivo INI."},
      {"contributor kind out of range",
       {"reinf", "--tipo-contribuinte", "3", "1_04_00", iniReinf},
       "--tipo-contribuinte deve ser um número de 0 a 2: \"3\"."},
      {"contributor kind not a number",
       {"reinf", "--tipo-contribuinte=pj", "1_04_00", iniReinf},
       "--tipo-contribuinte deve ser um número de 0 a 2: \"pj\"."},
      {"the employer kind of eSocial",
       {"reinf", "--tipo-empregador", "1", "1_04_00", iniReinf},
       "--tipo-empregador não vale para reinf."},
      {"the contributor kind for eSocial",
       {"esocial", "--tipo-contribuinte", "1", "02_05_00", ini},
       "--tipo-contribuinte não vale para esocial."},
      {"template of no member",
       {"reinf", "--modelo", "R-5001", "1_04_00"},
       "o evento \"R-5001\" não existe no leiaute 1_04_00 de reinf."},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    const test::ProcessResult r = Executar(caso.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(std::string("luvaro-eventos: ") + caso.mensagem), std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(Saida()));
  }
  const test::ProcessResult uso = Executar({"esocial", "02_06_00", ini});
  EXPECT_NE(uso.err.find("Uso: luvaro-eventos <sistema>"), std::string::npos);
  const test::ProcessResult ajuda = Executar({"--ajuda"});
  EXPECT_EQ(ajuda.exitCode, 0);
  EXPECT_NE(ajuda.out.find("esocial  02_04_01, 02_04_02, 02_05_00"), std::string::npos);
  EXPECT_NE(ajuda.out.find("reinf  1_03_00, 1_03_02, 1_04_00"), std::string::npos);
  EXPECT_NE(ajuda.out.find("--tipo-contribuinte N"), std::string::npos);
}

TEST_F(EventosReinfE2eTest, DoisArquivosDoisDocumentosAssinadosEmCadaLeiaute) {
  // Listed in the container's order: the contributor's event before the services taken.
  for (const std::string leiaute : {"1_03_00", "1_03_02", "1_04_00"}) {
    SCOPED_TRACE(leiaute);
    fs::remove_all(Saida());
    const test::ProcessResult r = Executar(GerarReinf(
        leiaute, {Modelo("R-2010", leiaute).string(), Modelo("R-1000", leiaute).string()}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ConferirReinf(r, leiaute, {"R-1000", "R-2010"});
  }
}

TEST_F(EventosReinfE2eTest, CampoObrigatorioAusenteVaiParaAErrosEOOutroEGravado) {
  // The contact's name removed: the writer's alert and the schema's verdict, each line after
  // the event's identifier; the closing event of the other file is written.
  std::string texto = test::ReadFile(Modelo("R-1000", "1_04_00"));
  const std::size_t nome = texto.find("nmCtt=Teste");
  ASSERT_NE(nome, std::string::npos);
  texto.erase(nome, std::string("nmCtt=Teste").size());
  const fs::path quebrado = Escrever("sem-contato.ini", texto);

  const test::ProcessResult r =
      Executar(GerarReinf("1_04_00", {quebrado.string(), Modelo("R-2099", "1_04_00").string()}));
  EXPECT_EQ(r.exitCode, 1) << r.err;
  ConferirReinf(r, "1_04_00", {"R-2099"});
  const std::vector<std::string> erros = Linhas(r.err);
  ASSERT_GE(erros.size(), 2u) << r.err;
  for (const std::string& linha : erros)
    EXPECT_TRUE(std::regex_search(linha, std::regex("^ID\\d{34}: "))) << linha;
  EXPECT_NE(r.err.find(": Reinf/evtInfoContri/infoContri/alteracao/infoCadastro/contato/nmCtt"),
            std::string::npos)
      << r.err;
  // The schema's failure names the field it missed.
  bool esquema = false;
  for (const std::string& linha : erros)
    esquema = esquema || (linha.find("nmCtt") != std::string::npos &&
                          linha.find("Reinf/evtInfoContri") == std::string::npos);
  EXPECT_TRUE(esquema) << r.err;
}

TEST_F(EventosReinfE2eTest, TipoDeContribuinteDecideInscricaoEEntidadeFederativa) {
  // A company (0) writes the root of its CNPJ and no infoEFR; a public body (1) the whole
  // number and infoEFR; both valid.
  const struct {
    const char* tipo;
    const char* inscricao;
    bool efr;
  } casos[] = {{"0", "<nrInsc>12345678</nrInsc>", false},
               {"1", "<nrInsc>12345678000195</nrInsc>", true}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.tipo);
    fs::remove_all(Saida());
    std::vector<std::string> args = GerarReinf("1_03_02", {Modelo("R-1000", "1_03_02").string()});
    args.insert(args.begin() + 1, std::string("--tipo-contribuinte=") + caso.tipo);
    const test::ProcessResult r = Executar(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> documentos = ConferirReinf(r, "1_03_02", {"R-1000"});
    ASSERT_EQ(documentos.size(), 1u);
    EXPECT_NE(documentos[0].find(caso.inscricao), std::string::npos);
    EXPECT_EQ(documentos[0].find("<infoEFR>") != std::string::npos, caso.efr);
  }
}

TEST_F(EventosReinfE2eTest, ModeloDeCadaMembroVoltaPeloLeitorEGeraDocumentoValido) {
  // Every member of the layout: the template printed, written as a file and built; all in
  // one run, each document signed and (but R-2070) valid.
  const std::vector<std::string> codigos = {"R-1000", "R-1070", "R-2010", "R-2020", "R-2030",
                                            "R-2040", "R-2050", "R-2060", "R-2070", "R-2098",
                                            "R-2099", "R-3010", "R-9000"};
  std::vector<std::string> arquivos;
  for (const std::string& codigo : codigos) {
    SCOPED_TRACE(codigo);
    std::string pedido = codigo;
    if (codigo == "R-2010") pedido = "r2010";  // the code without regard to case and hyphen
    const test::ProcessResult r = Executar({"reinf", "--modelo", pedido, "1_04_00"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const IniFile ini(r.out);
    EXPECT_TRUE(ini.SectionExists("ideEvento"));
    EXPECT_TRUE(ini.SectionExists("ideContri"));
    EXPECT_TRUE(r.out.starts_with("; Evento " + codigo + " ")) << r.out.substr(0, 80);
    // Each its own Sequencial, so that events built in the same second differ.
    std::string texto = r.out;
    const std::size_t sequencial = texto.find("\nSequencial=0");
    ASSERT_NE(sequencial, std::string::npos);
    texto.replace(sequencial, 13, "\nSequencial=" + std::to_string(arquivos.size() + 1));
    arquivos.push_back(Escrever(codigo + ".ini", texto).string());
  }
  const test::ProcessResult r = Executar(GerarReinf("1_04_00", arquivos));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  ConferirReinf(r, "1_04_00", codigos);
}

TEST_F(EventosReinfE2eTest, ArquivoDeRetornoOuSemEventoFalha) {
  // A government return (R-5001) is no model; a text with no event section names none.
  const fs::path retorno = Escrever("retorno.ini", "[evtTotal]\nSequencial=1\n");
  const fs::path semEvento = Escrever("vazio.ini", "[ideContri]\nnrInsc=12345678000195\n");
  const test::ProcessResult r = Executar(GerarReinf(
      "1_03_00", {retorno.string(), semEvento.string(), Modelo("R-2098", "1_03_00").string()}));
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("retorno.ini: o evento R-5001 é um retorno do governo"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("vazio.ini: nenhum evento EFD-Reinf no arquivo"), std::string::npos)
      << r.err;
  ConferirReinf(r, "1_03_00", {"R-2098"});
}

}  // namespace
}  // namespace luvaro
