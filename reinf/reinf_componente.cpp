#include "reinf/reinf_componente.h"

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "reinf/lote_assincrono.h"
#include "reinf/reinf_eventos.h"
#include "reinf/reinf_web_services.h"

namespace luvaro::reinf {

TReinfComponente::TReinfComponente(const std::string& PathAplicacao)
    : TDFeComponente(PathAplicacao) {
  InicializarConfiguracoes();
  SSL().SetSSLDgst(TSSLDgst::dgstSHA256);
  FEventos = std::make_unique<TEventos>(*this);
  FEventosAssincronos = std::make_unique<TLoteAssincrono>(*this);
  FWebServices = std::make_unique<TWebServices>(*this);
}

TReinfComponente::~TReinfComponente() {
  FEventos.reset();
  FEventosAssincronos.reset();
  FWebServices.reset();
}

std::unique_ptr<TConfiguracoes> TReinfComponente::CriarConfiguracoes() {
  return std::make_unique<TConfiguracoesReinf>(this);
}

void TReinfComponente::SetStatus(TStatusReinf stNewStatus) {
  if (stNewStatus == FStatus) return;
  FStatus = stNewStatus;
  if (OnStatusChange()) OnStatusChange()(*this);
}

void TReinfComponente::NotificarTransmissao(const std::string& AXML, TEventosReinf ATipo) {
  if (!FOnTransmissaoEventos) return;
  std::string copia = AXML;
  FOnTransmissaoEventos(copia, ATipo);
}

bool TReinfComponente::Enviar() {
  FWebServices->EnvioLote().Clear();
  return FWebServices->Envia();
}

bool TReinfComponente::Consultar(const std::string& AProtocolo) {
  return FWebServices->Consulta(AProtocolo);
}

bool TReinfComponente::EnviarAssincrono() {
  return FWebServices->EnviaAssincrono();
}

bool TReinfComponente::ConsultarAssincrono(const std::string& AProtocolo) {
  return FWebServices->ConsultaAssincrona(AProtocolo);
}

bool TReinfComponente::ConsultaReciboEvento(const std::string& APerApur, TTipoEvento ATipoEvento,
                                            const std::string& AnrInscEstab,
                                            const std::string& AcnpjPrestador,
                                            const std::string& AnrInscTomador, DateTime AdtApur) {
  return FWebServices->ConsultaReciboEvento(APerApur, ATipoEvento, AnrInscEstab, AcnpjPrestador,
                                            AnrInscTomador, AdtApur);
}

void TReinfComponente::AssinarEventos() {
  FEventos->GerarXMLs();
  if (Configuracoes().Geral().Salvar()) FEventos->SaveToFiles();
}

void TReinfComponente::LerServicoDeParams(TLayOutReinf LayOutServico, double& Versao,
                                          std::string& URL) {
  const std::string sessao =
      Configuracoes().WebServices().Ambiente() == TTipoAmbiente::taHomologacao ? "Reinf_H"
                                                                               : "Reinf_P";
  LerServicoChaveDeParams(sessao, ServicoDoLayOut(LayOutServico), Versao, URL);
  Versao = NumeroDaVersao(Configuracoes().Geral().VersaoDF());
}

std::string TReinfComponente::LerVersaoDeParams(TLayOutReinf LayOutServico) {
  const TConfiguracoesReinf& c = Configuracoes();
  const double versao = TDFeComponente::LerVersaoDeParams(
      GetNomeModeloDFe(), c.WebServices().UF(), c.WebServices().Ambiente(),
      ServicoDoLayOut(LayOutServico), NumeroDaVersao(c.Geral().VersaoDF()));
  return formatFixed(versao, 2).value_or("");
}

std::string TReinfComponente::GetNomeModeloDFe() {
  return "Reinf";
}

std::string TReinfComponente::GetNameSpaceURI() {
  return std::string(kNameSpaceBaseServico) + "/RecepcaoLoteReinf";
}

std::string TReinfComponente::NomeServicoParaSchema(const std::string& NomeServico) {
  const std::optional<TLayOutReinf> layout = LayOutDoServico(NomeServico);
  return layout ? NomeDoSchema(SchemaDoLayOut(*layout)) : std::string();
}

std::string TReinfComponente::VersaoParaTexto(double Versao) {
  if (!(Versao > 0)) return {};
  const std::string digitos = replaceAll(formatFixed(Versao, 2).value_or(""), ".", "");
  std::string texto;
  for (std::size_t i = 0; i < digitos.size() && i < 3; ++i) {
    if (i > 0) texto += '_';
    texto += digitos[i];
  }
  return texto;
}

double TReinfComponente::TextoParaVersao(const std::string& VersaoStr) {
  if (VersaoStr.empty()) return 0;
  std::string digitos = replaceAll(VersaoStr, "_", "");
  digitos.resize(3, '0');
  const std::string numero = digitos.substr(0, 1) + "." + digitos.substr(1, 2);
  return parseDecimal(numero).value_or(0.0);
}

}  // namespace luvaro::reinf
