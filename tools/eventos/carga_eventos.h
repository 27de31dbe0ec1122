#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/eventos/sistema_eventos.h"

namespace luvaro {

class TConfiguracoes;

// The settings every system's component takes from the command line: the back-ends of the
// program's own configuration (the certificate store of the platform, libxml2 signing), every
// schema failure rather than the first line, the schema folder, and each document written
// straight into the output folder. The system sets its layout, its kind of taxpayer and its
// own event folder.
void ConfigurarComponente(TConfiguracoes& configuracoes, const PedidoEventos& pedido);

// Creates the output folder of the run; EDFeException when it cannot be.
void CriarPastaSaida(const std::filesystem::path& pasta);

// The outcome of the INI files of one run, one file at a time, as every system reports it:
// the writer's alerts and the failure of each event after its identifier, and the refusal of
// a second event under an identifier the run has already given out (the government keeps
// only the first).
class CargaEventos {
 public:
  explicit CargaEventos(RelatoEventos& relato) : m_relato(relato) {}

  // A file that gave no event: why, after the file's name.
  void SemEvento(const std::string& origem, const std::string& motivo);

  // The event that the file `origem` added, with `falha` the message of what stopped its
  // building, signing or validation (empty when nothing did); `secao` is the INI section of
  // its Sequencial. True when the event is kept; false when the caller must take it out again.
  template <class Evento>
  bool Concluir(const std::string& origem, Evento& evento, const std::string& falha,
                std::string_view secao) {
    return ConcluirEvento(origem, evento.Id(), evento.Gerador().ListaDeAlertas(), falha, secao);
  }

 private:
  bool ConcluirEvento(const std::string& origem, const std::string& id,
                      const std::vector<std::string>& alertas, std::string falha,
                      std::string_view secao);

  RelatoEventos& m_relato;
  std::map<std::string, std::string> m_identificadores;  // Id -> the file of its event
};

}  // namespace luvaro
