// The Debian package of this tree, made by CPack from the built tree and unpacked with dpkg -x
// into a throw-away root (never installed on the machine): its control fields, its layout, the
// manual page, and the program it installs run once, headless, against the stand-ins, with its
// user folder under a temporary XDG_DATA_HOME.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/esocial/esocial_cenario.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"
#include "update/versao.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kCpack = LUVARO_CPACK;
const fs::path kCpackConfig = LUVARO_CPACK_CONFIG;
const fs::path kManual = LUVARO_MANUAL;
const fs::path kCadeias = LUVARO_CADEIAS;
constexpr bool kJanela = LUVARO_PACOTE_JANELA;
constexpr bool kEventos = LUVARO_PACOTE_EVENTOS;

ProcessResult Executar(const fs::path& programa, std::vector<std::string> args) {
  ProcessOptions options;
  options.args = std::move(args);
  options.limit = std::chrono::minutes(5);
  return RunProcess(programa, options);
}

// Every entry under `raiz` by its path relative to it: folders end with '/', links show their
// target after " -> ".
std::set<std::string> Arvore(const fs::path& raiz) {
  std::set<std::string> entradas;
  for (const auto& e : fs::recursive_directory_iterator(raiz)) {
    std::string nome = fs::relative(e.path(), raiz).string();
    if (e.is_symlink())
      nome += " -> " + fs::read_symlink(e.path()).string();
    else if (e.is_directory())
      nome += '/';
    entradas.insert(nome);
  }
  return entradas;
}

// The regular files under `raiz`, by relative path.
std::set<std::string> Arquivos(const fs::path& raiz) {
  std::set<std::string> arquivos;
  for (const auto& e : fs::recursive_directory_iterator(raiz))
    if (e.is_regular_file()) arquivos.insert(fs::relative(e.path(), raiz).string());
  return arquivos;
}

unsigned Modo(const fs::path& arquivo) {
  struct stat s {};
  return ::lstat(arquivo.c_str(), &s) == 0 ? (s.st_mode & 07777) : 0;
}

class DebPackage : public ::testing::Test {
 protected:
  // The package is made and unpacked once for the whole program.
  static void SetUpTestSuite() {
    s_pasta = std::make_unique<TempDir>("luvaro-deb");
    const ProcessResult cpack =
        Executar(kCpack, {"--config", kCpackConfig.string(), "-B", (*s_pasta / "saida").string()});
    ASSERT_EQ(cpack.exitCode, 0) << cpack.out << cpack.err;
    s_pacote = *s_pasta / "saida" / ("luvaro_" + std::string(kVersaoLuvaro) + "_amd64.deb");
    ASSERT_TRUE(fs::is_regular_file(s_pacote)) << cpack.out;
    const ProcessResult dpkg =
        Executar("/usr/bin/dpkg", {"-x", s_pacote.string(), Raiz().string()});
    ASSERT_EQ(dpkg.exitCode, 0) << dpkg.err;
  }
  static void TearDownTestSuite() { s_pasta.reset(); }

  static fs::path Raiz() { return *s_pasta / "raiz"; }
  static fs::path Programa() { return Raiz() / "opt" / "luvaro"; }

  static std::unique_ptr<TempDir> s_pasta;
  static fs::path s_pacote;
};

std::unique_ptr<TempDir> DebPackage::s_pasta;
fs::path DebPackage::s_pacote;

