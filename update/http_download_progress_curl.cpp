#include "update/http_download_progress.h"

#include <fstream>
#include <limits>
#include <random>
#include <system_error>

#include "dfe/raii/curl_transfer.h"
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

// One download while curl runs it: the temporary file and what has arrived.
struct DownloadEmCurso {
  explicit DownloadEmCurso(THttpDownloadProgress& pDono) : dono(pDono) {}

  THttpDownloadProgress& dono;
  CURL* curl = nullptr;
  fs::path temporario;
  std::ofstream arquivo;
  CurlTransfer transferencia;
  std::int64_t recebidos = 0;
  std::int64_t anunciado = 0;  // 0: the server did not say
  bool corpoIniciado = false;

  size_t Receber(const char* data, size_t tamanho) {
    const long status = CurlResponseCode(curl);
    if (status >= 300 && status < 400) return tamanho;  // a redirect being followed
    if (status != 200)
      throw EDFeException("O servidor respondeu " + HttpStatusText(status, transferencia.reason) +
                          ".");
    if (!corpoIniciado) {
      corpoIniciado = true;
      curl_off_t total = -1;
      curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
      anunciado = total > 0 ? total : 0;
      dono.FBytesToTransfer = anunciado;
    }
    arquivo.write(data, static_cast<std::streamsize>(tamanho));
    if (!arquivo) FalhaArquivo("gravar", temporario);
    recebidos += static_cast<std::int64_t>(tamanho);
    if (dono.FBytesToTransfer != 0)
      dono.SetProgress(PercentualProgresso(recebidos, dono.FBytesToTransfer));
    return tamanho;
  }
};

namespace {

size_t AoReceber(char* data, size_t size, size_t count, void* user) {
  auto* download = static_cast<DownloadEmCurso*>(user);
  try {
    return download->Receber(data, size * count);
  } catch (...) {
    download->transferencia.failure = std::current_exception();
    return 0;  // curl ends the transfer with a write error
  }
}

}  // namespace

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
    CurlEasyPtr curl = NewCurlEasy();
    CURL* h = curl.get();
    download.curl = h;
    PrepareCurlTransfer(h, download.transferencia, kTempoLimiteDownload, AgenteUsuario());
    SetCurlOption(h, CURLOPT_URL, aFileUrl.c_str());
    VerifyServerIdentity(h, download.transferencia, Identidade, aFileUrl);
    SetCurlOption(h, CURLOPT_HTTPGET, 1L);
    SetCurlOption(h, CURLOPT_WRITEFUNCTION, &AoReceber);
    SetCurlOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&download));
    PerformCurlTransfer(h, download.transferencia);

    const long status = CurlResponseCode(h);
    if (status != 200)
      throw EDFeException("O servidor respondeu " +
                          HttpStatusText(status, download.transferencia.reason) + ".");
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
