#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dfe/xml/data_hora.h"
#include "dfe/xml/leitor.h"
#include "esocial/codigos_layout.h"
#include "esocial/inscricao.h"

namespace luvaro {

// The pieces that the four eSocial replies share, and the reading helpers of their readers.

// One occurrence of a status or of an event's processing.
struct TOcorrencia {
  int Codigo = 0;
  std::string Descricao;
  std::uint8_t Tipo = 0;
  std::string Localizacao;
};

// The status of a request as the service answered it; codes are stored as read.
struct TStatus {
  int cdResposta = 0;
  std::string descResposta;
  int tempoEstimadoConclusao = 0;
  std::vector<TOcorrencia> Ocorrencias;
};

// Reception of a lot; Protocolo is the protocol number of an accepted lot.
struct TDadosRecepcaoLote {
  DateTime dhRecepcao = 0;
  std::string versaoAplicRecepcao;
  std::string Protocolo;
};

struct TdadosProcLote {
  std::string versaoAplicProcLote;
};

namespace retorno {

// Fields of the reader's current group (Grupo) by element name; absent fields give the type's
// empty value. Dates and date-times that hold no digits where they should raise.
std::string LerTexto(TLeitor& leitor, const std::string& tag);
int LerInteiro(TLeitor& leitor, const std::string& tag);
double LerDecimal(TLeitor& leitor, const std::string& tag);
DateTime LerData(TLeitor& leitor, const std::string& tag);
DateTime LerDataHora(TLeitor& leitor, const std::string& tag);

// An enumerated field converted from its layout code (the first value when unknown).
template <typename E>
E LerCodigo(TLeitor& leitor, const std::string& tag) {
  return ValorDoCodigo<E>(LerTexto(leitor, tag));
}

// Extracts the group `tag` of level nivel - 1 into level nivel; false when it is absent.
bool LerGrupo(TLeitor& leitor, int nivel, const std::string& tag);

// Runs `ler` once for each numbered occurrence 1, 2, 3, ... of `tag` in level nivel - 1, with
// the occurrence extracted into level nivel, until one is missing.
template <typename F>
void LerItens(TLeitor& leitor, int nivel, const std::string& tag, F&& ler) {
  for (int item = 1; !leitor.rExtrai(nivel, tag, "", item).empty(); ++item) ler();
}

// tpInsc and nrInsc of the current group into `inscricao`.
void LerInscricao(TLeitor& leitor, TInscricao& inscricao);

// "ocorrencias" of level nivel - 1 (extracted into nivel) and each "ocorrencia" in it (into
// nivel + 1): codigo, descricao, tipo, localizacao.
std::vector<TOcorrencia> LerOcorrencias(TLeitor& leitor, int nivel);

// "status" of level nivel - 1: cdResposta, descResposta, tempoEstimadoConclusao when asked,
// and its occurrences one and two levels deeper.
TStatus LerStatus(TLeitor& leitor, int nivel, bool comTempoEstimado, bool comOcorrencias);

// "dadosRecepcaoLote" of level nivel - 1.
TDadosRecepcaoLote LerDadosRecepcaoLote(TLeitor& leitor, int nivel);

// The content of an element whose text (tags included) is `elemento`: from after the first
// ">" up to its own closing tag "</" + tag + ">" at the end. The closing tag is taken at the
// end of the element, so documents inside it whose element names begin with the same letters
// ("evtInfoEmpregador" in "evt", "recibo" in "rec") stay whole.
std::string ConteudoDoElemento(const std::string& elemento, const std::string& tag);

// "true"/"false" (any case) or a whole number (0 false); nothing else is a Boolean.
bool TextoParaBoolean(const std::string& texto, bool& valor);

}  // namespace retorno
}  // namespace luvaro
