#include "update/http_download_progress.h"

#include <fstream>
#include <limits>
#include <random>
#include <system_error>

#include "dfe/dfe_exception.h"
#include "dfe/http_transfer.h"
#include "update/versao.h"

namespace luvaro {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kTempoLimiteDownload = 30000ms;

// A name beside the target that no other download uses, so that the target only ever holds a
// complete file.
fs::path NomeTemporario(const fs::path& alvo) {
  std::random_device semente;
  std::mt19937_64 gerador(semente());
  constexpr char kHex[] = "0123456789abcdef";
  std::string sufixo;
  for (std::uint64_t n = gerador(), i = 0; i < 16; ++i, n >>= 4) sufixo += kHex[n & 0xF];
  return alvo.parent_path() / (alvo.filename().string() + "." + sufixo + ".parcial");
}

[[noreturn]] void FalhaArquivo(const char* acao, const fs::path& arquivo,
                               const std::string& motivo = {}) {
  throw EDFeException(std::string("Erro de E/S ao ") + acao + " o arquivo \"" + arquivo.string() +
                      "\"" + (motivo.empty() ? "" : ": " + motivo) + ".");
}

}  // namespace

// One download while it runs: the temporary file and what has arrived.
struct DownloadEmCurso {
  explicit DownloadEmCurso(THttpDownloadProgress& pDono) : dono(pDono) {}

  THttpDownloadProgress& dono;
  fs::path temporario;
  std::ofstream arquivo;
  std::int64_t recebidos = 0;
  std::int64_t anunciado = 0;  // 0: the server did not say

  void Iniciar(const HttpTransferHead& resposta) {
    if (resposta.status != 200)
      throw EDFeException("O servidor respondeu " +
                          HttpStatusText(resposta.status, resposta.reason) + ".");
    anunciado = resposta.announced;
    dono.FBytesToTransfer = anunciado;
  }

  void Receber(std::string_view dados) {
    arquivo.write(dados.data(), static_cast<std::streamsize>(dados.size()));
    if (!arquivo) FalhaArquivo("gravar", temporario);
    recebidos += static_cast<std::int64_t>(dados.size());
    if (dono.FBytesToTransfer != 0)
      dono.SetProgress(PercentualProgresso(recebidos, dono.FBytesToTransfer));
  }
};

int PercentualProgresso(std::int64_t pRecebidos, std::int64_t pTotal) {
  if (pTotal <= 0 || pRecebidos <= 0) return 0;
  if (pRecebidos > std::numeric_limits<std::int64_t>::max() / 200)
    return pRecebidos >= pTotal ? 100 : static_cast<int>(pRecebidos / (pTotal / 100));
  const std::int64_t vezes100 = pRecebidos * 100;
  const std::int64_t inteiro = vezes100 / pTotal;
  const std::int64_t dobroResto = (vezes100 % pTotal) * 2;
  const bool acima = dobroResto > pTotal || (dobroResto == pTotal && inteiro % 2 != 0);
  return static_cast<int>(inteiro + (acima ? 1 : 0));
}

void THttpDownloadProgress::SetProgress(int pProgress) {
  FProgress = pProgress;
  if (OnChange) OnChange(*this);
}

void THttpDownloadProgress::DownloadFile(const std::string& aFileUrl,
                                         const fs::path& aDestinationFile) {
  SetProgress(0);
  FBytesToTransfer = 0;
  std::exception_ptr falha;
  try {
    Baixar(aFileUrl, aDestinationFile);
  } catch (...) {
    falha = std::current_exception();
  }
  FBytesToTransfer = 0;
  if (OnEnd) OnEnd(*this);
  if (falha) std::rethrow_exception(falha);
}

void THttpDownloadProgress::Baixar(const std::string& aFileUrl, const fs::path& aDestinationFile) {
  std::error_code erro;
  if (aDestinationFile.has_parent_path()) {
    fs::create_directories(aDestinationFile.parent_path(), erro);
    if (erro)
      throw EDFeException("Não foi possível criar a pasta \"" +
                          aDestinationFile.parent_path().string() + "\": " + erro.message() + ".");
  }
  DownloadEmCurso download(*this);
  download.temporario = NomeTemporario(aDestinationFile);
  download.arquivo.open(download.temporario, std::ios::binary | std::ios::trunc);
  if (!download.arquivo) FalhaArquivo("criar", download.temporario);
  try {
    HttpTransfer transferencia;
    transferencia.url = aFileUrl;
    transferencia.readTimeout = kTempoLimiteDownload;
    transferencia.userAgent = AgenteUsuario();
    transferencia.identity = &Identidade;
    transferencia.onResponse = [&download](const HttpTransferHead& r) { download.Iniciar(r); };
    transferencia.onBody = [&download](std::string_view dados) { download.Receber(dados); };
    const HttpTransferHead resposta = PerformHttpTransfer(transferencia);
    if (resposta.status != 200)
      throw EDFeException("O servidor respondeu " + HttpStatusText(resposta.status, resposta.reason) +
                          ".");
    if (download.anunciado != 0 && download.recebidos != download.anunciado)
      throw EDFeException("Download incompleto: " + std::to_string(download.recebidos) + " de " +
                          std::to_string(download.anunciado) + " bytes recebidos.");
    if (download.recebidos == 0) throw EDFeException("O servidor enviou um arquivo vazio.");
    download.arquivo.close();
    if (download.arquivo.fail()) FalhaArquivo("gravar", download.temporario);

    FBytesToTransfer = 0;
    SetProgress(100);
    fs::rename(download.temporario, aDestinationFile, erro);
    if (erro) FalhaArquivo("substituir", aDestinationFile, erro.message());
  } catch (...) {
    // Nothing of an incomplete download is left behind.
    download.arquivo.close();
    fs::remove(download.temporario, erro);
    throw;
  }
}

}  // namespace luvaro
