#include "dfe/config/geral_conf.h"

#include <array>

#include "dfe/config/ini.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/gerador.h"

namespace luvaro {
namespace {

struct Atalho {
  TSSLLib lib;
  TSSLCryptLib crypt;
  TSSLHttpLib http;
  TSSLXmlSignLib xmlSign;
};

// The shorthand and the three back-ends it stands for; libCustom has no row.
constexpr std::array<Atalho, 5> kAtalhos = {{
    {TSSLLib::libNone, TSSLCryptLib::cryNone, TSSLHttpLib::httpNone, TSSLXmlSignLib::xsNone},
    {TSSLLib::libOpenSSL, TSSLCryptLib::cryOpenSSL, TSSLHttpLib::httpOpenSSL,
     TSSLXmlSignLib::xsLibXml2},
    {TSSLLib::libCapicom, TSSLCryptLib::cryCapicom, TSSLHttpLib::httpWinINet,
     TSSLXmlSignLib::xsMsXmlCapicom},
    {TSSLLib::libCapicomMorvelSoap, TSSLCryptLib::cryCapicom, TSSLHttpLib::httpZorv,
     TSSLXmlSignLib::xsMsXmlCapicom},
    {TSSLLib::libWinCrypt, TSSLCryptLib::cryWinCrypt, TSSLHttpLib::httpWinHttp,
     TSSLXmlSignLib::xsLibXml2},
}};

}  // namespace

void TGeralConf::SetSSLLib(TSSLLib value) {
  for (const Atalho& a : kAtalhos) {
    if (a.lib == value) {
      SetSSLCryptLib(a.crypt);
      SetSSLHttpLib(a.http);
      SetSSLXmlSignLib(a.xmlSign);
      break;
    }
  }
  FSSLLib = value;
}

void TGeralConf::SetSSLCryptLib(TSSLCryptLib value) {
  if (TDFeSSL* ssl = SSL()) ssl->SetSSLCryptLib(value);
  FSSLCryptLib = value;
  AtualizarSSLLib();
}

void TGeralConf::SetSSLHttpLib(TSSLHttpLib value) {
  if (TDFeSSL* ssl = SSL()) ssl->SetSSLHttpLib(value);
  FSSLHttpLib = value;
  AtualizarSSLLib();
}

void TGeralConf::SetSSLXmlSignLib(TSSLXmlSignLib value) {
  if (TDFeSSL* ssl = SSL()) ssl->SetSSLXmlSignLib(value);
  FSSLXmlSignLib = value;
  AtualizarSSLLib();
}

void TGeralConf::AtualizarSSLLib() {
  for (const Atalho& a : kAtalhos) {
    if (a.crypt == FSSLCryptLib && a.http == FSSLHttpLib && a.xmlSign == FSSLXmlSignLib) {
      FSSLLib = a.lib;
      return;
    }
  }
  FSSLLib = TSSLLib::libCustom;
}

std::string TGeralConf::FormatoAlerta() const {
  static constexpr const char* kMarcas[] = {"%TAGNIVEL%", "%TAG%", "%ID%", "%MSG%", "%DESCRICAO%"};
  if (!FFormatoAlerta.empty()) {
    for (const char* marca : kMarcas) {
      if (FFormatoAlerta.find(marca) != std::string::npos) return FFormatoAlerta;
    }
  }
  return kFormatoAlertaPadrao;
}

void TGeralConf::Assign(const TGeralConf& De) {
  SetSSLLib(De.SSLLib());
  SetSSLCryptLib(De.SSLCryptLib());
  SetSSLHttpLib(De.SSLHttpLib());
  SetSSLXmlSignLib(De.SSLXmlSignLib());
  SetFormaEmissao(De.FormaEmissao());
  SetSalvar(De.Salvar());
  SetExibirErroSchema(De.ExibirErroSchema());
  SetFormatoAlerta(De.FormatoAlerta());
  SetRetirarAcentos(De.RetirarAcentos());
  SetRetirarEspacos(De.RetirarEspacos());
  SetValidarDigest(De.ValidarDigest());
}

void TGeralConf::LerIni(const IniFile& AIni) {
  SetSSLCryptLib(AIni.ReadEnum(kSessaoDFe, "SSLCryptLib", FSSLCryptLib, TSSLCryptLib::cryWinCrypt));
  SetSSLHttpLib(AIni.ReadEnum(kSessaoDFe, "SSLHttpLib", FSSLHttpLib, TSSLHttpLib::httpZorv));
  SetSSLXmlSignLib(
      AIni.ReadEnum(kSessaoDFe, "SSLXmlSignLib", FSSLXmlSignLib, TSSLXmlSignLib::xsLibXml2));
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  SetFormaEmissao(AIni.ReadEnum(sessao, "FormaEmissao", FFormaEmissao, TTipoEmissao::teOffLine));
  SetSalvar(AIni.ReadBool(sessao, "SalvarGer", FSalvar));
  SetExibirErroSchema(AIni.ReadBool(sessao, "ExibirErroSchema", FExibirErroSchema));
  SetFormatoAlerta(AIni.ReadString(sessao, "FormatoAlerta", FFormatoAlerta));
  SetRetirarAcentos(AIni.ReadBool(sessao, "RetirarAcentos", FRetirarAcentos));
  SetRetirarEspacos(AIni.ReadBool(sessao, "RetirarEspacos", FRetirarEspacos));
  SetIdentarXML(AIni.ReadBool(sessao, "IdentarXML", FIdentarXML));
  SetValidarDigest(AIni.ReadBool(sessao, "ValidarDigest", FValidarDigest));
}

void TGeralConf::GravarIni(IniFile& AIni) const {
  AIni.WriteEnum(kSessaoDFe, "SSLCryptLib", FSSLCryptLib);
  AIni.WriteEnum(kSessaoDFe, "SSLHttpLib", FSSLHttpLib);
  AIni.WriteEnum(kSessaoDFe, "SSLXmlSignLib", FSSLXmlSignLib);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteEnum(sessao, "FormaEmissao", FFormaEmissao);
  AIni.WriteBool(sessao, "SalvarGer", FSalvar);
  AIni.WriteBool(sessao, "ExibirErroSchema", FExibirErroSchema);
  AIni.WriteString(sessao, "FormatoAlerta", FormatoAlerta());
  AIni.WriteBool(sessao, "RetirarAcentos", FRetirarAcentos);
  AIni.WriteBool(sessao, "RetirarEspacos", FRetirarEspacos);
  AIni.WriteBool(sessao, "IdentarXML", FIdentarXML);
  AIni.WriteBool(sessao, "ValidarDigest", FValidarDigest);
}

}  // namespace luvaro
