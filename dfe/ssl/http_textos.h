#pragma once

// The texts of the transport's WinHTTP codes, shared by every HTTP back-end (no library type in
// this header).

#include <string>
#include <string_view>

namespace luvaro {

// "Erro: <code> - <text>": the program's text for the code, else `detail` (the transport
// library's or the system's own words, trimmed); "Erro: <code>" alone when neither exists.
std::string MensagemErroHttp(int code, std::string_view detail = {});

}  // namespace luvaro
