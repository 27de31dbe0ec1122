#pragma once

#include <string>

#include "dfe/config/config_types.h"
#include "dfe/config/grupo_conf.h"
#include "dfe/ssl/ssl_types.h"

namespace luvaro {

// General settings: the three security back-ends (and their shorthand) and the writer options.
class TGeralConf : public TGrupoConf {
 public:
  explicit TGeralConf(TConfiguracoes* AConfiguracoes) : TGrupoConf(AConfiguracoes) {}

  // Setting the shorthand sets the three back-ends from its row; libCustom leaves them.
  TSSLLib SSLLib() const { return FSSLLib; }
  void SetSSLLib(TSSLLib value);
  // Each back-end setter writes through to the facade and recomputes the shorthand.
  TSSLCryptLib SSLCryptLib() const { return FSSLCryptLib; }
  void SetSSLCryptLib(TSSLCryptLib value);
  TSSLHttpLib SSLHttpLib() const { return FSSLHttpLib; }
  void SetSSLHttpLib(TSSLHttpLib value);
  TSSLXmlSignLib SSLXmlSignLib() const { return FSSLXmlSignLib; }
  void SetSSLXmlSignLib(TSSLXmlSignLib value);

  TTipoEmissao FormaEmissao() const { return FFormaEmissao; }
  void SetFormaEmissao(TTipoEmissao value) { FFormaEmissao = value; }
  int FormaEmissaoCodigo() const { return static_cast<int>(FFormaEmissao) + 1; }
  bool Salvar() const { return FSalvar; }
  void SetSalvar(bool value) { FSalvar = value; }
  bool ExibirErroSchema() const { return FExibirErroSchema; }
  void SetExibirErroSchema(bool value) { FExibirErroSchema = value; }
  // The stored template when it holds at least one marker, else the default one.
  std::string FormatoAlerta() const;
  void SetFormatoAlerta(const std::string& value) { FFormatoAlerta = value; }
  bool RetirarAcentos() const { return FRetirarAcentos; }
  void SetRetirarAcentos(bool value) { FRetirarAcentos = value; }
  bool RetirarEspacos() const { return FRetirarEspacos; }
  void SetRetirarEspacos(bool value) { FRetirarEspacos = value; }
  bool IdentarXML() const { return FIdentarXML; }
  void SetIdentarXML(bool value) { FIdentarXML = value; }
  bool ValidarDigest() const { return FValidarDigest; }
  void SetValidarDigest(bool value) { FValidarDigest = value; }

  // Copies the shorthand first, then the back-ends and the rest (not IdentarXML).
  virtual void Assign(const TGeralConf& DeGeralConf);
  void LerIni(const IniFile& AIni) override;
  void GravarIni(IniFile& AIni) const override;

 private:
  void AtualizarSSLLib();

  TSSLLib FSSLLib = TSSLLib::libNone;
  TSSLCryptLib FSSLCryptLib = TSSLCryptLib::cryNone;
  TSSLHttpLib FSSLHttpLib = TSSLHttpLib::httpNone;
  TSSLXmlSignLib FSSLXmlSignLib = TSSLXmlSignLib::xsNone;
  TTipoEmissao FFormaEmissao = TTipoEmissao::teNormal;
  bool FSalvar = true;
  bool FExibirErroSchema = true;
  std::string FFormatoAlerta;
  bool FRetirarAcentos = true;
  bool FRetirarEspacos = true;
  bool FIdentarXML = false;
  bool FValidarDigest = true;
};

}  // namespace luvaro
