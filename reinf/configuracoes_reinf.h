#pragma once

#include <memory>
#include <string>

#include "dfe/config/arquivos_conf.h"
#include "dfe/config/configuracoes.h"
#include "dfe/config/geral_conf.h"
#include "dfe/xml/data_hora.h"
#include "reinf/reinf_conversao.h"

namespace luvaro::reinf {

// The general group with the EFD-Reinf settings: layout version, contributor and transmitter
// registrations and the contributor kind. INI keys in section "Reinf".
class TGeralConfReinf : public TGeralConf {
 public:
  using TGeralConf::TGeralConf;

  // Any byte is kept; values outside the version table have no text and the number 0.
  TVersaoReinf VersaoDF() const { return FVersaoDF; }
  void SetVersaoDF(TVersaoReinf value) { FVersaoDF = value; }
  // The contributor's registration as given (14-digit CNPJ or 11-digit CPF), unchanged.
  const std::string& IdContribuinte() const { return FIdContribuinte; }
  void SetIdContribuinte(const std::string& value) { FIdContribuinte = value; }
  // Stored and persisted; nothing in EFD-Reinf reads it.
  const std::string& IdTransmissor() const { return FIdTransmissor; }
  void SetIdTransmissor(const std::string& value) { FIdTransmissor = value; }
  TContribuinte TipoContribuinte() const { return FTipoContribuinte; }
  void SetTipoContribuinte(TContribuinte value) { FTipoContribuinte = value; }

  // The base group, then the four properties when the source is an EFD-Reinf group too.
  void Assign(const TGeralConf& DeGeralConf) override;
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  TVersaoReinf FVersaoDF = TVersaoReinf::v1_03_00;
  std::string FIdContribuinte;
  std::string FIdTransmissor;
  TContribuinte FTipoContribuinte = TContribuinte::tcPessoaJuridica;
};

// The file group with the folder of saved event files.
class TArquivosConfReinf : public TArquivosConf {
 public:
  using TArquivosConf::TArquivosConf;

  bool EmissaoPathReinf() const { return FEmissaoPathReinf; }
  void SetEmissaoPathReinf(bool value) { FEmissaoPathReinf = value; }
  const std::string& PathReinf() const { return FPathReinf; }
  void SetPathReinf(const std::string& value) { FPathReinf = value; }

  // The folder for saved event files: the path builder over PathReinf (empty: PathSalvar),
  // the literal "Reinf", the registration, the date and the model "Reinf".
  std::string GetPathReinf(DateTime Data, const std::string& CNPJ);

  void Assign(const TArquivosConf& DeArquivosConf) override;
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  bool FEmissaoPathReinf = false;
  std::string FPathReinf;
};

// The EFD-Reinf configuration: section "Reinf", the embedded table "ReinfServicos", and the
// two EFD-Reinf groups in place of the generic ones.
class TConfiguracoesReinf : public TConfiguracoes {
 public:
  explicit TConfiguracoesReinf(TDFeComponente* AOwner);

  TGeralConfReinf& Geral() { return static_cast<TGeralConfReinf&>(*FPGeral); }
  const TGeralConfReinf& Geral() const { return static_cast<const TGeralConfReinf&>(*FPGeral); }
  TArquivosConfReinf& Arquivos() { return static_cast<TArquivosConfReinf&>(*FPArquivos); }
  const TArquivosConfReinf& Arquivos() const {
    return static_cast<const TArquivosConfReinf&>(*FPArquivos);
  }

  // Geral, WebServices, Certificados, Arquivos (the technical-responsible group is not copied).
  void Assign(const TConfiguracoes& DeConfiguracoes) override;

 protected:
  std::unique_ptr<TGeralConf> CriarGeralConf() override;
  std::unique_ptr<TArquivosConf> CriarArquivosConf() override;
};

}  // namespace luvaro::reinf
