#pragma once

#include <string>

#include "dfe/config/grupo_conf.h"
#include "dfe/secure_string.h"

namespace luvaro {

// Which certificate signs and authenticates; each setter acts only on a change and writes
// through to the facade (which unloads a loaded certificate).
class TCertificadosConf : public TGrupoConf {
 public:
  explicit TCertificadosConf(TConfiguracoes* AConfiguracoes) : TGrupoConf(AConfiguracoes) {}

  const std::string& ArquivoPFX() const { return FArquivoPFX; }
  void SetArquivoPFX(const std::string& value);
  const std::string& DadosPFX() const { return FDadosPFX; }
  void SetDadosPFX(const std::string& value);
  const std::string& NumeroSerie() const { return FNumeroSerie; }
  // Stored without blanks, upper-cased.
  void SetNumeroSerie(const std::string& value);
  // The password is held scrambled under a key made at each change; this is a clear copy.
  SecureString Senha() const;
  void SetSenha(const std::string& value);
  bool VerificarValidade() const { return FVerificarValidade; }
  void SetVerificarValidade(bool value) { FVerificarValidade = value; }

  // Copies DadosPFX, Senha, NumeroSerie and ArquivoPFX (not VerificarValidade).
  virtual void Assign(const TCertificadosConf& DeCertificadosConf);
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  std::string FArquivoPFX;
  std::string FDadosPFX;
  std::string FNumeroSerie;
  SecureString FSenha;       // scrambled
  SecureString FSenhaChave;  // the key it is scrambled with
  bool FVerificarValidade = true;
};

}  // namespace luvaro
