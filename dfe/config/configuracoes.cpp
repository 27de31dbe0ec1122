#include "dfe/config/configuracoes.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "dfe/config/dfe_componente.h"
#include "dfe/config/ini.h"
#include "dfe/dfe_exception.h"
#include "dfe/xml/texto.h"

namespace luvaro {

// --- TGrupoConf

TDFeComponente* TGrupoConf::Componente() const {
  return fpConfiguracoes == nullptr ? nullptr : fpConfiguracoes->Owner();
}

TDFeSSL* TGrupoConf::SSL() const {
  TDFeComponente* componente = Componente();
  return componente == nullptr ? nullptr : componente->SSLSeDisponivel();
}

const std::string& TGrupoConf::SessaoIni() const {
  return fpConfiguracoes->SessaoIni();
}

// --- TRespTecConf

void TRespTecConf::Assign(const TRespTecConf& De) {
  SetIdCSRT(De.IdCSRT());
  SetCSRT(De.CSRT());
}

void TRespTecConf::LerIni(const IniFile& AIni) {
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  const auto id = AIni.ReadInteger(sessao, "IdCSRT", FIdCSRT);
  if (id >= INT32_MIN && id <= INT32_MAX) SetIdCSRT(static_cast<int>(id));
  SetCSRT(AIni.ReadString(sessao, "CSRT", FCSRT));
}

void TRespTecConf::GravarIni(IniFile& AIni) const {
  const std::string& sessao = SessaoIni();
  if (sessao.empty()) return;
  AIni.WriteInteger(sessao, "IdCSRT", FIdCSRT);
  AIni.WriteString(sessao, "CSRT", FCSRT);
}

// --- TConfiguracoes

TConfiguracoes::TConfiguracoes(TDFeComponente* AOwner) : FOwner(AOwner) {
  CriarGrupos();
}

TConfiguracoes::~TConfiguracoes() = default;

std::unique_ptr<TGeralConf> TConfiguracoes::CriarGeralConf() {
  return std::make_unique<TGeralConf>(this);
}

std::unique_ptr<TWebServicesConf> TConfiguracoes::CriarWebServicesConf() {
  return std::make_unique<TWebServicesConf>(this);
}

std::unique_ptr<TCertificadosConf> TConfiguracoes::CriarCertificadosConf() {
  return std::make_unique<TCertificadosConf>(this);
}

std::unique_ptr<TArquivosConf> TConfiguracoes::CriarArquivosConf() {
  return std::make_unique<TArquivosConf>(this);
}

std::unique_ptr<TRespTecConf> TConfiguracoes::CriarRespTecConf() {
  return std::make_unique<TRespTecConf>(this);
}

void TConfiguracoes::CriarGrupos() {
  const std::string recurso = FPWebServices ? FPWebServices->ResourceName() : std::string();
  FPGeral = CriarGeralConf();
  FPWebServices = CriarWebServicesConf();
  if (!recurso.empty()) FPWebServices->SetResourceName(recurso);
  FPCertificados = CriarCertificadosConf();
  FPArquivos = CriarArquivosConf();
  FPRespTec = CriarRespTecConf();
}

void TConfiguracoes::Assign(const TConfiguracoes& De) {
  FPGeral->Assign(De.Geral());
  FPWebServices->Assign(De.WebServices());
  FPCertificados->Assign(De.Certificados());
  FPArquivos->Assign(De.Arquivos());
  FPRespTec->Assign(De.RespTec());
}

void TConfiguracoes::LerIni(const IniFile& AIni) {
  FPGeral->LerIni(AIni);
  FPWebServices->LerIni(AIni);
  FPCertificados->LerIni(AIni);
  FPArquivos->LerIni(AIni);
  FPRespTec->LerIni(AIni);
}

void TConfiguracoes::GravarIni(IniFile& AIni) const {
  FPGeral->GravarIni(AIni);
  FPWebServices->GravarIni(AIni);
  FPCertificados->GravarIni(AIni);
  FPArquivos->GravarIni(AIni);
  FPRespTec->GravarIni(AIni);
}

void TConfiguracoes::LerParams(const std::string& NomeArqParams) {
  std::error_code ec;
  if (NomeArqParams.empty() || !std::filesystem::is_regular_file(NomeArqParams, ec)) {
    throw EDFeException("Arquivo de Parâmetro não encontrado: " + NomeArqParams);
  }
  std::ifstream in(NomeArqParams, std::ios::binary);
  std::string texto((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (texto.starts_with("\xEF\xBB\xBF")) texto.erase(0, 3);
  FPWebServices->SetParams(splitLines(texto));
}

}  // namespace luvaro
