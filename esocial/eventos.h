#pragma once

#include <array>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "esocial/esocial_conversao.h"
#include "esocial/eventos/iniciais.h"
#include "esocial/eventos/nao_periodicos.h"
#include "esocial/eventos/periodicos.h"
#include "esocial/eventos/tabelas.h"

namespace luvaro {

class TeSocialComponente;

// One event file written by the last SaveToFiles.
struct TGeradosCollectionItem {
  TTipoEvento TipoEvento = TTipoEvento::teS1000;
  std::string PathNome;  // the file written, without ".xml"
  std::string XML;       // the event document
  std::string idEvento;  // the digits of the event's Id
};
using TGeradosCollection = std::vector<TGeradosCollectionItem>;

// The event documents of a text: each piece runs from the start of the remaining text up to
// and including the first "</eSocial>" (letter case counts); the rest, trimmed of white space
// at both ends, is searched next. Text after the last "</eSocial>" is dropped.
std::vector<std::string> DividirEventos(const std::string& texto);
// The closing tag that ends every eSocial event document.
inline constexpr std::string_view kFimEventoeSocial = "</eSocial>";

// The events of the next lot, sorted by type into four groups. Loading a document recognises
// its type, creates an event of that type in its group and assigns the document (which signs
// and validates it). The lot walks the groups in the order Iniciais, Tabelas, NaoPeriodicos,
// Periodicos, and each group its collections in table order.
class TEventos {
 public:
  explicit TEventos(TeSocialComponente& AOwner);
  ~TEventos();
  TEventos(const TEventos&) = delete;  // its groups point back to it
  TEventos& operator=(const TEventos&) = delete;

  TIniciais& Iniciais() { return *FIniciais; }
  TTabelas& Tabelas() { return *FTabelas; }
  TNaoPeriodicos& NaoPeriodicos() { return *FNaoPeriodicos; }
  TPeriodicos& Periodicos() { return *FPeriodicos; }
  // The four groups in lot order.
  std::array<TeSocialGrupo*, 4> Grupos() const {
    return {FIniciais.get(), FTabelas.get(), FNaoPeriodicos.get(), FPeriodicos.get()};
  }

  TEmpregador TipoEmpregador() const { return FTipoEmpregador; }
  void SetTipoEmpregador(TEmpregador value) { FTipoEmpregador = value; }
  TGeradosCollection& Gerados() { return FGerados; }
  const TGeradosCollection& Gerados() const { return FGerados; }
  TeSocialComponente& Owner() const { return *FPOwner; }

  // The sum of the four groups' counts.
  int Count() const;
  // Empties the four groups and Gerados; the events are freed.
  void Clear();

  // Splits the text after each "</eSocial>", offers every piece to the four groups and saves
  // the container after each piece. Returns the last piece's result (some group holds an
  // event); false when the text holds no "</eSocial>". A failing event ends the call there.
  bool LoadFromString(const std::string& AXMLString);
  // Every group reads the INI text, then the container is saved; the OR of the four results.
  bool LoadFromStringINI(const std::string& AINIString);
  // Reads the file (lines joined with CR LF) and loads it as documents or as INI text.
  bool LoadFromFile(const std::string& CaminhoArquivo, bool ArqXML = true);
  // LoadFromFile(AIniString, false): the argument is a file path.
  bool LoadFromIni(const std::string& AIniString);
  // Reads the whole stream from its start and loads it as documents.
  bool LoadFromStream(std::istream& AStream);

  // Copies TipoEmpregador from the configuration and builds every event from its data.
  void GerarXMLs();
  // Clears Gerados and saves every group's events.
  void SaveToFiles();

 private:
  TeSocialComponente* FPOwner;  // borrowed: the component owns the container
  std::unique_ptr<TIniciais> FIniciais;
  std::unique_ptr<TTabelas> FTabelas;
  std::unique_ptr<TNaoPeriodicos> FNaoPeriodicos;
  std::unique_ptr<TPeriodicos> FPeriodicos;
  TEmpregador FTipoEmpregador = TEmpregador::tePessoaJuridica;
  TGeradosCollection FGerados;
};

}  // namespace luvaro
