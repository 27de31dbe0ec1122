#include "dfe/config/certificados_conf.h"

#include <optional>

#include "dfe/config/configuracoes.h"
#include "dfe/config/ini.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/cifra_texto.h"
#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

// Base64 of the secret, scrambled first when the configuration has an INI key.
std::string protegerSegredo(const std::string& valor, const std::string& chave) {
  return Base64Encode(chave.empty() ? valor : CifrarTexto(valor, chave));
}

// The secret read back; nothing when the key is absent or not Base64 (the value stays).
std::optional<SecureString> lerSegredo(const IniFile& ini, const char* nome,
                                       const std::string& chave) {
  if (!ini.ValueExists(kSessaoDFe, nome)) return std::nullopt;
  const auto dados = Base64Decode(ini.ReadString(kSessaoDFe, nome, ""));
  if (!dados) return std::nullopt;
  return SecureString(chave.empty() ? *dados : CifrarTexto(*dados, chave));
}

}  // namespace

void TCertificadosConf::SetArquivoPFX(const std::string& value) {
  if (value == FArquivoPFX) return;
  FArquivoPFX = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetArquivoPFX(value);
}

void TCertificadosConf::SetDadosPFX(const std::string& value) {
  if (value == FDadosPFX) return;
  FDadosPFX = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetDadosPFX(value);
}

void TCertificadosConf::SetNumeroSerie(const std::string& value) {
  std::string numero;
  for (char c : value) {
    if (c != ' ') numero.push_back(c);
  }
  numero = trimText(upperAscii(numero));
  if (numero == FNumeroSerie) return;
  FNumeroSerie = numero;
  if (TDFeSSL* ssl = SSL()) ssl->SetNumeroSerie(numero);
}

SecureString TCertificadosConf::Senha() const {
  return SecureString(CifrarTexto(FSenha.str(), FSenhaChave.str()));
}

void TCertificadosConf::SetSenha(const std::string& value) {
  SecureString atual(Senha());
  if (atual.str() == value) return;
  FSenhaChave = SecureString(ChaveDoMomento());
  FSenha = SecureString(CifrarTexto(value, FSenhaChave.str()));
  if (TDFeSSL* ssl = SSL()) ssl->SetSenha(value);
}

void TCertificadosConf::Assign(const TCertificadosConf& De) {
  SetDadosPFX(De.DadosPFX());
  const SecureString senha(De.Senha());
  SetSenha(senha.str());
  SetNumeroSerie(De.NumeroSerie());
  SetArquivoPFX(De.ArquivoPFX());
}

void TCertificadosConf::LerIni(const IniFile& AIni) {
  const std::string& chave = fpConfiguracoes->ChaveCryptINI();
  SetArquivoPFX(AIni.ReadString(kSessaoDFe, "ArquivoPFX", FArquivoPFX));
  if (const auto dados = lerSegredo(AIni, "DadosPFX", chave)) SetDadosPFX(dados->str());
  if (const auto senha = lerSegredo(AIni, "Senha", chave)) SetSenha(senha->str());
  SetNumeroSerie(AIni.ReadString(kSessaoDFe, "NumeroSerie", FNumeroSerie));
  SetVerificarValidade(AIni.ReadBool(kSessaoDFe, "VerificarValidade", FVerificarValidade));
}

void TCertificadosConf::GravarIni(IniFile& AIni) const {
  const std::string& chave = fpConfiguracoes->ChaveCryptINI();
  AIni.WriteString(kSessaoDFe, "ArquivoPFX", FArquivoPFX);
  AIni.WriteString(kSessaoDFe, "DadosPFX", protegerSegredo(FDadosPFX, chave));
  const SecureString senha(Senha());
  AIni.WriteString(kSessaoDFe, "Senha", protegerSegredo(senha.str(), chave));
  AIni.WriteString(kSessaoDFe, "NumeroSerie", FNumeroSerie);
  AIni.WriteBool(kSessaoDFe, "VerificarValidade", FVerificarValidade);
}

}  // namespace luvaro
