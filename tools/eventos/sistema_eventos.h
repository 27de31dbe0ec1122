#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dfe/secure_string.h"

namespace luvaro {

class IFront;
class TDFeComponente;
class TokenEnvironment;

// What the command line asks of a system: build, sign and validate the events of INI files.
struct PedidoEventos {
  std::string leiaute;                // a layout text of the system, e.g. "02_05_00"
  std::vector<std::string> arquivos;  // the INI files, in the order given
  std::filesystem::path saida;        // where the signed documents go
  std::filesystem::path schemas;      // the folder of the XSD files
  int tipo = 0;                       // the ordinal the system's kind option gives
};

// How the events are signed, read from the environment once at start-up: an A1 file
// (LUVARO_PFX with LUVARO_PFX_SENHA), else a token certificate chosen as the headless front
// chooses it (LUVARO_CERTIFICADO, the PIN from LUVARO_PIN) through the PKCS#11 module that
// LUVARO_PKCS11_MODULE names (the p11-kit proxy by default).
struct AmbienteEventos {
  TokenEnvironment* tokens = nullptr;  // borrowed: made in main()
  IFront* front = nullptr;             // borrowed: made in main()
  std::optional<std::string> arquivoPFX;
  SecureString senhaPFX;
};

// Sets the component's certificate as the environment says: the A1 file, or the token
// certificate that the front chooses. EDFeException when none can be had.
void PrepararCertificado(TDFeComponente& componente, const AmbienteEventos& ambiente);

// Where the results of a run go: the documents written on standard output (one path a line),
// every alert and failure on standard error, one line each, prefixed with the event's
// identifier (or the file's name when the event has none yet).
class RelatoEventos {
 public:
  RelatoEventos(std::ostream& saida, std::ostream& erros) : m_saida(saida), m_erros(erros) {}

  void Documento(const std::filesystem::path& arquivo);
  // Each line of `texto` on its own, prefixed with `origem` and ": ".
  void Alerta(const std::string& origem, const std::string& texto);
  // An alert about an event that was not built, signed or valid: the run ends with exit code 1.
  void Falha(const std::string& origem, const std::string& texto);
  bool Falhou() const { return m_falhou; }

 private:
  std::ostream& m_saida;
  std::ostream& m_erros;
  bool m_falhou = false;
};

// A writer alert as the tool prints it: the writer's "TAG:<open tags> ID:..." with the open
// tags given as their path (evtRemun/dmDev/...), the declaration left out. Any other text is
// returned as it is.
std::string AlertaLegivel(const std::string& alerta);

// The template of one event in one layout, embedded from the generator's commented INI texts.
struct ModeloIni {
  std::string_view codigo;   // "S-1200"
  std::string_view leiaute;  // "02_05_00"
  std::string_view texto;
};
// The template of `codigo` in `leiaute`; the code is matched without regard to letter case
// and to its hyphen ("s1200" finds S-1200).
std::optional<std::string_view> ProcurarModelo(std::span<const ModeloIni> modelos,
                                               std::string_view codigo, std::string_view leiaute);

// The option that tells a system's kind of taxpayer as the ordinal of its enumeration
// (--tipo-empregador of eSocial, TEmpregador; --tipo-contribuinte of EFD-Reinf, TContribuinte).
struct OpcaoTipoEventos {
  std::string_view nome;       // "--tipo-empregador"
  int maior = 0;               // the largest ordinal; 0 is the default
  std::string_view descricao;  // its line in the usage text, after the option's name
};

// A government system the tool serves. A further system is one more source file that fills
// this table entry, and one line in SistemasEventos().
struct SistemaEventos {
  std::string_view nome;                   // the first argument: "esocial"
  std::vector<std::string_view> leiautes;  // the layout texts it accepts
  OpcaoTipoEventos opcaoTipo;
  // Loads every INI file, builds, signs and validates its event and writes the signed document
  // into pedido.saida; reports into `relato`. Failures of single events do not stop the others.
  void (*Gerar)(const PedidoEventos& pedido, const AmbienteEventos& ambiente,
                RelatoEventos& relato);
  // The commented INI templates of its events, per layout.
  std::span<const ModeloIni> (*Modelos)();
};

// Every system, in the order the usage text lists them.
std::span<const SistemaEventos> SistemasEventos();
SistemaEventos SistemaeSocialEventos();
SistemaEventos SistemaReinfEventos();

}  // namespace luvaro
