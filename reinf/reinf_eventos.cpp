#include "reinf/reinf_eventos.h"

#include <filesystem>
#include <sstream>

#include "dfe/config/arquivos_conf.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "reinf/reinf_componente.h"
#include "reinf/reinf_texto.h"

namespace luvaro::reinf {

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

void TReinfEventos::Carregar(const std::string& AXMLString,
                             const std::function<void(TReinfColecao&, std::size_t)>& pAoManter) {
  const std::optional<TTipoEvento> tipo = TipoEventoDoXML(AXMLString);
  TReinfColecao* colecao = tipo ? ColecaoDoTipo(*tipo) : nullptr;
  if (colecao == nullptr) return;

  TReinfEvento& evento = colecao->NovoEvento();
  try {
    evento.SetXML(AXMLString);
  } catch (...) {
    // Only a signed event may travel in a lot: one whose loading ended before its signature
    // (not XML, no key, the token refused) leaves its collection again. A signed event that
    // failed its schema stays; the service judges it.
    if (evento.XMLAssinado().empty()) {
      colecao->ExcluirUltimo();
    } else if (pAoManter) {
      pAoManter(*colecao, colecao->Count() - 1);
    }
    throw;
  }
  if (pAoManter) pAoManter(*colecao, colecao->Count() - 1);
}

bool TReinfEventos::LoadFromString(const std::string& AXMLString) {
  Carregar(AXMLString, nullptr);
  return Count() > 0;
}

bool TReinfEventos::LoadFromStringESalvar(const std::string& AXMLString) {
  Carregar(AXMLString, [this](TReinfColecao& colecao, std::size_t indice) {
    // Its place in the walk order: the events of the collections before its own, then its
    // index (collections only grow at their end while documents are loaded).
    std::size_t posicao = indice;
    for (const TReinfColecao* anterior : FColecoes) {
      if (anterior == &colecao) break;
      posicao += anterior->Count();
    }
    SalvarEvento(PastaEventos(), colecao, indice, FGerados->Insert(posicao));
  });
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

std::string TReinfEventos::PastaEventos() const {
  TConfiguracoesReinf& c = FReinf->Configuracoes();
  std::string pasta = c.Arquivos().PathSalvar();
  if (trimText(pasta).empty()) {
    pasta = IncluirDelimitador(c.Arquivos().GetPathReinf(nowLocal(), c.Geral().IdContribuinte()));
  }
  if (!pasta.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(pasta, ec);  // a failure shows when a file is written
  }
  return pasta;
}

void TReinfEventos::SalvarEvento(const std::string& pasta, TReinfColecao& colecao,
                                 std::size_t Index, TGeradosCollectionItem& gerado) {
  TReinfEvento& evento = colecao.Evento(Index);
  const std::string digitos = digitsOnly(evento.Id());
  const std::string base = pasta + digitos + "-" + CodigoDoTipoEvento(colecao.TipoEvento()) + "-" +
                           std::to_string(Index);
  evento.SaveToFile(base);
  gerado.TipoEvento = colecao.TipoEvento();
  gerado.PathNome = base;
  gerado.IdEvento = digitos;
  gerado.XML = evento.XML();
}

void TReinfEventos::SaveToFiles() {
  const std::string pasta = PastaEventos();
  for (TReinfColecao* colecao : FColecoes) {
    for (std::size_t i = 0; i < colecao->Count(); ++i)
      SalvarEvento(pasta, *colecao, i, FGerados->Add());
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
  // declaration after them would make the document unreadable for signing. Each event's file
  // is written once, when it is loaded, not every event again after each document.
  for (const std::string& documento : DividirDocumentos(trimLeft(AXMLString), kFimEventoReinf))
    resultado = FReinfEventos.LoadFromStringESalvar(documento);
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
  FGerados.Clear();
  FReinfEventos.SaveToFiles();
}

void TEventos::Clear() {
  FReinfEventos.Clear();
  FGerados.Clear();
}

}  // namespace luvaro::reinf
