// The query service of the EFD-Reinf stand-in: consolidated information of a closed period
// (R-5011, by the protocol of its R-2099) and the receipts of accepted events.
#include <algorithm>
#include <array>
#include <cctype>

#include "tools/sim/esocial_xml_int.h"
#include "tools/sim/reinf_codes.h"
#include "tools/sim/reinf_lote_int.h"
#include "tools/sim/reinf_retorno_int.h"
#include "tools/sim/reinf_service_int.h"

namespace luvaro::sim::reinf {
namespace {

using esocial::SoapResult;

constexpr std::string_view kSituacaoAtivo = "Ativo";
constexpr std::string_view kAplicacaoRecepcao = "RecepcaoLoteReinf";

// The fields a receipt query of each event type must fill, besides tipoEvento, tpInsc, nrInsc.
struct CamposDoTipo {
  std::string_view tpEv;
  std::array<std::string_view, 4> campos;
};
constexpr std::array<CamposDoTipo, 9> kCamposObrigatorios{{
    {"2010", {"perApur", "tpInscEstab", "nrInscEstab", "cnpjPrestador"}},
    {"2020", {"perApur", "nrInscEstabPrest", "tpInscTomador", "nrInscTomador"}},
    {"2030", {"perApur", "nrInscEstab"}},
    {"2040", {"perApur", "nrInscEstab"}},
    {"2050", {"perApur", "nrInscEstab"}},
    {"2060", {"perApur", "tpInscEstab", "nrInscEstab"}},
    {"2098", {"perApur"}},
    {"2099", {"perApur"}},
    {"3010", {"dtApur", "nrInscEstab"}},
}};

std::string Trim(std::string text) {
  auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
  text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
  return text;
}

// A field of the request: a child in the services' namespace (others are not seen, as the
// service's message contract does not know them).
std::string Campo(xmlNode* pedido, std::string_view nome) {
  for (xmlNode* n = FirstElement(pedido); n; n = NextElement(n)) {
    if (LocalName(n) == nome && NamespaceUri(n) == kServicoNamespace) return Trim(NodeText(n));
  }
  return {};
}

// The contributor of a query: type 1 with the CNPJ root (or the whole CNPJ), type 2 with a CPF.
std::optional<std::string> ContribuinteInvalido(const std::string& tipo, const std::string& numero,
                                                std::string_view campoTipo,
                                                std::string_view campoNumero) {
  if (tipo != "1" && tipo != "2") {
    return "O campo " + std::string(campoTipo) + " deve ser 1 (CNPJ) ou 2 (CPF); foi informado \"" +
           tipo + "\".";
  }
  const bool valido = SoDigitos(numero) && (tipo == "1" ? numero.size() == 8 || numero.size() == 14
                                                        : numero.size() == 11);
  if (valido) return std::nullopt;
  return "O campo " + std::string(campoNumero) + " (\"" + numero + "\") não é " +
         (tipo == "1" ? "a raiz de 8 dígitos ou o CNPJ de 14 dígitos" : "um CPF de 11 dígitos") +
         " do contribuinte.";
}

// An establishment, taker or provider number of a query: the number itself, or its CNPJ root.
bool MesmaInscricao(const std::string& consultada, const std::string& doEvento) {
  if (consultada.empty()) return true;
  if (consultada == doEvento) return true;
  return consultada.size() == 8 && doEvento.size() == 14 && doEvento.starts_with(consultada);
}

HttpReply Recusa(const SoapOperation& operation, const ServiceContext& context, int codigo,
                 std::string texto, std::string local) {
  return SoapResult(operation,
                    RetornoConsulta(kRetornoErro,
                                    {Ocorrencia{kTipoOcorrenciaEventoErro, codigo,
                                                LimitarTexto(std::move(texto), kMaxDescricaoEvento),
                                                std::move(local)}},
                                    {}),
                    context.config.resultadoPrefixado);
}

}  // namespace

HttpReply ConsultarInformacoesConsolidadas(const SoapOperation& operation, xmlNode* pedido,
                                           ServiceContext& context) {
  const std::string local = "/" + std::string(operation.operation);
  if (!pedido) {
    return Recusa(operation, context, kOcorrenciaConsultaIncorreta,
                  "A mensagem não contém uma consulta.", local);
  }
  const std::string tipo = Campo(pedido, "tipoInscricaoContribuinte");
  const std::string numero = Campo(pedido, "numeroInscricaoContribuinte");
  const std::string protocolo = Campo(pedido, "numeroProtocoloFechamento");
  if (auto erro = ContribuinteInvalido(tipo, numero, "tipoInscricaoContribuinte",
                                       "numeroInscricaoContribuinte")) {
    return Recusa(operation, context, kOcorrenciaConsultaIncorreta, *erro, local);
  }
  if (protocolo.empty()) {
    return Recusa(operation, context, kOcorrenciaConsultaIncorreta,
                  "O número do protocolo de fechamento não foi informado.",
                  local + "/numeroProtocoloFechamento");
  }
  bool pendente = false;
  const std::optional<Fechamento> fechamento =
      context.store.ConsultarFechamento(protocolo, pendente);
  if (!fechamento) {
    return Recusa(
        operation, context, kOcorrenciaProtocoloInexistente,
        "Não foi encontrado fechamento (R-2099) com o protocolo informado: " + protocolo + ".",
        local + "/numeroProtocoloFechamento");
  }
  if (ChaveContribuinte(Inscricao{tipo, numero}) != ChaveContribuinte(fechamento->contribuinte)) {
    return Recusa(operation, context, kOcorrenciaContribuinteDivergente,
                  "O protocolo " + protocolo + " não é de um fechamento do contribuinte " + tipo +
                      "-" + numero + ".",
                  local + "/numeroInscricaoContribuinte");
  }

  DadosTotalizador dados;
  dados.contribuinte = fechamento->contribuinte;
  dados.id = context.NovoId(dados.contribuinte, Agora());
  dados.perApur = fechamento->perApur;
  dados.status = pendente ? kRetornoEmProcessamento : kRetornoSucesso;
  dados.nrProtEntr = fechamento->protocolo;
  dados.dhProcess = fechamento->dhProcess;
  dados.tpEv = "2099";
  dados.idEv = fechamento->idEv;
  dados.hash = fechamento->hash;
  std::optional<InfoTotalContrib> info;
  if (!pendente) {
    info = InfoTotalContrib{fechamento->nrRecibo, 3, fechamento->tomados, fechamento->prestados};
    if (!info->tomados.empty() || !info->prestados.empty()) {
      info->indExistInfo = 1;
    } else if (fechamento->comMovimento) {
      info->indExistInfo = 2;
    }
  }
  return SoapResult(operation, context.Assinado(MontarR5011(dados, info)),
                    context.config.resultadoPrefixado);
}

HttpReply ConsultarReciboEvento(const SoapOperation& operation, xmlNode* pedido,
                                std::string_view tpEv, ServiceContext& context) {
  const std::string local = "/" + std::string(operation.operation);
  if (!pedido) {
    return Recusa(operation, context, kOcorrenciaConsultaIncorreta,
                  "A mensagem não contém uma consulta.", local);
  }
  const std::string tipoEvento = Campo(pedido, "tipoEvento");
  if (tipoEvento != tpEv) {
    return Recusa(operation, context, kOcorrenciaConsultaIncorreta,
                  "O tipo de evento da consulta (\"" + tipoEvento +
                      "\") difere do tipo da operação (" + std::string(tpEv) + ").",
                  local + "/tipoEvento");
  }
  const std::string tpInsc = Campo(pedido, "tpInsc");
  const std::string nrInsc = Campo(pedido, "nrInsc");
  if (auto erro = ContribuinteInvalido(tpInsc, nrInsc, "tpInsc", "nrInsc")) {
    return Recusa(operation, context, kOcorrenciaConsultaIncorreta, *erro, local);
  }
  for (const CamposDoTipo& tipo : kCamposObrigatorios) {
    if (tipo.tpEv != tpEv) continue;
    for (std::string_view campo : tipo.campos) {
      if (!campo.empty() && Campo(pedido, campo).empty()) {
        return Recusa(operation, context, kOcorrenciaConsultaIncorreta,
                      "O campo " + std::string(campo) +
                          " é obrigatório na consulta de recibos do evento R-" + std::string(tpEv) +
                          ".",
                      local + "/" + std::string(campo));
      }
    }
  }

  const std::string contribuinte = ChaveContribuinte(Inscricao{tpInsc, nrInsc});
  const std::string perApur = Campo(pedido, "perApur");
  const std::string dtApur = Campo(pedido, "dtApur");
  const std::string tpInscEstab = Campo(pedido, "tpInscEstab");
  const std::string nrInscEstab =
      tpEv == "2020" ? Campo(pedido, "nrInscEstabPrest") : Campo(pedido, "nrInscEstab");
  const std::string cnpjPrestador = Campo(pedido, "cnpjPrestador");
  const std::string tpInscTomador = Campo(pedido, "tpInscTomador");
  const std::string nrInscTomador = Campo(pedido, "nrInscTomador");
  const bool tabela = tpEv == "1000" || tpEv == "1070";

  std::vector<ReciboEncontrado> recibos;
  for (const EventoAceito& evento : context.store.Aceitos()) {
    if (evento.tpEv != tpEv || ChaveContribuinte(evento.contribuinte) != contribuinte) continue;
    if (!perApur.empty() && evento.perApur != perApur) continue;
    if (!dtApur.empty() && evento.dtApur != dtApur) continue;
    if (!tpInscEstab.empty() && evento.tpInscEstab != tpInscEstab) continue;
    if (!MesmaInscricao(nrInscEstab, evento.nrInscEstab)) continue;
    if (!cnpjPrestador.empty() && evento.cnpjPrestador != cnpjPrestador) continue;
    if (!tpInscTomador.empty() && evento.tpInscTomador != tpInscTomador) continue;
    if (!MesmaInscricao(nrInscTomador, evento.nrInscTomador)) continue;
    recibos.push_back(ReciboEncontrado{
        evento.id, tabela ? evento.iniValid : std::string(), evento.dhRecepcao, evento.nrRecibo,
        std::string(kSituacaoAtivo), std::string(kAplicacaoRecepcao)});
  }
  return SoapResult(
      operation,
      RetornoConsulta(recibos.empty() ? kRetornoNenhumEvento : kRetornoSucesso, {}, recibos),
      context.config.resultadoPrefixado);
}

}  // namespace luvaro::sim::reinf
