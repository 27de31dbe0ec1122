// The ERP client against luvaro-sim's ERP role: reading lots, and what the two posts send.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/integration/erp/erp_test_support.h"

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::ElementsAreArray;

namespace luvaro::test {
namespace {

// The documents of a fixture lot, in member order, as the JSON library reads them.
std::vector<std::string> DocumentsOf(const std::string& lotText) {
  std::vector<std::string> documents;
  const auto lot = nlohmann::ordered_json::parse(lotText);
  for (const auto& company : lot["empresas"])
    for (const auto& item : company["arquivos"].items())
      documents.push_back(item.value().get<std::string>());
  return documents;
}

TEST_F(ErpClientTest, ReadsTheMembersOfEachProjectType) {
  struct Case {
    const char* tipo;
    const char* tpInsc;
    const char* nrInsc;
    const char* transmissor;
    const char* lotePath;
  };
  // Every fixture holds "empregador", "transmissor" and "documento": only the project type's own
  // members are read, and "documento" of "reinf" is a JSON number, taken as written.
  const Case cases[] = {
      {"esocial", "1", "12345678", "98765432000110", "lotes/2026/05/lote-0001"},
      {"reinf", "", "12345678000190", "", "reinf/2026/05/lote-0007"},
      {"esocialbx", "", "", "", "esocialbx/2026/05/lote-0003"},
  };
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tipo);
    SetUp();
    const std::string lot = ReadFile(ErpFixtures() / c.tipo / "EMPRESA-DEMO.json");
    auto client = MakeClient(sim.BaseUrl(), c.tipo, "EMPRESA-DEMO");
    std::shared_ptr<IIntegrador> integrador = client;

    const TRecDadosTransmissao dados = integrador->GetDadosTransmissao();
    EXPECT_EQ(dados.empregadorTipoInscricao, c.tpInsc);
    EXPECT_EQ(dados.empregadorInscricao, c.nrInsc);
    EXPECT_EQ(dados.transmissorInscricao, c.transmissor);
    EXPECT_EQ(dados.eventos, DocumentsOf(lot));
    EXPECT_EQ(client->LotePath(), c.lotePath);

    const std::string url = sim.BaseUrl() + "spring/" + c.tipo + "/lotes";
    EXPECT_THAT(LogMessages(),
                ElementsAre("Buscando Eventos no Orvane: URL->" + url + "?empresaKey=EMPRESA-DEMO",
                            "Resposta Retornada com os Eventos: " + lot,
                            "Tentando obter o lotePath: " + lot));

    // The lot path links the lot to the send result.
    EXPECT_TRUE(integrador->EnviarRetornoEnvioXML("<retorno/>"));
    const auto requests = sim.Requests();
    ASSERT_GE(requests.size(), 2u);
    const RecordedRequest& get = requests[requests.size() - 2];
    EXPECT_EQ(get.method, "GET");
    EXPECT_EQ(get.target, "/spring/" + std::string(c.tipo) + "/lotes?empresaKey=EMPRESA-DEMO");
    EXPECT_EQ(requests.back().target, "/spring/" + std::string(c.tipo) + "/lotesRetorno");
    EXPECT_EQ(requests.back().body, std::string(R"({"empresaKey":"EMPRESA-DEMO",)") +
                                        R"("xmlRetornoLote":"<retorno/>","lotePath":")" +
                                        c.lotePath + "\"}");
  }
}

TEST_F(ErpClientTest, EmptyEmpresasGivesAnEmptyRecord) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  auto client = MakeClient(sim.BaseUrl(), "esocial", "SEM-EMPRESAS");
  const TRecDadosTransmissao dados = client->GetDadosTransmissao();
  EXPECT_EQ(dados.empregadorTipoInscricao, "");
  EXPECT_EQ(dados.empregadorInscricao, "");
  EXPECT_EQ(dados.transmissorInscricao, "");
  EXPECT_TRUE(dados.eventos.empty());
  EXPECT_EQ(LogMessages().size(), 2u);  // no company, so no lot-path lines
}

TEST_F(ErpClientTest, SeveralCompaniesOverwriteTheNumbersAndAppendTheDocuments) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  auto client = MakeClient(sim.BaseUrl(), "esocial", "VARIAS-EMPRESAS");
  const TRecDadosTransmissao dados = client->GetDadosTransmissao();
  EXPECT_EQ(dados.empregadorTipoInscricao, "1");
  EXPECT_EQ(dados.empregadorInscricao, "12345678");
  EXPECT_EQ(dados.transmissorInscricao, "98765432000110");
  EXPECT_THAT(dados.eventos,
              ElementsAre(R"(<evento n="1"/>)", R"(<evento n="2"/>)", R"(<evento n="3"/>)"));
  // The second company has no lot path; the first one's does not survive it.
  EXPECT_EQ(client->LotePath(), "");
  const std::string lot = ReadFile(ErpFixtures() / "esocial" / "VARIAS-EMPRESAS.json");
  const auto messages = LogMessages();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[2], "Tentando obter o lotePath: " + lot);
  EXPECT_EQ(messages[3], "Tentando obter o lotePath: " + lot);
  EXPECT_EQ(messages[4],
            "Não foi possível obter o lotepath: O membro \"lotePath\" não foi encontrado.");
}

