#include "esocial/eventos/esocial_grupo.h"

#include <optional>
#include <utility>

#include "dfe/xml/texto.h"
#include "esocial/esocial_evento.h"
#include "esocial/eventos.h"

namespace luvaro {

TeSocialGrupo::TeSocialGrupo(TEventos& AOwner) : FPOwner(&AOwner) {}

TeSocialGrupo::~TeSocialGrupo() = default;

TeSocialComponente& TeSocialGrupo::Componente() const {
  return FPOwner->Owner();
}

void TeSocialGrupo::Registrar(std::initializer_list<TeSocialColecaoEventos*> colecoes) {
  FColecoes.assign(colecoes.begin(), colecoes.end());
}

TeSocialColecaoEventos* TeSocialGrupo::ColecaoDoTipo(TTipoEvento tipo) const {
  for (TeSocialColecaoEventos* colecao : FColecoes) {
    if (colecao->TipoEvento() == tipo) return colecao;
  }
  return nullptr;
}

int TeSocialGrupo::Count() const {
  int total = 0;
  for (const TeSocialColecaoEventos* colecao : FColecoes) total += colecao->Count();
  return total;
}

void TeSocialGrupo::Clear() {
  for (TeSocialColecaoEventos* colecao : FColecoes) colecao->Clear();
}

void TeSocialGrupo::GerarXMLs() {
  for (TeSocialColecaoEventos* colecao : FColecoes) {
    for (int i = 0; i < colecao->Count(); ++i) colecao->Evento(i).GerarXML();
  }
}

void TeSocialGrupo::SaveToFiles(GeradosAnteriores<TGeradosCollectionItem>* anteriores) {
  TConfiguracoeseSocial& configuracoes = Componente().Configuracoes();
  const std::string pasta = IncluirDelimitador(
      configuracoes.Arquivos().GetPatheSocial(configuracoes.Geral().IdEmpregador(), nowLocal()));

  for (TeSocialColecaoEventos* colecao : FColecoes) {
    for (int i = 0; i < colecao->Count(); ++i) {
      const TeSocialEvento& evento = colecao->Evento(i);
      const std::string digitos = digitsOnly(evento.Id());
      const std::string nome = pasta + digitos + "-" + CodigoDoTipoEvento(colecao->TipoEvento()) +
                               "-" + std::to_string(i);
      std::optional<TGeradosCollectionItem> anterior;
      if (!evento.SaveToFileSeAlterado(nome + ".xml") && anteriores)
        anterior = anteriores->Tomar(nome);
      FPOwner->Gerados().push_back(
          anterior ? std::move(*anterior)
                   : TGeradosCollectionItem{colecao->TipoEvento(), nome, evento.XML(), digitos});
    }
  }
}

bool TeSocialGrupo::LoadFromString(const std::string& AXMLString) {
  const std::optional<TTipoEvento> tipo = TipoEventoDoXML(AXMLString);
  if (tipo) {
    if (TeSocialColecaoEventos* colecao = ColecaoDoTipo(*tipo)) {
      TeSocialEvento& evento = colecao->NovoEvento();
      try {
        evento.SetXML(AXMLString);
      } catch (...) {
        // Only a signed event may travel in a lot: one whose loading ended before its
        // signature (not XML, no key, the token refused) leaves its collection again. A signed
        // event that failed its schema stays; the service judges it.
        if (evento.XMLAssinado().empty()) colecao->ExcluirUltimo();
        throw;
      }
    }
  }
  return Count() > 0;
}

bool TeSocialGrupo::LoadFromIni(const std::string& AIniString) {
  const std::optional<TTipoEvento> tipo = TipoEventoDoINI(AIniString);
  if (tipo) {
    if (TeSocialColecaoEventos* colecao = ColecaoDoTipo(*tipo)) {
      colecao->NovoEvento().LerArqIni(AIniString);
    }
  }
  return Count() > 0;
}

}  // namespace luvaro
