#include "reinf/reinf_eventos.h"

#include <filesystem>
#include <optional>
#include <sstream>
#include <utility>

#include "dfe/config/arquivos_conf.h"
#include "dfe/xml/texto.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_texto.h"

namespace luvaro::reinf {
namespace {

constexpr std::string_view kFimReinf = "</Reinf>";

}  // namespace

// --- TReinfEventos

TReinfEventos::TReinfEventos(TReinfComponente& AReinf, TGeradosCollection& AGerados)
    : FReinf(&AReinf),
      FGerados(&AGerados),
      FR1000(AReinf),
      FR1070(AReinf),
      FR2010(AReinf),
      FR2020(AReinf),
      FR2030(AReinf),
      FR2040(AReinf),
      FR2050(AReinf),
      FR2060(AReinf),
      FR2070(AReinf),
      FR2098(AReinf),
      FR2099(AReinf),
      FR3010(AReinf),
      FR9000(AReinf),
      FColecoes{&FR1000, &FR1070, &FR2010, &FR2020, &FR2030, &FR2040, &FR2050,
                &FR2060, &FR2070, &FR2098, &FR2099, &FR3010, &FR9000} {}

TReinfColecao* TReinfEventos::ColecaoDoTipo(TTipoEvento tipo) const {
  for (TReinfColecao* colecao : FColecoes) {
    if (colecao->TipoEvento() == tipo) return colecao;
  }
  return nullptr;
}

bool TReinfEventos::LoadFromString(const std::string& AXMLString) {
  if (const std::optional<TTipoEvento> tipo = TipoEventoDoXML(AXMLString)) {
    if (TReinfColecao* colecao = ColecaoDoTipo(*tipo)) {
      colecao->NovoEvento().SetXML(AXMLString);
    }
  }
  return Count() > 0;
}

bool TReinfEventos::LoadFromIni(const std::string& AIniString) {
  if (const std::optional<TTipoEvento> tipo = TipoEventoDoINI(AIniString)) {
    if (TReinfColecao* colecao = ColecaoDoTipo(*tipo)) {
      colecao->NovoEvento().LerArqIni(AIniString);
    }
  }
  return Count() > 0;
}

void TReinfEventos::GerarXMLs() {
  for (TReinfColecao* colecao : FColecoes) {
    for (std::size_t i = 0; i < colecao->Count(); ++i) colecao->Evento(i).GerarXML();
  }
}

void TReinfEventos::SaveToFiles(GeradosAnteriores<TGeradosCollectionItem>* anteriores) {
  TConfiguracoesReinf& c = FReinf->Configuracoes();
  std::string pasta = c.Arquivos().PathSalvar();
  if (trimText(pasta).empty()) {
    pasta = IncluirDelimitador(c.Arquivos().GetPathReinf(nowLocal(), c.Geral().IdContribuinte()));
  }
  if (!pasta.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(pasta, ec);  // a failure shows when a file is written
  }

  for (TReinfColecao* colecao : FColecoes) {
    for (std::size_t i = 0; i < colecao->Count(); ++i) {
      TReinfEvento& evento = colecao->Evento(i);
      const std::string digitos = digitsOnly(evento.Id());
      const std::string base = pasta + digitos + "-" + CodigoDoTipoEvento(colecao->TipoEvento()) +
                               "-" + std::to_string(i);
      std::optional<TGeradosCollectionItem> anterior;
      if (!evento.SaveToFileSeAlterado(base) && anteriores) anterior = anteriores->Tomar(base);
      if (anterior) {
        FGerados->Add(std::move(*anterior));
        continue;
      }
      TGeradosCollectionItem& gerado = FGerados->Add();
      gerado.TipoEvento = colecao->TipoEvento();
      gerado.PathNome = base;
      gerado.IdEvento = digitos;
      gerado.XML = evento.XML();
    }
  }
}

void TReinfEventos::Clear() {
  for (TReinfColecao* colecao : FColecoes) colecao->Clear();
}

std::size_t TReinfEventos::Count() const {
  std::size_t total = 0;
  for (const TReinfColecao* colecao : FColecoes) total += colecao->Count();
  return total;
}

// --- TEventos

TEventos::TEventos(TReinfComponente& AOwner) : FOwner(&AOwner), FReinfEventos(AOwner, FGerados) {}

bool TEventos::LoadFromString(const std::string& AXMLString) {
  bool resultado = false;
  // Blanks before the first document are dropped as those between documents are: an XML
  // declaration after them would make the document unreadable for signing.
  std::string resto = trimLeft(AXMLString);
  for (std::size_t p = resto.find(kFimReinf); p != std::string::npos; p = resto.find(kFimReinf)) {
    const std::string documento = resto.substr(0, p + kFimReinf.size());
    resto = trimText(std::string_view(resto).substr(p + kFimReinf.size()));
    resultado = FReinfEventos.LoadFromString(documento);
    SaveToFiles();
  }
  return resultado;
}

bool TEventos::LoadFromStringINI(const std::string& AINIString) {
  const bool resultado = FReinfEventos.LoadFromIni(AINIString);
  SaveToFiles();
  return resultado;
}

bool TEventos::LoadFromFile(const std::string& CaminhoArquivo, bool ArqXML) {
  const std::string texto = LerArquivoTexto(CaminhoArquivo);
  return ArqXML ? LoadFromString(texto) : LoadFromStringINI(texto);
}

bool TEventos::LoadFromIni(const std::string& AIniString) {
  return LoadFromFile(AIniString, false);
}

bool TEventos::LoadFromStream(std::istream& AStream) {
  return LoadFromString(LerStreamTexto(AStream));
}

void TEventos::GerarXMLs() {
  FTipoContribuinte = FOwner->Configuracoes().Geral().TipoContribuinte();
  FReinfEventos.GerarXMLs();
}

void TEventos::SaveToFiles() {
  // Called after every loaded document: the entries of unchanged events move over.
  GeradosAnteriores<TGeradosCollectionItem> anteriores(FGerados.TakeAll());
  FReinfEventos.SaveToFiles(&anteriores);
}

void TEventos::Clear() {
  FReinfEventos.Clear();
  FGerados.Clear();
}

}  // namespace luvaro::reinf