// One lot carries the documents of one employer: an answer with documents of two is refused
// before anything is signed, naming both numbers; the lot is never declared for one of them.
TEST_F(ErpClientTest, DocumentsOfMoreThanOneEmployerAreRefused) {
  struct Case {
    const char* tipo;
    const char* key;
    const char* message;
  } cases[] = {
      {"esocial", "DOIS-EMPREGADORES",
       "Erro ao consultar eventos no Orvane.\r\rO lote traz documentos de mais de um empregador "
       "(12345678 e 12345678901); um lote só pode levar os documentos de um empregador."},
      {"reinf", "DOIS-CONTRIBUINTES",
       "Erro ao consultar eventos no Orvane.\r\rO lote traz documentos de mais de um "
       "contribuinte (12345678000190 e 98765432000110); um lote só pode levar os documentos de "
       "um contribuinte."},
  };
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tipo);
    auto client = MakeClient(sim.BaseUrl(), c.tipo, c.key);
    EXPECT_EQ(FailureOf([&] { client->GetDadosTransmissao(); }), c.message);
  }
}

// A lot the ERP writes in ISO-8859-1, and says so, reaches the worker in UTF-8 with its accents.
TEST_F(ErpClientTest, Latin1LotIsReadInUtf8) {
  TempDir fixtures("luvaro-erp-fixtures");
  fs::create_directories(fixtures / "esocial");
  const std::string documento = "<evento nome=\"Jos\xC3\xA9 Concei\xC3\xA7\xC3\xA3o\"/>";
  const nlohmann::ordered_json lot = {{"empresas",
                                       {{{"empregador", {{"tpInsc", "1"}, {"nrInsc", "12345678"}}},
                                         {"transmissor", {{"nrInsc", "12345678000190"}}},
                                         {"arquivos", {{"a", documento}}}}}}};
  WriteFile(fixtures / "esocial" / "ACENTOS.json", lot.dump());
  SimProcess sim(SimProgram(), "erp", {"--fixtures", fixtures.path().string(), "--body", "latin1"});
  auto client = MakeClient(sim.BaseUrl(), "esocial", "ACENTOS");
  const TRecDadosTransmissao dados = client->GetDadosTransmissao();
  EXPECT_THAT(dados.eventos, ElementsAre(documento));
  EXPECT_EQ(sim.Requests().size(), 1u);
  // The log holds the lot in UTF-8 as well.
  ASSERT_GE(LogMessages().size(), 2u);
  EXPECT_NE(LogMessages()[1].find("Jos\xC3\xA9"), std::string::npos) << LogMessages()[1];
}

// A result POST that the ERP redirects keeps its method and body (301, 302, 307, 308); a 303,
// which turns it into a GET without the reply, is a failure although the page there answers 200.
TEST_F(ErpClientTest, RedirectedResultsKeepTheirBodyOrFail) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  for (const char* codigo : {"301", "302", "303", "307", "308"}) {
    SCOPED_TRACE(codigo);
    sim.SetFaults(std::string("body=redirect-") + codigo + "\nonly=lotesRetorno\n");
    auto client = MakeClient(sim.BaseUrl(), "esocial", "EMPRESA-DEMO");
    const std::size_t antes = sim.Requests().size();
    if (std::string(codigo) == "303") {
      EXPECT_EQ(FailureOf([&] { client->EnviarRetornoEnvioXML("<retorno/>"); }),
                "Erro ao enviar o retorno do envio para o Orvane.\r\rO servidor redirecionou o "
                "envio para " +
                    sim.BaseUrl() +
                    "destino/spring/esocial/lotesRetorno sem o seu conteúdo (GET "
                    "em vez de POST).");
      const auto requests = sim.Requests();
      ASSERT_EQ(requests.size(), antes + 2);
      EXPECT_EQ(requests.back().method, "GET");
    } else {
      EXPECT_TRUE(client->EnviarRetornoEnvioXML("<retorno/>"));
      const auto requests = sim.Requests();
      ASSERT_EQ(requests.size(), antes + 2);
      const RecordedRequest& destino = requests.back();
      EXPECT_EQ(destino.method, "POST");
      EXPECT_EQ(destino.target, "/destino/spring/esocial/lotesRetorno");
      EXPECT_EQ(destino.body, requests[antes].body);
      EXPECT_NE(destino.body.find("<retorno/>"), std::string::npos);
    }
  }
}

