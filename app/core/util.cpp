#include "app/core/util.h"

#include <cctype>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/core/platform.h"

namespace fs = std::filesystem;

namespace luvaro {
namespace {

std::tm LocalTime(std::chrono::system_clock::time_point moment) {
  const std::time_t t = std::chrono::system_clock::to_time_t(moment);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

std::string Format(const std::tm& local, const char* pattern) {
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
  return std::string(buffer, n);
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string TUtil::GetAppPath() {
  const std::u8string texto = Pastas().Usuario.u8string();
  std::string folder(texto.begin(), texto.end());
  constexpr char kSeparador = static_cast<char>(fs::path::preferred_separator);
  if (folder.empty() || (folder.back() != kSeparador && folder.back() != '/')) folder += kSeparador;
  return folder;
}

TPastasAplicacao TUtil::Pastas() {
  return ResolverPastasAplicacao(platform::ExecutablePath().parent_path(),
                                 AmbientePastas::DoProcesso());
}

fs::path TUtil::GetDataPath(std::string_view nome) {
  return Pastas().Leitura(nome);
}

void TUtil::LogAppend(const std::string& pMessage) {
  LogAppend(pMessage, std::chrono::system_clock::now());
}

void TUtil::LogAppend(const std::string& pMessage, std::chrono::system_clock::time_point pAgora) {
  const fs::path folder = fs::path(GetAppPath()) / "Logs";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return;  // logging is switched on by creating the folder

  const std::tm local = LocalTime(pAgora);
  const fs::path file = folder / ("log_" + Format(local, "%d_%m_%Y") + ".txt");
  const std::string quando = Format(local, "%d-%m-%Y %H:%M:%S");
  std::string linha;  // one allocation: the message may be a whole lot
  linha.reserve(quando.size() + 3 + pMessage.size() + 2);
  linha.append(quando).append(" - ").append(pMessage).append("\r\n");
  platform::AppendTextToFile(file, linha);
}

int TUtil::MatarProcesso(const std::string& ExeFileName) {
  const std::string wanted = ToUpperAscii(ExeFileName);
  for (const platform::ProcessEntry& entry : platform::ListProcesses()) {
    const std::string whole = ToUpperAscii(entry.exePath);
    const std::string name = ToUpperAscii(fs::path(entry.exePath).filename().string());
    if (name == wanted || whole == wanted) return platform::RequestProcessEnd(entry.pid) ? 1 : 0;
  }
  return -1;
}

int TUtil::IdDoProcesso() {
  return platform::CurrentProcessId();
}

std::vector<int> TUtil::ProcessosEmExecucao() {
  std::vector<int> ids;
  for (const platform::ProcessEntry& entry : platform::ListProcesses()) ids.push_back(entry.pid);
  return ids;
}

std::string TUtil::SomenteNumero(const std::string& pTexto) {
  std::string digits;
  for (char c : pTexto)
    if (c >= '0' && c <= '9') digits += c;
  return digits;
}

}  // namespace luvaro
