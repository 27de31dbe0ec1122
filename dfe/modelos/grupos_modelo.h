#pragma once

#include <deque>
#include <memory>
#include <string>

#include "dfe/dfe_exception.h"

namespace luvaro {

// An optional group of an event model: the object is created on the first access through the
// call operator, and the builder writes the group only when it exists.
//
//   cadastro.DadosIsencao().NrCertif = "123";   // creates dadosIsencao
//   if (cadastro.DadosIsencao.Existe()) ...
template <class T>
class TGrupoOpcional {
 public:
  T& operator()() {
    if (!m_grupo) m_grupo = std::make_unique<T>();
    return *m_grupo;
  }
  // Reading without creating: only when Existe().
  const T& Valor() const { return *m_grupo; }
  bool Existe() const { return m_grupo != nullptr; }
  void Remover() { m_grupo.reset(); }

 private:
  std::unique_ptr<T> m_grupo;
};

// A repeated group of an event model: an owning list of items. References to items stay valid
// while further items are added.
template <class T>
class TListaModelo {
 public:
  T& Add() { return m_itens.emplace_back(); }
  T& New() { return Add(); }
  T& Items(int Index) { return m_itens.at(Verificado(Index)); }
  const T& Items(int Index) const { return m_itens.at(Verificado(Index)); }
  int Count() const { return static_cast<int>(m_itens.size()); }
  void Clear() { m_itens.clear(); }

  auto begin() { return m_itens.begin(); }
  auto end() { return m_itens.end(); }
  auto begin() const { return m_itens.begin(); }
  auto end() const { return m_itens.end(); }

 private:
  std::size_t Verificado(int Index) const {
    if (Index < 0 || Index >= Count()) {
      throw EDFeException("Índice fora da lista: " + std::to_string(Index));
    }
    return static_cast<std::size_t>(Index);
  }

  std::deque<T> m_itens;
};

}  // namespace luvaro