TEST_F(ErpClientTest, FolderFixtureServesItsFilesAsDocuments) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  auto client = MakeClient(sim.BaseUrl(), "esocial", "EMPRESA-PASTA");
  const TRecDadosTransmissao dados = client->GetDadosTransmissao();
  const fs::path folder = ErpFixtures() / "esocial" / "EMPRESA-PASTA";
  EXPECT_THAT(dados.eventos,
              ElementsAre(ReadFile(folder / "evento-1.xml"), ReadFile(folder / "evento-2.xml")));
  EXPECT_EQ(dados.empregadorInscricao, "12345678");
  EXPECT_EQ(client->LotePath(), "lotes/pasta");
}

TEST_F(ErpClientTest, MissingLotePathIsLoggedAndPostedEmpty) {
  SimProcess sim(SimProgram(), "erp",
                 {"--fixtures", ErpFixtures().string(), "--body", "no-lotepath"});
  auto client = MakeClient(sim.BaseUrl(), "esocial", "EMPRESA-DEMO");
  client->SetLotePath("de uma chamada anterior");
  const TRecDadosTransmissao dados = client->GetDadosTransmissao();
  EXPECT_EQ(dados.eventos.size(), 2u);
  EXPECT_EQ(client->LotePath(), "");
  const auto messages = LogMessages();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_TRUE(messages[2].starts_with("Tentando obter o lotePath: {\"empresas\""));
  EXPECT_EQ(messages[3],
            "Não foi possível obter o lotepath: O membro \"lotePath\" não foi encontrado.");

  EXPECT_TRUE(client->EnviarRetornoEnvioXML("<retorno/>"));
  EXPECT_EQ(sim.Requests().back().body,
            R"({"empresaKey":"EMPRESA-DEMO","xmlRetornoLote":"<retorno/>","lotePath":""})");
}

TEST_F(ErpClientTest, PostsCarryTheReplyAsValidJsonWithItsContentType) {
  // A reply with a double quote, a tab, a backslash, CR LF, LF and accented letters; a key
  // and a lot path that need escaping too.
  const std::string xml =
      "<?xml version=\"1.0\"?>\r\n<retorno a=\"x\">\tt\\b\r\na\xC3\xA7\xC3\xA3o</retorno>\n";
  const std::string blanked =
      "<?xml version=\"1.0\"?>  <retorno a=\"x\">\tt\\b  a\xC3\xA7\xC3\xA3o</retorno> ";
  const std::string xmlWritten = R"("<?xml version=\"1.0\"?>  <retorno a=\"x\">\tt\\b  a)"
                                 "\xC3\xA7\xC3\xA3"
                                 R"(o</retorno> ")";
  struct Case {
    const char* name;
    bool envio;
    std::string body;
    const char* contentType;
    const char* endpoint;
    const char* logLine;
  };
  const Case cases[] = {
      {"send result", true,
       R"({"empresaKey":"EMPRESA \"A\"","xmlRetornoLote":)" + xmlWritten +
           R"(,"lotePath":"lotes\\2026"})",
       "application/json; charset=utf-8", "lotesRetorno",
       "Enviando Retorno Envio para o Orvane: URL->"},
      {"query result", false,
       R"({"empresaKey":"EMPRESA \"A\"","xmlRetornoLote":)" + xmlWritten + "}", "application/json",
       "consultaProtocoloRetorno", "Enviando Retorno para o Orvane: URL->"},
  };
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    auto client = MakeClient(sim.BaseUrl(), "esocial", "EMPRESA \"A\"");
    client->SetLotePath("lotes\\2026");
    EXPECT_TRUE(c.envio ? client->EnviarRetornoEnvioXML(xml)
                        : client->EnviarRetornoConsultaProtocoloXML(xml));

    const RecordedRequest posted = sim.Requests().back();
    EXPECT_EQ(posted.method, "POST");
    EXPECT_EQ(posted.target, std::string("/spring/esocial/") + c.endpoint);
    EXPECT_EQ(posted.body, c.body);
    EXPECT_EQ(posted.Header("Content-Type"), c.contentType);
    // What the ERP reads back is the reply with only its line breaks blanked.
    const auto decoded = nlohmann::json::parse(posted.body);
    EXPECT_EQ(decoded["xmlRetornoLote"], blanked);
    EXPECT_EQ(decoded["empresaKey"], "EMPRESA \"A\"");

    const std::string url = sim.BaseUrl() + "spring/esocial/" + c.endpoint;
    EXPECT_THAT(
        LogMessages(),
        ElementsAre(c.logLine + url, R"(Resposta Retornada: {"mensagem":"Retorno recebido."})"));
  }
}

