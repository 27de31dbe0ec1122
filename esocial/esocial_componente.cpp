#include "esocial/esocial_componente.h"

#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/texto.h"
#include "esocial/esocial_web_services.h"
#include "esocial/eventos.h"

namespace luvaro {

TeSocialComponente::TeSocialComponente(const std::string& PathAplicacao)
    : TDFeComponente(PathAplicacao) {
  // The base constructor could not reach this class's overrides (configuration, namespace).
  InicializarConfiguracoes();
  SSL().SetSSLDgst(TSSLDgst::dgstSHA256);
  FEventos = std::make_unique<TEventos>(*this);
  FWebServices = std::make_unique<TWebServices>(*this);
}

// The container and the calls go before the framework part.
TeSocialComponente::~TeSocialComponente() = default;

std::unique_ptr<TConfiguracoes> TeSocialComponente::CriarConfiguracoes() {
  return std::make_unique<TConfiguracoeseSocial>(this);
}

void TeSocialComponente::SetStatus(TStatuseSocial stNewStatus) {
  if (stNewStatus == FStatus) return;
  FStatus = stNewStatus;
  if (OnStatusChange()) OnStatusChange()(*this);
}

void TeSocialComponente::AssinarEventos() {
  FEventos->GerarXMLs();
  if (Configuracoes().Geral().Salvar()) FEventos->SaveToFiles();
}

void TeSocialComponente::LerServicoDeParams(TLayOut LayOutServico, double& Versao,
                                            std::string& URL) {
  const std::string sessao =
      Configuracoes().WebServices().Ambiente() == TTipoAmbiente::taHomologacao ? "eSocial_H"
                                                                               : "eSocial_P";
  const std::string chave = ServicoDoLayOut(LayOutServico);
  LerServicoChaveDeParams(sessao, chave, Versao, URL);
  // Every service has a schema name, so every address lookup also runs the schema-file
  // search: a schema folder without any .xsd file fails here, before anything is sent.
  double versaoSchema = Versao;
  LocalizarArqSchema(NomeServicoParaSchema(chave), versaoSchema);
  Versao = NumeroDaVersao(Configuracoes().Geral().VersaoDF());
}

std::string TeSocialComponente::LerVersaoDeParams(TLayOut LayOutServico) {
  const TConfiguracoeseSocial& c = Configuracoes();
  const double versao = TDFeComponente::LerVersaoDeParams(
      GetNomeModeloDFe(), c.WebServices().UF(), c.WebServices().Ambiente(),
      ServicoDoLayOut(LayOutServico), NumeroDaVersao(c.Geral().VersaoDF()));
  return formatFixed(versao, 2).value_or("");
}

std::string TeSocialComponente::GetNomeModeloDFe() {
  return "eSocial";
}

std::string TeSocialComponente::GetNameSpaceURI() {
  return std::string(" ") + kNameSpaceBaseeSocial +
         "/servicos/empregador/lote/eventos/envio/v1_1_0";
}

std::string TeSocialComponente::NomeServicoParaSchema(const std::string& NomeServico) {
  const std::optional<TLayOut> layout = LayOutDoServico(NomeServico);
  return layout ? NomeDoSchema(SchemaDoLayOut(*layout)) : std::string();
}

std::string TeSocialComponente::VersaoParaTexto(double Versao) {
  if (!(Versao > 0)) return {};
  const std::string digitos = replaceAll(formatFixed(Versao, 2).value_or(""), ".", "");
  if (digitos.size() < 3) return {};
  return digitos.substr(0, 1) + "_" + digitos.substr(1, 1) + "_" + digitos.substr(2, 1);
}

double TeSocialComponente::TextoParaVersao(const std::string& VersaoStr) {
  std::string digitos = replaceAll(VersaoStr, "_", "");
  digitos.resize(3, '0');
  const std::string numero = digitos.substr(0, 1) + "." + digitos.substr(1, 2);
  return parseDecimal(numero).value_or(0.0);
}

}  // namespace luvaro
