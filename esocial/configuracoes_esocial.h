#pragma once

#include <memory>
#include <string>

#include "dfe/config/arquivos_conf.h"
#include "dfe/config/configuracoes.h"
#include "dfe/config/geral_conf.h"
#include "dfe/xml/data_hora.h"
#include "esocial/esocial_conversao.h"

namespace luvaro {

// The general group with the eSocial settings: layout version, employer and transmitter
// registrations and the employer kind. INI keys in section "eSocial".
class TGeralConfeSocial : public TGeralConf {
 public:
  using TGeralConf::TGeralConf;

  // Any byte is kept; values outside the version table have no text and the number 0.
  TVersaoeSocial VersaoDF() const { return FVersaoDF; }
  void SetVersaoDF(TVersaoeSocial value) { FVersaoDF = value; }
  // Registrations as given (14-digit CNPJ or 11-digit CPF), stored without change.
  const std::string& IdEmpregador() const { return FIdEmpregador; }
  void SetIdEmpregador(const std::string& value) { FIdEmpregador = value; }
  const std::string& IdTransmissor() const { return FIdTransmissor; }
  void SetIdTransmissor(const std::string& value) { FIdTransmissor = value; }
  TEmpregador TipoEmpregador() const { return FTipoEmpregador; }
  void SetTipoEmpregador(TEmpregador value) { FTipoEmpregador = value; }

  // The base group, then the four properties when the source is an eSocial group too.
  void Assign(const TGeralConf& DeGeralConf) override;
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  TVersaoeSocial FVersaoDF = TVersaoeSocial::ve02_04_01;
  std::string FIdEmpregador;
  std::string FIdTransmissor;
  TEmpregador FTipoEmpregador = TEmpregador::tePessoaJuridica;
};

// The file group with the folder of saved event files.
class TArquivosConfeSocial : public TArquivosConf {
 public:
  using TArquivosConf::TArquivosConf;

  bool EmissaoPatheSocial() const { return FEmissaoPatheSocial; }
  void SetEmissaoPatheSocial(bool value) { FEmissaoPatheSocial = value; }
  const std::string& PatheSocial() const { return FPatheSocial; }
  void SetPatheSocial(const std::string& value) { FPatheSocial = value; }

  // The folder for saved event files: the path builder over PatheSocial (empty: PathSalvar),
  // the literal "eSocial", the registration, the date and the model "eSocial".
  std::string GetPatheSocial(const std::string& CNPJ, DateTime Data);

  void Assign(const TArquivosConf& DeArquivosConf) override;
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  bool FEmissaoPatheSocial = false;
  std::string FPatheSocial;
};

// The eSocial configuration: section "eSocial", the embedded table "eSocialServicos", and the
// two eSocial groups in place of the generic ones.
class TConfiguracoeseSocial : public TConfiguracoes {
 public:
  explicit TConfiguracoeseSocial(TDFeComponente* AOwner);

  TGeralConfeSocial& Geral() { return static_cast<TGeralConfeSocial&>(*FPGeral); }
  const TGeralConfeSocial& Geral() const { return static_cast<const TGeralConfeSocial&>(*FPGeral); }
  TArquivosConfeSocial& Arquivos() { return static_cast<TArquivosConfeSocial&>(*FPArquivos); }
  const TArquivosConfeSocial& Arquivos() const {
    return static_cast<const TArquivosConfeSocial&>(*FPArquivos);
  }

  // Geral, WebServices, Certificados, Arquivos (the technical-responsible group is not copied).
  void Assign(const TConfiguracoes& DeConfiguracoes) override;

 protected:
  std::unique_ptr<TGeralConf> CriarGeralConf() override;
  std::unique_ptr<TArquivosConf> CriarArquivosConf() override;
};

}  // namespace luvaro