TEST_F(ErpClientTest, FollowsRedirects) {
  SimProcess sim(SimProgram(), "erp", {"--fixtures", ErpFixtures().string()});
  auto client = MakeClient(sim.BaseUrl() + "moved/", "esocial", "EMPRESA-DEMO");
  EXPECT_EQ(client->GetDadosTransmissao().eventos.size(), 2u);
  EXPECT_TRUE(client->EnviarRetornoEnvioXML("<retorno/>"));
  EXPECT_TRUE(client->EnviarRetornoConsultaProtocoloXML("<retorno/>"));

  const auto requests = sim.Requests();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_EQ(requests[0].target, "/moved/spring/esocial/lotes?empresaKey=EMPRESA-DEMO");
  EXPECT_EQ(requests[1].target, "/spring/esocial/lotes?empresaKey=EMPRESA-DEMO");
  EXPECT_EQ(requests[2].endpoint, "moved");
  EXPECT_EQ(requests[3].endpoint, "lotesRetorno");
  EXPECT_EQ(requests[3].body, requests[2].body);
  EXPECT_EQ(requests[5].endpoint, "consultaProtocoloRetorno");
  EXPECT_EQ(requests[5].Header("Content-Type"), "application/json");
}

TEST_F(ErpClientTest, CompanyKeyReachesTheErpUnchanged) {
  // The key is appended as it is; only what cannot stand in a URL is percent-encoded, so the
  // ERP decodes the very same key.
  TempDir fixtures("luvaro-erp-fixtures");
  const std::string key = "Empresa A\xC3\xA7\xC3\xA3o";
  fs::create_directories(fixtures / "esocial");
  fs::copy_file(ErpFixtures() / "esocial" / "EMPRESA-DEMO.json",
                fixtures / "esocial" / (key + ".json"));
  SimProcess sim(SimProgram(), "erp", {"--fixtures", fixtures.path().string()});

  auto client = MakeClient(sim.BaseUrl(), "esocial", key);
  EXPECT_EQ(client->GetDadosTransmissao().eventos.size(), 2u);
  EXPECT_EQ(sim.Requests().back().target,
            "/spring/esocial/lotes?empresaKey=Empresa%20A%C3%A7%C3%A3o");
  EXPECT_EQ(LogMessages().front(), "Buscando Eventos no Orvane: URL->" + sim.BaseUrl() +
                                       "spring/esocial/lotes?empresaKey=" + key);

  // An ampersand can stand in a URL, so it goes verbatim (and splits the query, as it always
  // did for this ERP).
  auto ampersand = MakeClient(sim.BaseUrl(), "esocial", "A&B=1");
  EXPECT_EQ(FailureOf([&] { ampersand->GetDadosTransmissao(); }),
            "Erro ao consultar eventos no Orvane.\r\r404 - Not Found");
  EXPECT_EQ(sim.Requests().back().target, "/spring/esocial/lotes?empresaKey=A&B=1");
}

TEST_F(ErpClientTest, ReadsALotOfTwentyMegabytesWithTwoThousandDocuments) {
  TempDir fixtures("luvaro-erp-fixtures");
  nlohmann::ordered_json arquivos = nlohmann::ordered_json::object();
  std::vector<std::string> expected;
  for (int i = 0; i < 2000; ++i) {
    std::string document = "<evento id=\"" + std::to_string(i) + "\">" +
                           std::string(10'000, static_cast<char>('a' + i % 26)) + "</evento>";
    arquivos["ID" + std::to_string(i)] = document;
    expected.push_back(std::move(document));
  }
  const nlohmann::ordered_json lot = {{"empresas",
                                       {{{"empregador", {{"tpInsc", "1"}, {"nrInsc", "12345678"}}},
                                         {"transmissor", {{"nrInsc", "12345678000190"}}},
                                         {"lotePath", "lotes/grande"},
                                         {"arquivos", arquivos}}}}};
  const std::string text = lot.dump();
  ASSERT_GT(text.size(), 20'000'000u);
  fs::create_directories(fixtures / "esocial");
  WriteFile(fixtures / "esocial" / "GRANDE.json", text);
  SimProcess sim(SimProgram(), "erp", {"--fixtures", fixtures.path().string()});

  auto client = MakeClient(sim.BaseUrl(), "esocial", "GRANDE");
  const TRecDadosTransmissao dados = client->GetDadosTransmissao();
  EXPECT_EQ(dados.eventos.size(), 2000u);
  EXPECT_TRUE(dados.eventos == expected);  // not printed: 20 MB
  EXPECT_EQ(client->LotePath(), "lotes/grande");
}

}  // namespace
}  // namespace luvaro::test
