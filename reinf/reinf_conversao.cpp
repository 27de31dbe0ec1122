#include "reinf/reinf_conversao.h"

#include <array>

#include "dfe/xml/texto.h"

namespace luvaro::reinf {
namespace {

struct LinhaVersao {
  const char* texto;
  double numero;
};
constexpr std::array<LinhaVersao, 5> kVersoes{{
    {"1_02_00", 1.2},
    {"1_03_00", 1.3},
    {"1_03_02", 1.32},
    {"1_04_00", 1.4},
    {"2_01_02", 2.12},
}};

struct LinhaLayOut {
  const char* servico;
  TReinfSchema schema;
};
constexpr std::array<LinhaLayOut, 2> kLayOuts{{
    {"EnviarLoteEventos", TReinfSchema::schEnvioLoteEventos},
    {"ConsultarLoteEventos", TReinfSchema::schConsultaLoteEventos},
}};

// The identifiers with their "sch" prefix, so that the table reads as the enumeration does.
constexpr std::array<const char*, 18> kSchemas{
    "schevtInfoContribuinte",
    "schevtFechamento",
    "schevtTabProcesso",
    "schevtTomadorServicos",
    "schevtPrestadorServicos",
    "schevtRecursoRecebidoAssociacao",
    "schevtRecursoRepassadoAssociacao",
    "schevtInfoProdRural",
    "schevtInfoCPRB",
    "schevtPgtosDivs",
    "schevtReabreEvPer",
    "schevtEspDesportivo",
    "schevtTotal",
    "schevtTotalConsolid",
    "schevtExclusao",
    "schErro",
    "schConsultaLoteEventos",
    "schEnvioLoteEventos",
};

struct LinhaTipo {
  const char* codigo;
  const char* elemento;
};
// In TTipoEvento order; the schema of a type has the same ordinal.
constexpr std::array<LinhaTipo, kQuantidadeTiposEvento> kTipos{{
    {"R-1000", "evtInfoContri"},
    {"R-2099", "evtFechaEvPer"},
    {"R-1070", "evtTabProcesso"},
    {"R-2010", "evtServTom"},
    {"R-2020", "evtServPrest"},
    {"R-2030", "evtAssocDespRec"},
    {"R-2040", "evtAssocDespRep"},
    {"R-2050", "evtComProd"},
    {"R-2060", "evtCPRB"},
    {"R-2070", "evtPgtosDivs"},
    {"R-2098", "evtReabreEvPer"},
    {"R-3010", "evtEspDesportivo"},
    {"R-5001", "evtTotal"},
    {"R-5011", "evtTotalContrib"},
    {"R-9000", "evtExclusao"},
}};

constexpr std::array<const char*, 3> kTpInsc{"1", "2", "4"};
constexpr std::array<const char*, 3> kIndExistInfo{"1", "2", "3"};

std::optional<TTipoEvento> detectar(std::string_view texto, std::string_view prefixo,
                                    std::string_view sufixo) {
  for (std::size_t i = 0; i < kTipos.size(); ++i) {
    std::string padrao(prefixo);
    padrao += kTipos[i].elemento;
    padrao += sufixo;
    if (texto.find(padrao) != std::string_view::npos) return static_cast<TTipoEvento>(i);
  }
  return std::nullopt;
}

template <std::size_t N>
std::size_t indiceDoTexto(const std::array<const char*, N>& tabela, std::string_view texto) {
  const std::string limpo = trimText(texto);
  for (std::size_t i = 0; i < N; ++i) {
    if (equalsNoCase(limpo, tabela[i])) return i;
  }
  return 0;
}

}  // namespace

std::string TextoDaVersao(TVersaoReinf versao) {
  const auto i = static_cast<std::size_t>(versao);
  return i < kVersoes.size() ? kVersoes[i].texto : "";
}

double NumeroDaVersao(TVersaoReinf versao) noexcept {
  const auto i = static_cast<std::size_t>(versao);
  return i < kVersoes.size() ? kVersoes[i].numero : 0.0;
}

std::string ServicoDoLayOut(TLayOutReinf layout) {
  const auto i = static_cast<std::size_t>(layout);
  return i < kLayOuts.size() ? kLayOuts[i].servico : "";
}

TReinfSchema SchemaDoLayOut(TLayOutReinf layout) noexcept {
  const auto i = static_cast<std::size_t>(layout);
  return i < kLayOuts.size() ? kLayOuts[i].schema : TReinfSchema::schErro;
}

std::optional<TLayOutReinf> LayOutDoServico(std::string_view servico) {
  for (std::size_t i = 0; i < kLayOuts.size(); ++i) {
    if (equalsNoCase(servico, kLayOuts[i].servico)) return static_cast<TLayOutReinf>(i);
  }
  return std::nullopt;
}

std::string NomeDoSchema(TReinfSchema schema) {
  const auto i = static_cast<std::size_t>(schema);
  if (i >= kSchemas.size()) return {};
  return std::string(kSchemas[i]).substr(3);
}

std::string CodigoDoTipoEvento(TTipoEvento tipo) {
  const auto i = static_cast<std::size_t>(tipo);
  return i < kTipos.size() ? kTipos[i].codigo : "";
}

std::string ElementoDoTipoEvento(TTipoEvento tipo) {
  const auto i = static_cast<std::size_t>(tipo);
  return i < kTipos.size() ? kTipos[i].elemento : "";
}

TReinfSchema SchemaDoTipoEvento(TTipoEvento tipo) noexcept {
  const auto i = static_cast<std::size_t>(tipo);
  return i < kTipos.size() ? static_cast<TReinfSchema>(i) : TReinfSchema::schErro;
}

std::optional<TTipoEvento> TipoEventoDoXML(std::string_view texto) {
  return detectar(texto, "<", "");
}

std::optional<TTipoEvento> TipoEventoDoINI(std::string_view texto) {
  return detectar(texto, "[", "]");
}

std::string TpInscToStr(TtpInsc valor) {
  const auto i = static_cast<std::size_t>(valor);
  return i < kTpInsc.size() ? kTpInsc[i] : "";
}

TtpInsc StrToTpInsc(std::string_view texto) {
  return static_cast<TtpInsc>(indiceDoTexto(kTpInsc, texto));
}

std::string indExistInfoToStr(TindExistInfo valor) {
  const auto i = static_cast<std::size_t>(valor);
  return i < kIndExistInfo.size() ? kIndExistInfo[i] : "";
}

TindExistInfo StrToindExistInfo(std::string_view texto) {
  return static_cast<TindExistInfo>(indiceDoTexto(kIndExistInfo, texto));
}

}  // namespace luvaro::reinf
