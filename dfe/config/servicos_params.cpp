// The service address table of TDFeComponente: loading and the two lookups.

#include <string>
#include <vector>

#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

std::string entreAspas(const std::string& texto) {
  return "\"" + texto + "\"";
}

}  // namespace

void TDFeComponente::CarregarParamsIni(bool SomenteSeNaoCarregado) {
  if (SomenteSeNaoCarregado && FPIniParamsCarregado) return;
  TWebServicesConf& ws = FPConfiguracoes->WebServices();
  if (ws.Params().empty()) ws.LerParams();
  FPIniParams.SetLines(ws.Params());
  FPIniParamsCarregado = true;
}

void TDFeComponente::LerServicoChaveDeParams(const std::string& NomeSessao,
                                             const std::string& NomeServico, double& Versao,
                                             std::string& URL) {
  URL.clear();
  CarregarParamsIni(true);
  if (!FPIniParams.SectionExists(NomeSessao)) return;

  const std::string prefixo = upperAscii(NomeServico + "_");
  const double pedida = Versao;
  const auto textoVersao = formatFixed(pedida, 2);
  const std::string chaveExata = textoVersao ? prefixo + *textoVersao : std::string();

  double encontrada = 0;
  std::string chave;
  if (!chaveExata.empty() && !FPIniParams.ReadString(NomeSessao, chaveExata, "").empty()) {
    encontrada = pedida;
    chave = chaveExata;
  } else {
    for (const auto& [nome, valor] : FPIniParams.Entries(NomeSessao)) {
      const std::string nomeMaiusculo = upperAscii(nome);
      if (!nomeMaiusculo.starts_with(prefixo)) continue;
      const double v = parseDecimal(nomeMaiusculo.substr(prefixo.size())).value_or(0.0);
      if (v > encontrada && v <= pedida) {
        encontrada = v;
        chave = nome;
      }
    }
  }
  Versao = encontrada;
  URL = FPIniParams.ReadString(NomeSessao, encontrada > 0 ? chave : NomeServico, "");
}

void TDFeComponente::LerDeParams(const std::string& NomeSessao, const std::string& NomeServico,
                                 double& Versao, std::string& Servico) {
  LerServicoChaveDeParams(NomeSessao, NomeServico, Versao, Servico);
}

void TDFeComponente::LerServicoDeParams(const std::string& ModeloDFe, const std::string& UF,
                                        TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                                        double& Versao, std::string& URL, std::string& Servico,
                                        std::string& SoapAction) {
  if (ModeloDFe.empty()) throw EDFeException("ModeloDFe não pode ser vazio");
  if (UF.empty()) throw EDFeException("UF não pode ser vazia");
  CarregarParamsIni(true);

  std::string sessao =
      ModeloDFe + "_" + UF + "_" + (TipoAmbiente == TTipoAmbiente::taHomologacao ? "H" : "P");
  double versao = Versao;
  const auto lerTres = [&] {
    LerServicoChaveDeParams(sessao, NomeServico, versao, URL);
    LerServicoChaveDeParams(FPIniParams.ReadString(sessao, "WSDL", ""), NomeServico, versao,
                            Servico);
    LerServicoChaveDeParams(FPIniParams.ReadString(sessao, "SoapAction", ""), NomeServico, versao,
                            SoapAction);
  };
  lerTres();

  const std::string& recurso = FPConfiguracoes->WebServices().ResourceName();
  // Whole names, letter case ignored (as the table matches sections), so that a section whose
  // name is part of another's is not taken for a loop.
  std::vector<std::string> visitadas;
  while (URL.empty()) {
    for (const std::string& visitada : visitadas) {
      if (equalsNoCase(visitada, sessao)) {
        throw EDFeException("Redirecionamento circular detectado: Sessão " + entreAspas(sessao) +
                            " no arquivo " + entreAspas(recurso));
      }
    }
    visitadas.push_back(sessao);
    if (!FPIniParams.SectionExists(sessao)) {
      throw EDFeException("Sessão " + entreAspas(sessao) + ", não encontrada no arquivo " +
                          entreAspas(recurso));
    }
    const std::string usar = FPIniParams.ReadString(sessao, "Usar", "");
    if (usar.empty()) {
      throw EDFeException("URL para o serviço " + entreAspas(NomeServico) +
                          " não encontrada na sessão " + entreAspas(sessao) + " no arquivo " +
                          entreAspas(recurso));
    }
    sessao = usar;
    versao = Versao;
    lerTres();
  }

  const std::string schema = NomeServicoParaSchema(NomeServico);
  if (!schema.empty()) {
    double versaoSchema = Versao;
    LocalizarArqSchema(schema, versaoSchema);
    if (versaoSchema > 0) versao = versaoSchema;
  }
  if (versao > 0) Versao = versao;
}

void TDFeComponente::LerServicoDeParams(const std::string& ModeloDFe, const std::string& UF,
                                        TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                                        double& Versao, std::string& URL) {
  std::string servico;
  std::string soapAction;
  LerServicoDeParams(ModeloDFe, UF, TipoAmbiente, NomeServico, Versao, URL, servico, soapAction);
}

double TDFeComponente::LerVersaoDeParams(const std::string& ModeloDFe, const std::string& UF,
                                         TTipoAmbiente TipoAmbiente, const std::string& NomeServico,
                                         double VersaoBase) {
  double versao = VersaoBase;
  std::string url;
  LerServicoDeParams(ModeloDFe, UF, TipoAmbiente, NomeServico, versao, url);
  return versao;
}

std::string TDFeComponente::LerURLDeParams(const std::string& ModeloDFe, const std::string& UF,
                                           TTipoAmbiente TipoAmbiente,
                                           const std::string& NomeServico, double VersaoBase) {
  double versao = VersaoBase;
  std::string url;
  LerServicoDeParams(ModeloDFe, UF, TipoAmbiente, NomeServico, versao, url);
  return url;
}

}  // namespace luvaro
