#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace luvaro {

// A container of events saves all of its events after every loaded document, so a lot of n
// documents would write n(n+1)/2 files and copy as many documents into its list of written
// files. These two helpers keep the result and drop the repetition: a file that already holds
// the event's current document is not written again, and the list entry made for it by the
// previous save is taken over instead of copied.

// One event's document: how often it changed, and which version of it was last written where.
class TUltimaGravacao {
 public:
  // The document changed (every assignment counts, one that failed half-way included).
  void Alterado() noexcept { ++m_versao; }

  // Whether the document as it stands now is what this event last wrote, to `caminho`.
  bool Atual(std::string_view caminho) const noexcept {
    return m_gravou && m_versaoGravada == m_versao && m_caminho == caminho;
  }

  // The document as it stands now was written to `caminho`.
  void Gravado(std::string caminho) {
    m_caminho = std::move(caminho);
    m_versaoGravada = m_versao;
    m_gravou = true;
  }

 private:
  std::uint64_t m_versao = 0;
  std::uint64_t m_versaoGravada = 0;
  std::string m_caminho;
  bool m_gravou = false;
};

// The entries of the previous save (items with a PathNome), walked in their order: a save
// visits the events in the same order, the new ones in between, so each unchanged event finds
// its own entry at the cursor.
template <class Item>
class GeradosAnteriores {
 public:
  explicit GeradosAnteriores(std::vector<Item> itens = {}) : m_itens(std::move(itens)) {}

  // The entry named `pathNome`, moved out, when it is the next one in order; else nothing
  // (the caller makes the entry afresh).
  std::optional<Item> Tomar(std::string_view pathNome) {
    for (std::size_t i = m_cursor; i < m_itens.size(); ++i) {
      if (m_itens[i].PathNome != pathNome) continue;
      m_cursor = i + 1;
      return std::move(m_itens[i]);
    }
    return std::nullopt;
  }

 private:
  std::vector<Item> m_itens;
  std::size_t m_cursor = 0;
};

}  // namespace luvaro
