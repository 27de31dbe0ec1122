// The texts the user reads for the transport's WinHTTP codes.

#include "dfe/ssl/http_textos.h"

#include <array>

namespace luvaro {

namespace {

struct WinHttpText {
  int code;
  const char* text;
};

// The texts the user reads for the codes that matter to the user.
constexpr std::array kWinHttpTexts{
    WinHttpText{12002, "TimeOut de Requisição"},
    WinHttpText{12007, "O nome do servidor não pode ser resolvido"},
    WinHttpText{12029, "Conexão com o Servidor falhou"},
    WinHttpText{12030,
                "A conexão com o servidor foi redefinida ou encerrada, ou um protocolo SSL "
                "incompatível foi encontrado"},
    WinHttpText{12031, "A conexão com o servidor foi redefinida"},
    WinHttpText{12045, "Certificado raiz não é confiável pelo provedor de confiança"},
    WinHttpText{12057,
                "Revogação do Certificado não pode ser verificada porque o servidor de revogação "
                "está offline"},
    WinHttpText{12157, "Erro relacionado ao Canal Seguro"},
    WinHttpText{12175,
                "Um ou mais erros foram encontrados no certificado Secure Sockets Layer (SSL) "
                "enviado pelo servidor"},
    WinHttpText{12185,
                "O contexto para o certificado de cliente SSL não tem uma chave privada associada "
                "a ele. O certificado de cliente pode ter sido importado para o computador sem a "
                "chave privada"},
    WinHttpText{12186, "Falha ao obter a Chave Privada do Certificado para comunicação segura"},
};

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::string MensagemErroHttp(int code, std::string_view detail) {
  std::string text = "Erro: " + std::to_string(code);
  std::string_view meaning;
  for (const auto& row : kWinHttpTexts) {
    if (row.code == code) meaning = row.text;
  }
  if (meaning.empty()) meaning = trimmed(detail);
  if (!meaning.empty()) {
    text += " - ";
    text += meaning;
  }
  return text;
}

}  // namespace luvaro
