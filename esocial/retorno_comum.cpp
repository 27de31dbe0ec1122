#include "esocial/retorno_comum.h"

#include "dfe/xml/texto.h"

namespace luvaro::retorno {

std::string LerTexto(TLeitor& leitor, const std::string& tag) {
  return leitor.rCampo(TTipoCampo::tcStr, tag).AsString();
}

int LerInteiro(TLeitor& leitor, const std::string& tag) {
  return static_cast<int>(leitor.rCampo(TTipoCampo::tcInt, tag).AsInteger().value_or(0));
}

double LerDecimal(TLeitor& leitor, const std::string& tag) {
  return leitor.rCampo(TTipoCampo::tcDe2, tag).AsFloat().value_or(0.0);
}

DateTime LerData(TLeitor& leitor, const std::string& tag) {
  return leitor.rCampo(TTipoCampo::tcDat, tag).AsDateTime();
}

DateTime LerDataHora(TLeitor& leitor, const std::string& tag) {
  return leitor.rCampo(TTipoCampo::tcDatHor, tag).AsDateTime();
}

bool LerGrupo(TLeitor& leitor, int nivel, const std::string& tag) {
  return !leitor.rExtrai(nivel, tag).empty();
}

void LerInscricao(TLeitor& leitor, TInscricao& inscricao) {
  inscricao.SetTpInsc(LerCodigo<tpTpInsc>(leitor, "tpInsc"));
  inscricao.SetNrInsc(LerTexto(leitor, "nrInsc"));
}

std::vector<TOcorrencia> LerOcorrencias(TLeitor& leitor, int nivel) {
  std::vector<TOcorrencia> ocorrencias;
  if (!LerGrupo(leitor, nivel, "ocorrencias")) return ocorrencias;
  LerItens(leitor, nivel + 1, "ocorrencia", [&] {
    TOcorrencia& item = ocorrencias.emplace_back();
    item.Codigo = LerInteiro(leitor, "codigo");
    item.Descricao = LerTexto(leitor, "descricao");
    item.Tipo = static_cast<std::uint8_t>(LerInteiro(leitor, "tipo"));
    item.Localizacao = LerTexto(leitor, "localizacao");
  });
  return ocorrencias;
}

TStatus LerStatus(TLeitor& leitor, int nivel, bool comTempoEstimado, bool comOcorrencias) {
  TStatus status;
  if (!LerGrupo(leitor, nivel, "status")) return status;
  status.cdResposta = LerInteiro(leitor, "cdResposta");
  status.descResposta = LerTexto(leitor, "descResposta");
  if (comTempoEstimado) {
    status.tempoEstimadoConclusao = LerInteiro(leitor, "tempoEstimadoConclusao");
  }
  if (comOcorrencias) status.Ocorrencias = LerOcorrencias(leitor, nivel + 1);
  return status;
}

TDadosRecepcaoLote LerDadosRecepcaoLote(TLeitor& leitor, int nivel) {
  TDadosRecepcaoLote dados;
  if (!LerGrupo(leitor, nivel, "dadosRecepcaoLote")) return dados;
  dados.dhRecepcao = LerDataHora(leitor, "dhRecepcao");
  dados.versaoAplicRecepcao = LerTexto(leitor, "versaoAplicativoRecepcao");
  dados.Protocolo = LerTexto(leitor, "protocoloEnvio");
  return dados;
}

std::string ConteudoDoElemento(const std::string& elemento, const std::string& tag) {
  const std::size_t inicio = elemento.find('>');
  if (inicio == std::string::npos) return {};
  const std::string fechamento = "</" + tag + ">";
  std::size_t fim = elemento.rfind(fechamento);
  if (fim == std::string::npos || fim <= inicio) {
    // An element cut short (no closing tag of its own): keep what follows the start tag.
    fim = elemento.size();
  }
  return elemento.substr(inicio + 1, fim - inicio - 1);
}

bool TextoParaBoolean(const std::string& texto, bool& valor) {
  const std::string t = trimText(texto);
  if (equalsNoCase(t, "true")) {
    valor = true;
    return true;
  }
  if (equalsNoCase(t, "false")) {
    valor = false;
    return true;
  }
  if (const auto numero = parseInteger(t)) {
    valor = *numero != 0;
    return true;
  }
  return false;
}

}  // namespace luvaro::retorno
