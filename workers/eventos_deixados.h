#pragma once

// The loading of a lot's documents that the eSocial and the EFD-Reinf workers share, and how it
// names every document it leaves out.
//
// Each text the ERP hands over is split into its documents, and each document is loaded on its
// own into the protocol's event container. A document whose loading ends before its signature
// (not XML, of no known type, no key, the token refused the signature) does not enter the lot:
// the container takes it out again (an unknown type raises nothing, so the container's count
// before and after the load tells). Such a document is named in the log with its position, its
// identifier when it has one and the reason, and the worker shows all of them in one message at
// the end of the send, so an event never silently fails to reach the government. A signed event
// that fails its schema stays (the service judges it); its validation text goes to the log as one
// line, except when its schema file does not exist (nothing was checked).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace luvaro {

// A document of the ERP's lot that the lot sent does not carry.
struct TEventoDeixado {
  int Posicao = 0;            // from 1, among the documents of the ERP's lot
  std::string Identificador;  // the document's Id attribute; empty when it has none
  std::string Motivo;         // one line

  bool operator==(const TEventoDeixado&) const = default;
};

// What the loading needs of a protocol's event container.
struct TConteinerEventos {
  std::string_view Fechamento;                       // the closing tag of each document
  std::function<void(const std::string&)> Carregar;  // LoadFromString of one document
  std::function<std::size_t()> Quantidade;           // the events it holds
};

// Loads every document of the ERP's texts in order and returns those left out, each named in
// the log. A token that refused its PIN (EDFeExceptionPIN) ends the loading: nothing can be
// signed or sent in this run, and that failure goes to the caller.
std::vector<TEventoDeixado> CarregarEventosDoLote(const std::vector<std::string>& pTextos,
                                                  const TConteinerEventos& pConteiner);

// The end-of-send message: "N evento(s) não foram incluídos no lote:" and one line per document,
// "Posição P (Id): reason" (without the parenthesis when it has no identifier), lines separated
// by single CRs.
std::string MensagemEventosDeixados(const std::vector<TEventoDeixado>& pDeixados);

// The value of the first Id attribute of a document (either letter case, either quote), read as
// text so that a document that is not XML tells it too; empty when there is none.
std::string IdentificadorDoDocumento(std::string_view pDocumento);

// The text on one line: each line break, with the blanks around it, becomes one blank; trimmed.
std::string EmUmaLinha(std::string_view pTexto);

}  // namespace luvaro
