#include "dfe/config/web_services_conf.h"

#include <array>
#include <climits>
#include <cstdint>
#include <utility>

#include "dfe/config/arquivos_conf.h"
#include "dfe/config/configuracoes.h"
#include "dfe/config/ini.h"
#include "dfe/config/servicos_embutidos.h"
#include "dfe/dfe_exception.h"
#include "dfe/ler_arquivo.h"
#include "dfe/ssl/codec.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/xml/cifra_texto.h"
#include "dfe/xml/texto.h"

namespace luvaro {
namespace {

constexpr std::array<std::pair<const char*, int>, 27> kUFs = {{
    {"AC", 12}, {"AL", 27}, {"AP", 16}, {"AM", 13}, {"BA", 29}, {"CE", 23}, {"DF", 53},
    {"ES", 32}, {"GO", 52}, {"MA", 21}, {"MT", 51}, {"MS", 50}, {"MG", 31}, {"PA", 15},
    {"PB", 25}, {"PR", 41}, {"PE", 26}, {"PI", 22}, {"RJ", 33}, {"RN", 24}, {"RS", 43},
    {"RO", 11}, {"RR", 14}, {"SC", 42}, {"SP", 35}, {"SE", 28}, {"TO", 17},
}};

// An INI integer that fits an int, else the current value.
int comoInt(std::int64_t value, int atual) {
  return value >= INT_MIN && value <= INT_MAX ? static_cast<int>(value) : atual;
}

}  // namespace

int CodigoUF(const std::string& UF) {
  for (const auto& [sigla, codigo] : kUFs) {
    if (UF == sigla) return codigo;
  }
  return 0;
}

void TWebServicesConf::SetUF(const std::string& value) {
  const int codigo = CodigoUF(value);
  if (codigo == 0) return;
  FUF = value;
  FUFCodigo = codigo;
}

void TWebServicesConf::SetProxyHost(const std::string& value) {
  if (value == FProxyHost) return;
  FProxyHost = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetProxyHost(value);
}

void TWebServicesConf::SetProxyPort(const std::string& value) {
  if (value == FProxyPort) return;
  FProxyPort = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetProxyPort(value);
}

void TWebServicesConf::SetProxyUser(const std::string& value) {
  if (value == FProxyUser) return;
  FProxyUser = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetProxyUser(value);
}

void TWebServicesConf::SetProxyPass(const std::string& value) {
  if (value == FProxyPass) return;
  FProxyPass = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetProxyPass(value);
}

void TWebServicesConf::SetTimeOut(int value) {
  if (value == FTimeOut) return;
  FTimeOut = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetTimeOut(value);
}

void TWebServicesConf::SetTimeOutPorThread(bool value) {
  if (value == FTimeOutPorThread) return;
  FTimeOutPorThread = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetTimeOutPorThread(value);
}

void TWebServicesConf::SetSSLType(TSSLType value) {
  if (value == FSSLType) return;
  FSSLType = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetSSLType(value);
}

void TWebServicesConf::SetVerificarServidor(bool value) {
  if (value == FVerificarServidor) return;
  FVerificarServidor = value;
  if (TDFeSSL* ssl = SSL()) ssl->SetVerificarServidor(value);
}

void TWebServicesConf::LerParams() {
  if (!FParams.empty()) return;
  std::string texto = LerParamsArquivo();
  if (texto.empty()) texto = LerParamsRecurso();
  FParams = splitLines(texto);
}

std::string TWebServicesConf::LerParamsArquivo() const {
  const std::string nome = fpConfiguracoes->Arquivos().IniServicos();
  if (nome.empty()) return {};
  // A table beside the program replaces the built-in one; one that is there but cannot be read
  // fails naming it, rather than sending to the addresses the user meant to replace.
  std::error_code ec;
  if (!std::filesystem::exists(nome, ec)) return {};
  const std::string bytes = LerArquivo(nome);
  if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
  if (bytes.starts_with("\xFF\xFE")) return utf16ToUtf8(std::string_view(bytes).substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return utf16ToUtf8(std::string_view(bytes).substr(2), true);
  return bytes;
}

std::string TWebServicesConf::LerParamsRecurso() const {
  const auto texto = ServicosEmbutidos(FResourceName);
  if (!texto) throw EDFeException("Recurso \"" + FResourceName + "\" não encontrado no programa");
  return std::string(*texto);
}

void TWebServicesConf::Assign(const TWebServicesConf& De) {
  SetVisualizar(De.Visualizar());
  SetUF(De.UF());
  SetAmbiente(De.Ambiente());
  SetProxyHost(De.ProxyHost());
  SetProxyPort(De.ProxyPort());
  SetProxyUser(De.ProxyUser());
  SetProxyPass(De.ProxyPass());
  SetAguardarConsultaRet(De.AguardarConsultaRet());
  SetTentativas(De.Tentativas());
  SetIntervaloTentativas(De.IntervaloTentativas());
  SetAjustaAguardaConsultaRet(De.AjustaAguardaConsultaRet());
  SetSalvar(De.Salvar());
  SetParams(De.Params());
  SetTimeOut(De.TimeOut());
  SetTimeOutPorThread(De.TimeOutPorThread());
  SetQuebradeLinha(De.QuebradeLinha());
  FTimeZoneConf.Assign(De.TimeZoneConf());
  SetSSLType(De.SSLType());
  SetVerificarServidor(De.VerificarServidor());
  SetResourceName(De.ResourceName());
}

void TWebServicesConf::LerIni(const IniFile& AIni) {
  SetUF(AIni.ReadString(kSessaoDFe, "UF", FUF));
  FTimeZoneConf.SetModoDeteccao(AIni.ReadEnum(
      kSessaoDFe, "TimeZone.Modo", FTimeZoneConf.ModoDeteccao(), TTimeZoneModoDeteccao::tzManual));
  FTimeZoneConf.SetTimeZoneStr(
      AIni.ReadString(kSessaoDFe, "TimeZone.Str", FTimeZoneConf.TimeZoneStr()));
  SetProxyHost(AIni.ReadString(kSessaoDFe, "Proxy.Host", FProxyHost));
  SetProxyPort(AIni.ReadString(kSessaoDFe, "Proxy.Port", FProxyPort));
  SetProxyUser(AIni.ReadString(kSessaoDFe, "Proxy.User", FProxyUser));
  if (AIni.ValueExists(kSessaoDFe, "Proxy.Pass")) {
    const std::string& chave = fpConfiguracoes->ChaveCryptINI();
    const auto dados = Base64Decode(AIni.ReadString(kSessaoDFe, "Proxy.Pass", ""));
    if (dados) SetProxyPass(CifrarTexto(*dados, chave.empty() ? FProxyHost : chave));
  }
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  SetAmbiente(AIni.ReadEnum(sessao, "Ambiente", FAmbiente, TTipoAmbiente::taHomologacao));
  SetSalvar(AIni.ReadBool(sessao, "SalvarWS", FSalvar));
  SetTimeOut(comoInt(AIni.ReadInteger(sessao, "Timeout", FTimeOut), FTimeOut));
  SetTimeOutPorThread(AIni.ReadBool(sessao, "TimeoutPorThread", FTimeOutPorThread));
  SetVisualizar(AIni.ReadBool(sessao, "Visualizar", FVisualizar));
  SetAjustaAguardaConsultaRet(
      AIni.ReadBool(sessao, "AjustaAguardaConsultaRet", FAjustaAguardaConsultaRet));
  const auto aguardar = AIni.ReadInteger(sessao, "AguardarConsultaRet", FAguardarConsultaRet);
  if (aguardar >= 0 && aguardar <= 0xFFFFFFFFLL) {
    SetAguardarConsultaRet(static_cast<unsigned>(aguardar));
  }
  const auto intervalo = AIni.ReadInteger(sessao, "IntervaloTentativas", FIntervaloTentativas);
  if (intervalo >= 0 && intervalo <= 0xFFFFFFFFLL) {
    SetIntervaloTentativas(static_cast<unsigned>(intervalo));
  }
  SetTentativas(comoInt(AIni.ReadInteger(sessao, "Tentativas", FTentativas), FTentativas));
  SetSSLType(AIni.ReadEnum(sessao, "SSLType", FSSLType, TSSLType::LT_SSHv2));
  SetQuebradeLinha(AIni.ReadString(sessao, "QuebradeLinha", FQuebradeLinha));
  SetVerificarServidor(AIni.ReadBool(sessao, "VerificarServidor", FVerificarServidor));
}

void TWebServicesConf::GravarIni(IniFile& AIni) const {
  AIni.WriteString(kSessaoDFe, "UF", FUF);
  AIni.WriteEnum(kSessaoDFe, "TimeZone.Modo", FTimeZoneConf.ModoDeteccao());
  AIni.WriteString(kSessaoDFe, "TimeZone.Str", FTimeZoneConf.TimeZoneStr());
  AIni.WriteString(kSessaoDFe, "Proxy.Host", FProxyHost);
  AIni.WriteString(kSessaoDFe, "Proxy.Port", FProxyPort);
  AIni.WriteString(kSessaoDFe, "Proxy.User", FProxyUser);
  const std::string& chave = fpConfiguracoes->ChaveCryptINI();
  AIni.WriteString(kSessaoDFe, "Proxy.Pass",
                   Base64Encode(CifrarTexto(FProxyPass, chave.empty() ? FProxyHost : chave)));
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteEnum(sessao, "Ambiente", FAmbiente);
  AIni.WriteBool(sessao, "SalvarWS", FSalvar);
  AIni.WriteInteger(sessao, "Timeout", FTimeOut);
  AIni.WriteBool(sessao, "TimeoutPorThread", FTimeOutPorThread);
  AIni.WriteBool(sessao, "Visualizar", FVisualizar);
  AIni.WriteBool(sessao, "AjustaAguardaConsultaRet", FAjustaAguardaConsultaRet);
  AIni.WriteInteger(sessao, "AguardarConsultaRet", FAguardarConsultaRet);
  AIni.WriteInteger(sessao, "IntervaloTentativas", FIntervaloTentativas);
  AIni.WriteInteger(sessao, "Tentativas", FTentativas);
  AIni.WriteEnum(sessao, "SSLType", FSSLType);
  AIni.WriteString(sessao, "QuebradeLinha", FQuebradeLinha);
  AIni.WriteBool(sessao, "VerificarServidor", FVerificarServidor);
}

}  // namespace luvaro
