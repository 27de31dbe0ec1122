#pragma once

#include <optional>
#include <string_view>

namespace luvaro {

// The service address tables compiled into the program from dfe/config/servicos/*.ini (CR LF
// line ends), looked up by name ("DFeServicos", "eSocialServicos", "ReinfServicos"); nothing
// for an unknown name.
std::optional<std::string_view> ServicosEmbutidos(std::string_view nome);

}  // namespace luvaro
