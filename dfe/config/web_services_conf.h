#pragma once

#include <string>
#include <vector>

#include "dfe/config/config_types.h"
#include "dfe/config/grupo_conf.h"
#include "dfe/config/time_zone_conf.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

// Web-service settings: environment, state, proxy, time-outs, TLS version, the service address
// table's text and where it comes from.
class TWebServicesConf : public TGrupoConf {
 public:
  explicit TWebServicesConf(TConfiguracoes* AConfiguracoes) : TGrupoConf(AConfiguracoes) {}

  bool Visualizar() const { return FVisualizar; }
  void SetVisualizar(bool value) { FVisualizar = value; }
  const std::string& UF() const { return FUF; }
  // Only the 27 abbreviations, upper case, are taken; anything else is ignored.
  void SetUF(const std::string& value);
  int UFCodigo() const { return FUFCodigo; }
  TTipoAmbiente Ambiente() const { return FAmbiente; }
  void SetAmbiente(TTipoAmbiente value) { FAmbiente = value; }
  int AmbienteCodigo() const { return FAmbiente == TTipoAmbiente::taProducao ? 1 : 2; }
  const std::string& ProxyHost() const { return FProxyHost; }
  void SetProxyHost(const std::string& value);
  const std::string& ProxyPort() const { return FProxyPort; }
  void SetProxyPort(const std::string& value);
  const std::string& ProxyUser() const { return FProxyUser; }
  void SetProxyUser(const std::string& value);
  const std::string& ProxyPass() const { return FProxyPass; }
  void SetProxyPass(const std::string& value);
  unsigned AguardarConsultaRet() const { return FAguardarConsultaRet; }
  void SetAguardarConsultaRet(unsigned value) { FAguardarConsultaRet = value; }
  int Tentativas() const { return FTentativas; }
  // 0 or less becomes 5.
  void SetTentativas(int value) { FTentativas = value <= 0 ? 5 : value; }
  unsigned IntervaloTentativas() const { return FIntervaloTentativas; }
  // 1000 or less becomes 1000.
  void SetIntervaloTentativas(unsigned value) {
    FIntervaloTentativas = value <= 1000 ? 1000 : value;
  }
  bool AjustaAguardaConsultaRet() const { return FAjustaAguardaConsultaRet; }
  void SetAjustaAguardaConsultaRet(bool value) { FAjustaAguardaConsultaRet = value; }
  bool Salvar() const { return FSalvar; }
  void SetSalvar(bool value) { FSalvar = value; }
  const std::vector<std::string>& Params() const { return FParams; }
  void SetParams(const std::vector<std::string>& value) { FParams = value; }
  int TimeOut() const { return FTimeOut; }
  void SetTimeOut(int value);
  bool TimeOutPorThread() const { return FTimeOutPorThread; }
  void SetTimeOutPorThread(bool value);
  const std::string& QuebradeLinha() const { return FQuebradeLinha; }
  void SetQuebradeLinha(const std::string& value) { FQuebradeLinha = value; }
  TTimeZoneConf& TimeZoneConf() { return FTimeZoneConf; }
  const TTimeZoneConf& TimeZoneConf() const { return FTimeZoneConf; }
  TSSLType SSLType() const { return FSSLType; }
  void SetSSLType(TSSLType value);
  // The server's identity is verified before a request leaves (default on); forwarded to the
  // security facade.
  bool VerificarServidor() const { return FVerificarServidor; }
  void SetVerificarServidor(bool value);
  const std::string& ResourceName() const { return FResourceName; }
  void SetResourceName(const std::string& value) { FResourceName = value; }

  // Fills Params when it is empty: the external file's text, else the embedded table's.
  void LerParams();
  // The text of Arquivos.IniServicos when that names an existing file ("" otherwise); a
  // byte-order mark (UTF-8 or UTF-16) is honoured.
  std::string LerParamsArquivo() const;
  // The embedded table named ResourceName; EDFeException when the program has none.
  std::string LerParamsRecurso() const;

  virtual void Assign(const TWebServicesConf& DeWebServicesConf);
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  bool FVisualizar = false;
  std::string FUF = "SP";
  int FUFCodigo = 35;
  TTipoAmbiente FAmbiente = TTipoAmbiente::taHomologacao;
  std::string FProxyHost, FProxyPort, FProxyUser, FProxyPass;
  unsigned FAguardarConsultaRet = 0;
  int FTentativas = 5;
  unsigned FIntervaloTentativas = 1000;
  bool FAjustaAguardaConsultaRet = false;
  bool FSalvar = false;
  std::vector<std::string> FParams;
  int FTimeOut = 5000;
  bool FTimeOutPorThread = false;
  std::string FQuebradeLinha = "|";
  TTimeZoneConf FTimeZoneConf;
  TSSLType FSSLType = TSSLType::LT_all;
  bool FVerificarServidor = true;
  std::string FResourceName = "DFeServicos";
};

// The IBGE code of a state abbreviation (exact case); 0 when it is not one of the 27.
int CodigoUF(const std::string& UF);

}  // namespace luvaro
