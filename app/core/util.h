#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/pastas_aplicacao.h"

namespace luvaro {

// The job named by command-line position 2.
enum class TTipoProcesso : std::uint8_t {
  procEnvioXML = 0,           // send a lot fetched from the ERP
  procConsultaProtocolo = 1,  // query a sent lot by its protocol number
  procConsultaEBX = 2,        // table-event query and download
};

// Stateless helpers of the application: its folder, the daily log, the process kill and the
// digits-only filter. Safe to call from any thread.
class TUtil {
 public:
  TUtil() = delete;

  // The application folder ending with the path separator ('/'; '\\' on Windows, where a '/'
  // ending LUVARO_HOME is kept), as UTF-8 text: LUVARO_HOME when set and not empty; else the
  // folder of the running executable, or, for a program installed by a system package, the
  // user's folder (see TPastasAplicacao).
  static std::string GetAppPath();
  // The program's folders under the current environment.
  static TPastasAplicacao Pastas();
  // Where a file or folder the program reads but does not write (schemas, cadeias, a service
  // table) is taken from: the application folder's own, else the installed program's.
  static std::filesystem::path GetDataPath(std::string_view nome);

  // Appends "dd-MM-yyyy HH:mm:ss - " + pMessage + CR LF, in the system's ANSI code page
  // (platform::TextoAnsi), to Logs/log_dd_MM_yyyy.txt inside the
  // application folder, in local time. Nothing is written (and nothing fails) when the Logs
  // folder does not exist; the program never creates it. Throws EDFeException when the file
  // cannot be created, opened or written. Each line goes out in one write, so lines of
  // concurrent callers (threads or other instances) never interleave.
  static void LogAppend(const std::string& pMessage);
  // The same with the moment given by the caller (tests inject it to cross midnight).
  static void LogAppend(const std::string& pMessage, std::chrono::system_clock::time_point pAgora);

  // Sends the termination request to the first running process (in the order the system lists
  // them) whose executable file name, or whole executable path, equals ExeFileName without
  // regard to letter case. Returns -1 when nothing matched, else 1 when the request was
  // delivered and 0 when it was refused. At most one process per call. A process of this
  // program ends on that request with its own current exit code.
  static int MatarProcesso(const std::string& ExeFileName);

  // The id of this process.
  static int IdDoProcesso();
  // The ids of the running processes; empty when the system's list cannot be read.
  static std::vector<int> ProcessosEmExecucao();

  // The ASCII digits 0..9 of pTexto, in their order.
  static std::string SomenteNumero(const std::string& pTexto);
};

}  // namespace luvaro