TEST_F(DebPackage, ControlFields) {
  const ProcessResult r = Executar("/usr/bin/dpkg-deb", {"--field", s_pacote.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::map<std::string, std::string> campos;
  std::istringstream linhas(r.out);
  for (std::string linha; std::getline(linhas, linha);) {
    const auto doisPontos = linha.find(": ");
    if (!linha.starts_with(' ') && doisPontos != std::string::npos)
      campos[linha.substr(0, doisPontos)] = linha.substr(doisPontos + 2);
  }
  EXPECT_EQ(campos["Package"], "luvaro");
  EXPECT_EQ(campos["Version"], kVersaoLuvaro);
  EXPECT_EQ(campos["Architecture"], "amd64");
  EXPECT_EQ(campos["Recommends"], "p11-kit-modules, opensc");
  // The libraries the program and its window link, as dpkg-shlibdeps names their packages, and
  // the system's roots; nothing the tests alone use.
  const std::string& depende = campos["Depends"];
  std::vector<std::string> esperados = {"ca-certificates", "libc6 ",  "libstdc++6", "libssl3",
                                        "libcurl4",        "libxml2", "libp11-"};
  if (kJanela) esperados.push_back("libqt6widgets6");
  for (const std::string& pacote : esperados)
    EXPECT_NE(depende.find(pacote), std::string::npos) << pacote << " in " << depende;
  for (const char* pacote : {"softhsm", "gtest", "httplib", "xmlsec"})
    EXPECT_EQ(depende.find(pacote), std::string::npos) << pacote << " in " << depende;
}

TEST_F(DebPackage, LayoutOutsideTheSchemas) {
  std::set<std::string> esperado = {
      "opt/",
      "opt/luvaro/",
      "opt/luvaro/Luvaro",
      "opt/luvaro/instalado-por-pacote",
      "opt/luvaro/cadeias/",
      "opt/luvaro/cadeias/icp-brasil-raiz-v10.pem",
      "opt/luvaro/schemas/",
      "usr/",
      "usr/bin/",
      "usr/bin/luvaro -> /opt/luvaro/Luvaro",
      "usr/share/",
      "usr/share/man/",
      "usr/share/man/man1/",
      "usr/share/man/man1/luvaro.1.gz",
  };
  if (kJanela) esperado.insert("opt/luvaro/luvaro-qt.so");
  if (kEventos) {
    esperado.insert("opt/luvaro/luvaro-eventos");
    esperado.insert("usr/bin/luvaro-eventos -> /opt/luvaro/luvaro-eventos");
  }
  std::set<std::string> fora;  // no Logs/ or Docs/: the user's folder holds them
  for (const std::string& e : Arvore(Raiz()))
    if (!e.starts_with("opt/luvaro/schemas/") || e == "opt/luvaro/schemas/") fora.insert(e);
  EXPECT_EQ(fora, esperado);

  EXPECT_EQ(Modo(Programa() / "Luvaro"), 0755u);
  EXPECT_EQ(Modo(Programa() / "instalado-por-pacote"), 0644u);
  EXPECT_EQ(ReadFile(Programa() / "cadeias" / "icp-brasil-raiz-v10.pem"),
            ReadFile(kCadeias / "icp-brasil-raiz-v10.pem"));
}

// schemas/ holds what the tests lay out (one folder for both systems, the eSocial copy of
// xmldsig-core-schema.xsd, the layouts' folders beside), byte for byte; besides that, only the
// files of the systems' layout folders.
TEST_F(DebPackage, SchemasAsTheTestsLayThemOut) {
  TempDir referencia{"luvaro-deb-schemas"};
  CopySchemas(referencia.path());
  const std::set<std::string> esperados = Arquivos(referencia.path());
  const fs::path schemas = Programa() / "schemas";
  for (const std::string& arquivo : esperados) {
    SCOPED_TRACE(arquivo);
    ASSERT_TRUE(fs::is_regular_file(schemas / arquivo));
    EXPECT_EQ(ReadFile(schemas / arquivo), ReadFile(referencia / arquivo));
  }
  EXPECT_EQ(ReadFile(schemas / "xmldsig-core-schema.xsd"),
            ReadFile(SharedSchemasDir() / "esocial" / "xmldsig-core-schema.xsd"));
  for (const std::string& arquivo : Arquivos(schemas)) {
    if (esperados.contains(arquivo)) continue;
    SCOPED_TRACE(arquivo);
    const bool deUmaPasta = fs::path(arquivo).has_parent_path();
    const bool doReinf = fs::is_regular_file(SharedSchemasDir() / "reinf" / arquivo);
    EXPECT_TRUE(deUmaPasta && doReinf);
    if (doReinf) {
      EXPECT_EQ(ReadFile(schemas / arquivo), ReadFile(SharedSchemasDir() / "reinf" / arquivo));
    }
  }
}

TEST_F(DebPackage, ManualPage) {
  const fs::path pagina = Raiz() / "usr/share/man/man1/luvaro.1.gz";
  const ProcessResult gunzip = Executar("/bin/gunzip", {"-c", pagina.string()});
  ASSERT_EQ(gunzip.exitCode, 0) << gunzip.err;
  EXPECT_EQ(gunzip.out, ReadFile(kManual));
  // groff reads it without a warning, with every section an administrator looks for.
  ProcessOptions options;
  options.args = {"-man", "-ww", "-k", "-Tutf8", "-P-cbou"};
  options.stdinText = gunzip.out;
  options.env["LC_ALL"] = "C.UTF-8";
  const ProcessResult texto = RunProcess("/usr/bin/groff", options);
  ASSERT_EQ(texto.exitCode, 0) << texto.err;
  EXPECT_EQ(texto.err, "");
  for (const char* secao : {"NOME", "SINOPSE", "CÓDIGOS DE SAÍDA", "AMBIENTE", "ARQUIVOS", "TOKENS",
                            "IDENTIDADE DO SERVIDOR", "LUVARO_PKCS11_MODULE",
                            "LUVARO_VERIFICAR_SERVIDOR", "XDG_DATA_HOME"})
    EXPECT_NE(texto.out.find(secao), std::string::npos) << secao;
}

// The installed program sends a lot: its service table comes from the user's folder (its own),
// the authority of the stand-ins from the installed cadeias/ (as an administrator adds one), the
// schemas from the installed folder; everything it writes lands in the user's folder and
// nothing beside the program.
TEST_F(DebPackage, InstalledProgramSendsALot) {
  EsocialCenario cenario;
  TempDir dados{"luvaro-deb-xdg"};
  TempDir casa{"luvaro-deb-home"};
  TempDir trabalho{"luvaro-deb-trabalho"};
  const fs::path usuario = dados / "luvaro";
  fs::create_directories(usuario / "Logs");
  fs::copy_file(cenario.Home() / "eSocialServicos.ini", usuario / "eSocialServicos.ini");
  fs::copy_file(TestToken::Shared().CaPem(), Programa() / "cadeias" / "ac-luvaro-teste.pem");
  const std::set<std::string> instalado = Arvore(Raiz());

  ProcessOptions options;
  options.args = cenario.ArgsEnvio();
  options.env = cenario.Ambiente();
  options.env.erase("LUVARO_HOME");
  options.unsetEnv.push_back("LUVARO_HOME");
  options.env["XDG_DATA_HOME"] = dados.path().string();
  options.env["HOME"] = casa.path().string();
  const ProcessResult r = RunProcess(Programa() / "Luvaro", options);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(
      r.err.ends_with("Enviando eventos...\n"
                      "Atenção: 1 evento(s) não foram incluídos no lote:\nPosição 10 "
                      "(ID1123456780000002024051012000000010): Tipo de evento não "
                      "reconhecido.\nEnviando retorno para o Orvane...\n"))
      << r.err;

  // The lot reached the stand-in over TLS with the company certificate, every event signed.
  const auto governo = cenario.Governo().Requests();
  ASSERT_EQ(governo.size(), 1u) << r.err;
  EXPECT_EQ(governo[0].endpoint, "EnviarLoteEventos");
  EXPECT_EQ(governo[0].tls.at("serial"), SerialDe("empresa"));
  const std::vector<EventoDoLote> eventos = EventosDoLote(governo[0].body);
  EXPECT_EQ(eventos.size(), 9u);
  for (const EventoDoLote& evento : eventos) {
    SCOPED_TRACE(evento.id);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(evento.documento, trabalho.path(), &saida)) << saida;
  }
  const auto erp = cenario.Erp().Requests();
  ASSERT_EQ(erp.size(), 2u);
  EXPECT_EQ(erp[1].endpoint, "lotesRetorno");

  // Written in the user's folder only.
  EXPECT_EQ(Arvore(Raiz()), instalado);
  fs::remove(Programa() / "cadeias" / "ac-luvaro-teste.pem");
  std::set<std::string> doUsuario;
  for (const auto& e : fs::directory_iterator(usuario)) doUsuario.insert(e.path().filename());
  EXPECT_EQ(doUsuario, (std::set<std::string>{"Docs", "Logs", "eSocialServicos.ini"}));
  EXPECT_FALSE(
      fs::is_empty(usuario / "Docs" / std::string(EsocialCenario::kTransmissor) / MesAtual()));
  std::string log;
  for (const auto& e : fs::directory_iterator(usuario / "Logs")) log += ReadFile(e.path());
  EXPECT_NE(log.find(" - Inicio Applicação com os parametros: " + (Programa() / "Luvaro").string()),
            std::string::npos)
      << log;
}

}  // namespace
}  // namespace luvaro::test
