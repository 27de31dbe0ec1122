#include "reinf/configuracoes_reinf.h"

#include "dfe/config/ini.h"

namespace luvaro::reinf {

// --- TGeralConfReinf

void TGeralConfReinf::Assign(const TGeralConf& De) {
  TGeralConf::Assign(De);
  if (const auto* reinf = dynamic_cast<const TGeralConfReinf*>(&De)) {
    SetVersaoDF(reinf->VersaoDF());
    SetIdTransmissor(reinf->IdTransmissor());
    SetIdContribuinte(reinf->IdContribuinte());
    SetTipoContribuinte(reinf->TipoContribuinte());
  }
}

void TGeralConfReinf::LerIni(const IniFile& AIni) {
  TGeralConf::LerIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  // The version is a plain byte: every byte value is taken, as it was written.
  const auto versao = AIni.ReadInteger(sessao, "VersaoDF", static_cast<std::int64_t>(FVersaoDF));
  if (versao >= 0 && versao <= 255) FVersaoDF = static_cast<TVersaoReinf>(versao);
  SetIdTransmissor(AIni.ReadString(sessao, "IdTransmissor", FIdTransmissor));
  SetIdContribuinte(AIni.ReadString(sessao, "IdContribuinte", FIdContribuinte));
  SetTipoContribuinte(
      AIni.ReadEnum(sessao, "TipoContribuinte", FTipoContribuinte, TContribuinte::tcPessoaFisica));
}

void TGeralConfReinf::GravarIni(IniFile& AIni) const {
  TGeralConf::GravarIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteEnum(sessao, "VersaoDF", FVersaoDF);
  AIni.WriteString(sessao, "IdTransmissor", FIdTransmissor);
  AIni.WriteString(sessao, "IdContribuinte", FIdContribuinte);
  AIni.WriteEnum(sessao, "TipoContribuinte", FTipoContribuinte);
}

// --- TArquivosConfReinf

std::string TArquivosConfReinf::GetPathReinf(DateTime Data, const std::string& CNPJ) {
  return GetPath(FPathReinf, "Reinf", CNPJ, Data, "Reinf");
}

void TArquivosConfReinf::Assign(const TArquivosConf& De) {
  TArquivosConf::Assign(De);
  if (const auto* reinf = dynamic_cast<const TArquivosConfReinf*>(&De)) {
    SetEmissaoPathReinf(reinf->EmissaoPathReinf());
    SetPathReinf(reinf->PathReinf());
  }
}

void TArquivosConfReinf::LerIni(const IniFile& AIni) {
  TArquivosConf::LerIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  SetEmissaoPathReinf(AIni.ReadBool(sessao, "EmissaoPathReinf", FEmissaoPathReinf));
  SetPathReinf(AIni.ReadString(sessao, "PathReinf", FPathReinf));
}

void TArquivosConfReinf::GravarIni(IniFile& AIni) const {
  TArquivosConf::GravarIni(AIni);
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteBool(sessao, "EmissaoPathReinf", FEmissaoPathReinf);
  AIni.WriteString(sessao, "PathReinf", FPathReinf);
}

// --- TConfiguracoesReinf

TConfiguracoesReinf::TConfiguracoesReinf(TDFeComponente* AOwner) : TConfiguracoes(AOwner) {
  FPSessaoIni = "Reinf";
  WebServices().SetResourceName("ReinfServicos");
  CriarGrupos();
}

std::unique_ptr<TGeralConf> TConfiguracoesReinf::CriarGeralConf() {
  return std::make_unique<TGeralConfReinf>(this);
}

std::unique_ptr<TArquivosConf> TConfiguracoesReinf::CriarArquivosConf() {
  return std::make_unique<TArquivosConfReinf>(this);
}

void TConfiguracoesReinf::Assign(const TConfiguracoes& De) {
  FPGeral->Assign(De.Geral());
  FPWebServices->Assign(De.WebServices());
  FPCertificados->Assign(De.Certificados());
  FPArquivos->Assign(De.Arquivos());
}

}  // namespace luvaro::reinf
