#include "esocial/eventos.h"

#include <iterator>
#include <utility>

#include "dfe/dfe_exception.h"
#include "dfe/xml/leitor.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/esocial_componente.h"

namespace luvaro {

std::vector<std::string> DividirEventos(const std::string& texto) {
  return DividirDocumentos(texto, kFimEventoeSocial);
}

TEventos::TEventos(TeSocialComponente& AOwner)
    : FPOwner(&AOwner),
      FIniciais(std::make_unique<TIniciais>(*this)),
      FTabelas(std::make_unique<TTabelas>(*this)),
      FNaoPeriodicos(std::make_unique<TNaoPeriodicos>(*this)),
      FPeriodicos(std::make_unique<TPeriodicos>(*this)) {}

TEventos::~TEventos() = default;

int TEventos::Count() const {
  int total = 0;
  for (const TeSocialGrupo* grupo : Grupos()) total += grupo->Count();
  return total;
}

void TEventos::Clear() {
  for (TeSocialGrupo* grupo : Grupos()) grupo->Clear();
  FGerados.clear();
}

bool TEventos::LoadFromString(const std::string& AXMLString) {
  bool resultado = false;
  for (const std::string& peca : DividirEventos(AXMLString)) {
    // All four groups see every piece; a failing event ends the call before the save.
    bool carregado = false;
    for (TeSocialGrupo* grupo : Grupos()) carregado = grupo->LoadFromString(peca) || carregado;
    SaveToFiles();
    resultado = carregado;
  }
  return resultado;
}

bool TEventos::LoadFromStringINI(const std::string& AINIString) {
  bool resultado = false;
  for (TeSocialGrupo* grupo : Grupos()) resultado = grupo->LoadFromIni(AINIString) || resultado;
  SaveToFiles();
  return resultado;
}

bool TEventos::LoadFromFile(const std::string& CaminhoArquivo, bool ArqXML) {
  TLeitor leitor;
  leitor.CarregarArquivo(CaminhoArquivo);
  return ArqXML ? LoadFromString(leitor.Arquivo()) : LoadFromStringINI(leitor.Arquivo());
}

bool TEventos::LoadFromIni(const std::string& AIniString) {
  return LoadFromFile(AIniString, false);
}

bool TEventos::LoadFromStream(std::istream& AStream) {
  AStream.clear();
  AStream.seekg(0, std::ios::beg);
  std::string texto((std::istreambuf_iterator<char>(AStream)), std::istreambuf_iterator<char>());
  if (AStream.bad()) throw EDFeException("Falha ao ler o stream de eventos.");
  return LoadFromString(texto);
}

void TEventos::GerarXMLs() {
  FTipoEmpregador = FPOwner->Configuracoes().Geral().TipoEmpregador();
  for (TeSocialGrupo* grupo : Grupos()) grupo->GerarXMLs();
}

void TEventos::SaveToFiles() {
  // Called after every loaded document: the entries of unchanged events move over.
  GeradosAnteriores<TGeradosCollectionItem> anteriores(std::move(FGerados));
  FGerados.clear();
  for (TeSocialGrupo* grupo : Grupos()) grupo->SaveToFiles(&anteriores);
}

}  // namespace luvaro
