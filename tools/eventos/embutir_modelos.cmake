# Writes a C++ source that holds the INI templates of one system's events, from the
# generator's commented INI files "<code>-<layout>.ini" (cmake -P, at build time):
#   -DPASTA=<folder of the .ini files> -DSAIDA=<source to write> -DFUNCAO=<function name>
file(GLOB arquivos "${PASTA}/*.ini")
list(SORT arquivos)
set(texto "// Made at build time by tools/eventos/embutir_modelos.cmake from ${PASTA}.\n")
string(APPEND texto "#include \"tools/eventos/sistema_eventos.h\"\n\nnamespace luvaro {\nnamespace {\n\n")
string(APPEND texto "const ModeloIni kModelos[] = {\n")
foreach(arquivo IN LISTS arquivos)
  get_filename_component(nome "${arquivo}" NAME_WE)
  # "S-1200-02_05_00": the code is the first six characters, the layout what follows.
  string(SUBSTRING "${nome}" 0 6 codigo)
  string(SUBSTRING "${nome}" 7 -1 leiaute)
  file(READ "${arquivo}" conteudo)
  if(conteudo MATCHES "\\)ini\"")
    message(FATAL_ERROR "${arquivo} holds the raw string's end mark )ini\"")
  endif()
  string(APPEND texto "    {\"${codigo}\", \"${leiaute}\", R\"ini(${conteudo})ini\"},\n")
endforeach()
string(APPEND texto "};\n\n}  // namespace\n\n")
string(APPEND texto "std::span<const ModeloIni> ${FUNCAO}() {\n  return kModelos;\n}\n\n}  // namespace luvaro\n")
file(WRITE "${SAIDA}.tmp" "${texto}")
file(COPY_FILE "${SAIDA}.tmp" "${SAIDA}" ONLY_IF_DIFFERENT)
file(REMOVE "${SAIDA}.tmp")
