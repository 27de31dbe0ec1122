#include "app/core/parametros.h"

#include <gtest/gtest.h>

#include "app/core/worker.h"

namespace luvaro {
namespace {

// Positions 1..7 after the executable.
std::vector<std::string> Args(std::vector<std::string> positions) {
  positions.insert(positions.begin(), "/opt/luvaro/Luvaro");
  return positions;
}

std::string ErrorOf(const std::vector<std::string>& args) {
  try {
    LerParametros(args);
  } catch (const EParametroInvalido& e) {
    return e.what();
  }
  return "";
}

TEST(LerParametros, RefusesBadCommandLinesWithTheFirstFailingCheck) {
  struct Case {
    const char* name;
    std::vector<std::string> positions;
    std::string expected;
  } cases[] = {
      {"process missing", {"v"}, "'' não é um valor inteiro válido"},
      {"process 3", {"v", "3"}, "Processo inválido."},
      {"process -1", {"v", "-1"}, "Processo inválido."},
      {"process not numeric", {"v", "abc"}, "'abc' não é um valor inteiro válido"},
      {"process with trailing blank", {"v", "0 "}, "'0 ' não é um valor inteiro válido"},
      {"process too large", {"v", "2147483648"}, "'2147483648' não é um valor inteiro válido"},
      {"process 1.0", {"v", "1.0"}, "'1.0' não é um valor inteiro válido"},
      {"send: url before group", {"v", "0", "", "9", "9", ""}, "URL Orvane."},
      {"send: group 0", {"v", "0", "u/", "0", "0", "k"}, "Grupo eSocial inválido."},
      {"send: group 4", {"v", "0", "u/", "4", "0", "k"}, "Grupo eSocial inválido."},
      {"send: group text", {"v", "0", "u/", "x", "0", "k"}, "'x' não é um valor inteiro válido"},
      {"send: group before environment", {"v", "0", "u/", "0", "2", ""}, "Grupo eSocial inválido."},
      {"send: group checked for reinf",
       {"v", "0", "u/", "0", "0", "k", "reinf"},
       "Grupo eSocial inválido."},
      {"send: environment 2", {"v", "0", "u/", "1", "2", "k"}, "Ambiente eSocial inválido."},
      {"send: environment -1", {"v", "0", "u/", "1", "-1", "k"}, "Ambiente eSocial inválido."},
      {"send: environment before key",
       {"v", "0", "u/", "1", "", ""},
       "'' não é um valor inteiro válido"},
      {"send: key missing", {"v", "0", "u/", "3", "1"}, "EmpresaKey não informada."},
      {"query: url", {"v", "1", "", ""}, "URL Orvane."},
      {"query: protocol missing", {"v", "1", "u/", "", "0", "k"}, "Protocolo Envio não informado."},
      {"query: protocol before environment",
       {"v", "1", "u/", "", "7", "k"},
       "Protocolo Envio não informado."},
      {"query: environment", {"v", "1", "u/", "1.2.3", "5", "k"}, "Ambiente eSocial inválido."},
      {"query: key", {"v", "1", "u/", "1.2.3", "0", ""}, "EmpresaKey não informada."},
      {"tables: url", {"v", "2", "", "x", "0", "k"}, "URL Orvane."},
      {"tables: environment", {"v", "2", "u/", "", "9", "k"}, "Ambiente eSocial inválido."},
      {"tables: key", {"v", "2", "u/", "", "1"}, "EmpresaKey não informada."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorOf(Args(c.positions)), c.expected);
  }
}

TEST(LerParametros, StoresEachJobsFields) {
  struct Case {
    const char* name;
    std::vector<std::string> positions;
    TRecParametros expected;
  } cases[] = {
      {"send",
       {"4.0.01-180629", "0", "http://erp/", "3", "1", "chave", "reinf"},
       {TTipoProcesso::procEnvioXML, "http://erp/", "", 3, 1, "4.0.01-180629", "chave", "reinf"}},
      {"send with sign and blank",
       {"v", " +0", "u/", "+2", " 0", "k"},
       {TTipoProcesso::procEnvioXML, "u/", "", 2, 0, "v", "k", ""}},
      {"query",
       {"v", "1", "u/", "1.2.202612.0000001", "0", "k", "ESocial"},
       {TTipoProcesso::procConsultaProtocolo, "u/", "1.2.202612.0000001", 0, 0, "v", "k",
        "ESocial"}},
      {"tables ignore position 4",
       {"v", "2", "u/", "qualquer coisa", "1", "k", "esocialbx"},
       {TTipoProcesso::procConsultaEBX, "u/", "", 0, 1, "v", "k", "esocialbx"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TRecParametros p = LerParametros(Args(c.positions));
    EXPECT_EQ(p.processoExecutar, c.expected.processoExecutar);
    EXPECT_EQ(p.urlOrvaneXml, c.expected.urlOrvaneXml);
    EXPECT_EQ(p.protocoloConsulta, c.expected.protocoloConsulta);
    EXPECT_EQ(p.grupoESocial, c.expected.grupoESocial);
    EXPECT_EQ(p.ambiente, c.expected.ambiente);
    EXPECT_EQ(p.versaoOrvane, c.expected.versaoOrvane);
    EXPECT_EQ(p.empresaKey, c.expected.empresaKey);
    EXPECT_EQ(p.tipoProjeto, c.expected.tipoProjeto);
  }
}

TEST(LinhaLogParametros, HoldsEightPositionsEachFollowedByTwoBlanks) {
  EXPECT_EQ(LinhaLogParametros({"/opt/Luvaro", "v"}),
            "Inicio Applicação com os parametros: /opt/Luvaro  v              ");
  EXPECT_EQ(LinhaLogParametros({"e", "1", "2", "3", "4", "5", "6", "7", "8-ignored"}),
            "Inicio Applicação com os parametros: e  1  2  3  4  5  6  7  ");
}

TEST(EnderecosOrvane, FormedFromBaseUrlAndProjectType) {
  struct Case {
    const char* name;
    std::string tipo;
    std::string expectedTipo;
  } cases[] = {{"empty means esocial", "", "esocial"},
               {"reinf", "reinf", "reinf"},
               {"kept as written", "ESocial", "ESocial"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRecParametros p;
    p.urlOrvaneXml = "http://erp:8080/";
    p.empresaKey = "k1";
    p.tipoProjeto = c.tipo;
    const TEnderecosOrvane e = MontarEnderecosOrvane(p);
    const std::string base = "http://erp:8080/spring/" + c.expectedTipo;
    EXPECT_EQ(e.UrlBuscaEventos, base + "/lotes");
    EXPECT_EQ(e.UrlRetornaEventosXml, base + "/lotesRetorno");
    EXPECT_EQ(e.UrlRetornaProtocoloXml, base + "/consultaProtocoloRetorno");
    EXPECT_EQ(e.EmpresaKey, "k1");
    EXPECT_EQ(e.TipoProjeto, c.expectedTipo);
  }
}

TEST(WorkerRegistry, FindsProjectTypesCaseSensitively) {
  WorkerRegistry registry;
  registry.Registrar("esocial", [](WorkerContext) { return std::unique_ptr<IWorker>(); });
  EXPECT_NE(registry.Procurar("esocial"), nullptr);
  EXPECT_EQ(registry.Procurar("ESocial"), nullptr);
  EXPECT_EQ(registry.Procurar("reinf"), nullptr);
}

}  // namespace
}  // namespace luvaro
