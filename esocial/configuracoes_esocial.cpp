#include "esocial/configuracoes_esocial.h"

#include "dfe/config/ini.h"

namespace luvaro {

// --- TGeralConfeSocial

void TGeralConfeSocial::Assign(const TGeralConf& De) {
  TGeralConf::Assign(De);
  if (const auto* eSocial = dynamic_cast<const TGeralConfeSocial*>(&De)) {
    SetVersaoDF(eSocial->VersaoDF());
    SetIdEmpregador(eSocial->IdEmpregador());
    SetIdTransmissor(eSocial->IdTransmissor());
    SetTipoEmpregador(eSocial->TipoEmpregador());
  }
}

void TGeralConfeSocial::LerIni(const IniFile& AIni) {
  TGeralConf::LerIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  // The version is a plain byte: every byte value is taken, as it was written.
  const auto versao = AIni.ReadInteger(sessao, "VersaoDF", static_cast<std::int64_t>(FVersaoDF));
  if (versao >= 0 && versao <= 255) FVersaoDF = static_cast<TVersaoeSocial>(versao);
  SetIdTransmissor(AIni.ReadString(sessao, "IdTransmissor", FIdTransmissor));
  SetIdEmpregador(AIni.ReadString(sessao, "IdEmpregador", FIdEmpregador));
  SetTipoEmpregador(AIni.ReadEnum(sessao, "TipoEmpregador", FTipoEmpregador,
                                  TEmpregador::teOrgaoPublicoAutonomoFederal));
}

void TGeralConfeSocial::GravarIni(IniFile& AIni) const {
  TGeralConf::GravarIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteEnum(sessao, "VersaoDF", FVersaoDF);
  AIni.WriteString(sessao, "IdTransmissor", FIdTransmissor);
  AIni.WriteString(sessao, "IdEmpregador", FIdEmpregador);
  AIni.WriteEnum(sessao, "TipoEmpregador", FTipoEmpregador);
}

// --- TArquivosConfeSocial

std::string TArquivosConfeSocial::GetPatheSocial(const std::string& CNPJ, DateTime Data) {
  return GetPath(FPatheSocial, "eSocial", CNPJ, Data, "eSocial");
}

void TArquivosConfeSocial::Assign(const TArquivosConf& De) {
  TArquivosConf::Assign(De);
  if (const auto* eSocial = dynamic_cast<const TArquivosConfeSocial*>(&De)) {
    SetEmissaoPatheSocial(eSocial->EmissaoPatheSocial());
    SetPatheSocial(eSocial->PatheSocial());
  }
}

void TArquivosConfeSocial::LerIni(const IniFile& AIni) {
  TArquivosConf::LerIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  SetEmissaoPatheSocial(AIni.ReadBool(sessao, "EmissaoPatheSocial", FEmissaoPatheSocial));
  SetPatheSocial(AIni.ReadString(sessao, "PatheSocial", FPatheSocial));
}

void TArquivosConfeSocial::GravarIni(IniFile& AIni) const {
  TArquivosConf::GravarIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteBool(sessao, "EmissaoPatheSocial", FEmissaoPatheSocial);
  AIni.WriteString(sessao, "PatheSocial", FPatheSocial);
}

// --- TConfiguracoeseSocial

TConfiguracoeseSocial::TConfiguracoeseSocial(TDFeComponente* AOwner) : TConfiguracoes(AOwner) {
  FPSessaoIni = "eSocial";
  WebServices().SetResourceName("eSocialServicos");
  CriarGrupos();
}

std::unique_ptr<TGeralConf> TConfiguracoeseSocial::CriarGeralConf() {
  return std::make_unique<TGeralConfeSocial>(this);
}

std::unique_ptr<TArquivosConf> TConfiguracoeseSocial::CriarArquivosConf() {
  return std::make_unique<TArquivosConfeSocial>(this);
}

void TConfiguracoeseSocial::Assign(const TConfiguracoes& De) {
  FPGeral->Assign(De.Geral());
  FPWebServices->Assign(De.WebServices());
  FPCertificados->Assign(De.Certificados());
  FPArquivos->Assign(De.Arquivos());
}

}  // namespace luvaro
