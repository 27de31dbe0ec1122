#pragma once

#include <memory>
#include <string>

#include "dfe/config/arquivos_conf.h"
#include "dfe/config/certificados_conf.h"
#include "dfe/config/geral_conf.h"
#include "dfe/config/resp_tec_conf.h"
#include "dfe/config/web_services_conf.h"

namespace luvaro {

class IniFile;
class TDFeComponente;

// The configuration of a component: five groups, the component's INI section and the key of
// the secrets written to INI files.
//
// The groups come from the virtual factories CriarGeralConf ... CriarRespTecConf. C++ does
// not dispatch virtual calls from a base constructor, so the base constructor makes the base
// groups and a derived configuration calls CriarGrupos() again in its own constructor (after
// setting FPSessaoIni and ResourceName) for its factories to take effect.
class TConfiguracoes {
 public:
  // The owner may be null (then no folder default is computed and nothing writes through).
  explicit TConfiguracoes(TDFeComponente* AOwner);
  virtual ~TConfiguracoes();
  TConfiguracoes(const TConfiguracoes&) = delete;  // groups point back to this object
  TConfiguracoes& operator=(const TConfiguracoes&) = delete;

  TDFeComponente* Owner() const { return FOwner; }
  TGeralConf& Geral() { return *FPGeral; }
  const TGeralConf& Geral() const { return *FPGeral; }
  TWebServicesConf& WebServices() { return *FPWebServices; }
  const TWebServicesConf& WebServices() const { return *FPWebServices; }
  TCertificadosConf& Certificados() { return *FPCertificados; }
  const TCertificadosConf& Certificados() const { return *FPCertificados; }
  TArquivosConf& Arquivos() { return *FPArquivos; }
  const TArquivosConf& Arquivos() const { return *FPArquivos; }
  TRespTecConf& RespTec() { return *FPRespTec; }
  const TRespTecConf& RespTec() const { return *FPRespTec; }

  const std::string& SessaoIni() const { return FPSessaoIni; }
  const std::string& ChaveCryptINI() const { return FChaveCryptINI; }
  void SetChaveCryptINI(const std::string& value) { FChaveCryptINI = value; }

  // Each group in the order Geral, WebServices, Certificados, Arquivos, RespTec.
  virtual void Assign(const TConfiguracoes& DeConfiguracoes);
  virtual void LerIni(const IniFile& AIni);
  virtual void GravarIni(IniFile& AIni) const;
  // The file's lines replace WebServices.Params; EDFeException when the file does not exist.
  void LerParams(const std::string& NomeArqParams);

 protected:
  virtual std::unique_ptr<TGeralConf> CriarGeralConf();
  virtual std::unique_ptr<TWebServicesConf> CriarWebServicesConf();
  virtual std::unique_ptr<TCertificadosConf> CriarCertificadosConf();
  virtual std::unique_ptr<TArquivosConf> CriarArquivosConf();
  virtual std::unique_ptr<TRespTecConf> CriarRespTecConf();
  // Makes the five groups through the factories, keeping ResourceName across the change.
  void CriarGrupos();

  std::string FPSessaoIni;
  std::unique_ptr<TGeralConf> FPGeral;
  std::unique_ptr<TWebServicesConf> FPWebServices;
  std::unique_ptr<TCertificadosConf> FPCertificados;
  std::unique_ptr<TArquivosConf> FPArquivos;
  std::unique_ptr<TRespTecConf> FPRespTec;

 private:
  TDFeComponente* FOwner;
  std::string FChaveCryptINI;
};

}  // namespace luvaro
