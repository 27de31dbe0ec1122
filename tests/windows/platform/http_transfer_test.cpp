// The program's own HTTP exchanges over WinHTTP under Wine: the ERP client against luvaro-sim's
// ERP (plain http, as on an office network) and the update check and installer download against
// its update server (HTTPS under an authority that only the test's cadeias/ makes trusted).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dfe/dfe_exception.h"
#include "dfe/resumo_sha256.h"
#include "integration/erp_http.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/support/sims.h"
#include "update/consulta_versao.h"
#include "update/http_download_progress.h"

namespace luvaro::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

fs::path CertsDir() {
  return std::getenv("LUVARO_TEST_CERTS");
}

std::string SemFimDeLinha(std::string texto) {
  while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r')) texto.pop_back();
  return texto;
}

TEST(ErpSobreWinHttp, FetchesALotAndPostsTheReply) {
  const std::string base = SimUrl("erp");
  const ErpHttpReply lote =
      ErpGet(base + "spring/esocial/lotes?empresaKey=" + EncodeQueryValue("EMPRESA-DEMO"), 10s);
  EXPECT_EQ(lote.status, 200);
  EXPECT_EQ(lote.reason, "OK");
  EXPECT_EQ(lote.contentType, "application/json;charset=UTF-8");
  EXPECT_EQ(lote.body, ReadFile(fs::path(LUVARO_SOURCE_DIR) /
                                "tests/fixtures/erp/esocial/EMPRESA-DEMO.json"));

  const ErpHttpReply ausente = ErpGet(base + "spring/esocial/lotes?empresaKey=NENHUMA", 10s);
  EXPECT_EQ(ausente.status, 404);
  EXPECT_EQ(ausente.reason, "Not Found");

  const std::string corpo =
      "{\"empresaKey\":\"EMPRESA-DEMO\",\"xmlRetornoLote\":\"<retorno>ação</retorno>\","
      "\"lotePath\":\"lotes/1\"}";
  for (const std::string caminho : {"spring/esocial/lotesRetorno",
                                    // 307: the POST goes again, with its body, to the new address
                                    "moved/spring/esocial/lotesRetorno"}) {
    SCOPED_TRACE(caminho);
    const ErpHttpReply retorno =
        ErpPost(base + caminho, "application/json; charset=utf-8", corpo, 10s);
    EXPECT_EQ(retorno.status, 200);
    EXPECT_EQ(retorno.body, "{\"mensagem\":\"Retorno recebido.\"}");
    const auto pedidos = SimRequests("erp");
    ASSERT_FALSE(pedidos.empty());
    EXPECT_EQ(ReadFile(pedidos.back() / "body"), corpo);
    const std::string pedido = ReadFile(pedidos.back() / "request.txt");
    for (const char* linha : {"POST /spring/esocial/lotesRetorno HTTP/1.1",
                              "Content-Type: application/json; charset=utf-8",
                              "Accept: application/json, */*", "User-Agent: Luvaro"})
      EXPECT_NE(pedido.find(linha), std::string::npos) << linha << "\n" << pedido;
  }

  // A 303 would turn the POST into a GET without the reply: refused, not taken as delivered.
  WriteFile(SimDir("erp") / "control", "body=redirect-303\nonly=lotesRetorno\n");
  try {
    ErpPost(base + "spring/esocial/lotesRetorno", "application/json", corpo, 10s);
    ADD_FAILURE() << "a 303 taken as the answer";
  } catch (const EDFeException& e) {
    EXPECT_EQ(std::string(e.what()), "O servidor redirecionou o envio para " + base +
                                         "destino/spring/esocial/lotesRetorno sem o seu conteúdo "
                                         "(GET em vez de POST).");
  }
  fs::remove(SimDir("erp") / "control");

  try {
    ErpGet("http://localhost:1/spring/esocial/lotes", 10s);
    ADD_FAILURE() << "nobody listening";
  } catch (const EDFeException& e) {
    EXPECT_NE(std::string(e.what()).find("Erro: 12029"), std::string::npos) << e.what();
  }
}

class AtualizacaoSobreWinHttp : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_pasta / "cadeias");
    WriteFile(m_pasta / "cadeias" / "ac.pem", ReadFile(CertsDir() / "ac-cadeias.pem"));
    m_identidade.pastaCadeias = m_pasta / "cadeias";
    m_identidade.aviso = [this](const std::string& aviso) { m_avisos.push_back(aviso); };
  }

  std::string Consulta() const {
    return SimUrl("update") + "cloud/api/versao/sistema/get?identificacao=Luvaro";
  }

  TempDir m_pasta{"luvaro-atualizacao"};
  ServerIdentityCheck m_identidade;
  std::vector<std::string> m_avisos;
};

TEST_F(AtualizacaoSobreWinHttp, ChecksTheVersionAndDownloadsTheInstallerWithItsDigest) {
  const std::string resumo = SemFimDeLinha(ReadFile(CertsDir() / "ca.der.sha256"));
  const TResultVersao versao = ConsultarVersao(Consulta(), m_identidade);
  EXPECT_EQ(versao.versaoAtual, "1.15");
  EXPECT_EQ(versao.resumoInstalador, "sha256:" + resumo);

  // The stand-in names the installer under the host the query was sent to.
  const std::string link = versao.linkAtualizar;
  EXPECT_TRUE(link.starts_with(SimUrl("update") + "instalador/")) << link;
  THttpDownloadProgress download;
  download.Identidade = m_identidade;
  std::vector<int> progresso;
  download.OnChange = [&progresso](THttpDownloadProgress& d) { progresso.push_back(d.Progress()); };
  const fs::path destino = m_pasta / "Luvaro-install";
  download.DownloadFile(link, destino);
  EXPECT_EQ(ReadFile(destino), ReadFile(CertsDir() / "ca.der"));
  EXPECT_EQ(Sha256DoArquivo(destino), resumo);
  ASSERT_FALSE(progresso.empty());
  EXPECT_EQ(progresso.back(), 100);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_pasta.path()), fs::directory_iterator()), 2)
      << "cadeias/ and the installer, no partial file";
  EXPECT_TRUE(m_avisos.empty());
}

TEST_F(AtualizacaoSobreWinHttp, AnUnknownAuthorityIsRefusedUnlessTheCheckIsOff) {
  fs::remove(m_pasta / "cadeias" / "ac.pem");
  // A query is a GET without a body: WinHTTP has sent its request line and headers when the
  // handshake's certificate can be judged, so the stand-in may record it; its reply is not read.
  try {
    ConsultarVersao(Consulta(), m_identidade);
    ADD_FAILURE() << "accepted";
  } catch (const EDFeException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Não foi possível confirmar a identidade do servidor localhost: o certificado do "
              "servidor não foi emitido por uma autoridade confiável.");
  }

  m_identidade.verificar = false;
  EXPECT_EQ(ConsultarVersao(Consulta(), m_identidade).versaoAtual, "1.15");
  EXPECT_EQ(m_avisos,
            std::vector<std::string>{"ATENÇÃO: identidade do servidor localhost não verificada."});
}

TEST(Sha256DoArquivo, DigestsEveryByteAndNamesAFileItCannotRead) {
  TempDir pasta;
  WriteFile(pasta / "vazio", "");
  EXPECT_EQ(Sha256DoArquivo(pasta / "vazio"),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  WriteFile(pasta / "abc", "abc");
  EXPECT_EQ(Sha256DoArquivo(pasta / "abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_THROW(Sha256DoArquivo(pasta / "ausente"), EDFeException);
}

}  // namespace
}  // namespace luvaro::test
