#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"

namespace luvaro {

// The command line as the job reads it; each worker receives its own copy.
struct TRecParametros {
  TTipoProcesso processoExecutar = TTipoProcesso::procEnvioXML;  // position 2
  std::string urlOrvaneXml;       // position 3: ERP base URL, ends with "/"
  std::string protocoloConsulta;  // position 4, process 1 only
  std::int32_t grupoESocial = 0;  // position 4, process 0 only (1..3)
  std::int32_t ambiente = 0;      // position 5: 0 production, 1 restricted production
  std::string versaoOrvane;       // position 1: installed ERP version
  std::string empresaKey;         // position 6
  std::string tipoProjeto;        // position 7: "esocial", "reinf", "esocialbx"; empty = "esocial"
};

// A command line the reader refuses; the message is the detail shown under
// "Erro na leitura dos parâmetros.".
class EParametroInvalido : public EDFeException {
 public:
  using EDFeException::EDFeException;
};

// Position i of the command line (0 = the executable), empty when missing.
std::string Posicao(const std::vector<std::string>& pArgs, std::size_t i);

// The log line of the reader: "Inicio Applicação com os parametros: " and positions 0..7,
// each followed by two blanks.
std::string LinhaLogParametros(const std::vector<std::string>& pArgs);

// Checks and reads positions 1..7 in the fixed order; throws EParametroInvalido with the
// first failing check's message.
TRecParametros LerParametros(const std::vector<std::string>& pArgs);

// A decimal 32-bit integer (leading blanks and a sign allowed), else EParametroInvalido
// "'<text>' não é um valor inteiro válido".
std::int32_t StrToInt(const std::string& pTexto);

}  // namespace luvaro
