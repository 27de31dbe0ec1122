#pragma once

#include <string>

#include "dfe/config/ini.h"
#include "dfe/config/ini_values.h"
#include "dfe/modelos/codigos.h"
#include "dfe/modelos/grupos_modelo.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/gerador.h"

namespace luvaro {

// What the event models of both systems share when they write their groups and read their INI
// sections (the generated group writers and readers call these).

// The text of the alert recorded when a list holds more items than the layout allows.
std::string AlertaLimiteLista(int maximo);

// What the writers of an event's groups need: the writer, the layout version (counted from the
// family's first layout with models; any larger value counts as the newest layout) and the mode
// of a table event.
struct TEscritaModelo {
  TGerador& Gerador;
  int Versao;
  TModoLancamento Modo;

  // Records the list-limit alert, naming the list, when `quantidade` exceeds `maximo`.
  void Limite(int quantidade, int maximo, const std::string& tag,
              const std::string& descricao) const;
};

// An attribute of a group's opening tag: ` name="value"` (the value escaped for XML), or nothing
// for an optional attribute without a value.
std::string AtributoTexto(const std::string& nome, const std::string& valor, bool obrigatorio);
// Dates as yyyy-mm-dd, date-times as yyyy-mm-ddThh:nn:ss, amounts with two decimals and ".".
std::string AtributoData(const std::string& nome, DateTime valor, bool obrigatorio);
std::string AtributoDataHora(const std::string& nome, DateTime valor, bool obrigatorio);
std::string AtributoDecimal(const std::string& nome, double valor, bool obrigatorio);

// Reads an optional group when its key field (or, without a key, its section) is present.
// The group's section is `nome` + `indice` (the indices of the enclosing list items).
template <class T>
void LerOpcional(const IniFile& ini, const std::string& nome, const std::string& indice,
                 const char* chave, TGrupoOpcional<T>& grupo) {
  const IniSectionReader secao(ini, nome + indice);
  const bool presente = chave != nullptr ? !secao.Text(chave).empty() : secao.Exists();
  if (presente) grupo().LerIni(ini, indice);
}

// Reads the items of a list: sections `nome` + `indice` + the item's number from 1, zero-padded
// to `largura`; the list ends at the first number whose section is missing or whose key field
// reads "FIM" (its default) or is empty.
template <class T>
void LerLista(const IniFile& ini, const std::string& nome, const std::string& indice, int largura,
              const char* chave, TListaModelo<T>& lista) {
  for (int i = 1;; ++i) {
    const std::string proprio = indice + IniSectionName("", {{i, largura}});
    const IniSectionReader secao(ini, nome + proprio);
    if (!secao.Exists()) break;
    if (chave != nullptr) {
      const std::string valor = secao.Text(chave, "FIM");
      if (valor.empty() || valor == "FIM") break;
    }
    lista.New().LerIni(ini, proprio);
  }
}

}  // namespace luvaro
