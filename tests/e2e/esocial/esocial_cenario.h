#pragma once

// The world of an eSocial run on one machine: an application folder with the schemas, the
// Logs folder and a service table pointing at luvaro-sim's eSocial role; luvaro-sim as the ERP
// (the lots of tests/fixtures/e2e_esocial/erp), as the eSocial services (HTTPS, client
// certificates from the test CA) and as the update server (no update); the SoftHSM test token.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace luvaro::test {

// A loopback port that refuses connections: bound, never listening.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;  // one owner closes the socket
  RefusingPort& operator=(const RefusingPort&) = delete;
  int Port() const { return m_port; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

 private:
  int m_fd = -1;
  int m_port = 0;
};

class EsocialCenario {
 public:
  // Company keys of the ERP fixtures.
  static constexpr std::string_view kEmpresa = "EMPRESA-DEMO";        // ten documents
  static constexpr std::string_view kEmpresaVazia = "EMPRESA-VAZIA";  // no document
  // Three documents of the lot above, each opening with another spelling of the declaration.
  static constexpr std::string_view kEmpresaDeclaracoes = "EMPRESA-DECLARACOES";
  // A good S-1000 and, beside it, an S-1005 that is not well-formed XML.
  static constexpr std::string_view kEmpresaMalformado = "EMPRESA-MALFORMADO";
  // A lot of the layout S-1.3: twelve valid events, one invalid, one of no known element.
  static constexpr std::string_view kEmpresaS13 = "EMPRESA-S13";
  static constexpr std::string_view kTransmissor = "12345678000195";
  static constexpr std::string_view kLotePath = "lotes/2024/05/lote-0001";
  static constexpr std::string_view kVersaoOrvane = "4.0.01-180629";

  // With pAnunciarGoverno, the eSocial role writes a line on its standard output for every
  // request it records (SimProcess::ReadLine), before any delay fault. The ERP hands out the
  // lots of pFixturesErp (the folder form of its --fixtures), by default the ones above.
  explicit EsocialCenario(bool pAnunciarGoverno = false,
                          const std::filesystem::path& pFixturesErp = {});

  const std::filesystem::path& Home() const { return m_home.path(); }
  SimProcess& Erp() { return m_erp; }
  SimProcess& Governo() { return m_esocial; }

  // The environment of a headless run: application folder, update server, the SoftHSM module,
  // the company certificate and the token's PIN, a generous web-service time-out.
  std::map<std::string, std::string> Ambiente() const;

  // Command lines: send a lot of group 1 / query a protocol / the table-event process, in
  // restricted production, for the company key.
  std::vector<std::string> ArgsEnvio(std::string_view empresa = kEmpresa) const;
  std::vector<std::string> ArgsConsulta(const std::string& protocolo) const;
  std::vector<std::string> ArgsProcesso2() const;

  // The text of the daily logs.
  std::string Logs() const;

 private:
  TempDir m_home{"luvaro-e2e-esocial"};
  SimProcess m_update;
  SimProcess m_erp;
  SimProcess m_esocial;
};

// The serial number of a certificate of the shared test token.
std::string SerialDe(std::string_view nome);

// The text between the first `inicio` and the next `fim` after it ("" when absent).
std::string Entre(const std::string& texto, std::string_view inicio, std::string_view fim);

// How many times `parte` occurs in `texto`.
int Ocorrencias(const std::string& texto, std::string_view parte);

// The event documents of a lot as sent (each evento's content without its leading blank),
// with their evento Id.
struct EventoDoLote {
  std::string id;
  std::string documento;
};
std::vector<EventoDoLote> EventosDoLote(const std::string& corpoSoap);

// xmlsec1's verdict on a signed document against the test CA; the output on failure.
bool XmlsecVerifica(const std::string& documento, const std::filesystem::path& pasta,
                    std::string* saida);

// The value of a text member of a JSON object body.
std::string MembroJson(const std::string& corpo, const std::string& nome);

// The current local month as MMyyyy.
std::string MesAtual();

}  // namespace luvaro::test
