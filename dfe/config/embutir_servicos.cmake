# Writes OUTPUT, a C++ file that holds each INI file of INPUTS (a ;-list) as bytes with CR LF
# line ends, looked up by the file's base name through ServicosEmbutidos().
# Run as: cmake -DOUTPUT=<file.cpp> -DINPUTS=<a.ini;b.ini> -P embutir_servicos.cmake

set(body "")
set(table "")
set(index 0)
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME_WE)
  file(READ "${input}" hex HEX)
  string(REGEX MATCHALL ".." bytes "${hex}")
  set(out "")
  set(previous "")
  set(count 0)
  foreach(byte IN LISTS bytes)
    if(byte STREQUAL "0a" AND NOT previous STREQUAL "0d")
      string(APPEND out "0x0d,")
      math(EXPR count "${count} + 1")
    endif()
    string(APPEND out "0x${byte},")
    math(EXPR count "${count} + 1")
    set(previous "${byte}")
  endforeach()
  string(APPEND body "constexpr unsigned char kTabela${index}[] = {${out}0x00};\n")
  string(APPEND table "    {\"${name}\", kTabela${index}, ${count}},\n")
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}.tmp" "// Generated from dfe/config/servicos/*.ini by embutir_servicos.cmake; do not edit.

#include \"dfe/config/servicos_embutidos.h\"

#include <cstddef>

namespace luvaro {
namespace {

${body}
struct Tabela {
  const char* nome;
  const unsigned char* dados;
  std::size_t tamanho;
};

constexpr Tabela kTabelas[] = {
${table}};

}  // namespace

std::optional<std::string_view> ServicosEmbutidos(std::string_view nome) {
  for (const Tabela& t : kTabelas) {
    if (nome == t.nome) return std::string_view(reinterpret_cast<const char*>(t.dados), t.tamanho);
  }
  return std::nullopt;
}

}  // namespace luvaro
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
