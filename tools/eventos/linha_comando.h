#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/eventos/sistema_eventos.h"

namespace luvaro {

// The exit codes of luvaro-eventos.
inline constexpr int kSaidaSucesso = 0;       // every event built, signed and valid
inline constexpr int kSaidaFalhaEvento = 1;   // some event was not (the others were written)
inline constexpr int kSaidaLinhaComando = 2;  // a wrong command line; nothing was done

// The usage text, naming every system and its layouts.
std::string TextoDeUso();

// Runs the tool with the arguments that follow the program's name: builds the events of the
// INI files, or prints a template (--modelo), or the usage text (--ajuda). Returns the exit code.
int ExecutarEventos(const std::vector<std::string>& argumentos, const AmbienteEventos& ambiente,
                    std::ostream& saida, std::ostream& erros);

}  // namespace luvaro
