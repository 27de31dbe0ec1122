#pragma once

#include <memory>
#include <string>

#include "esocial/esocial_web_service.h"
#include "esocial/retorno_download.h"

namespace luvaro {

// Download: accepted events by identifier ("PorId") or by receipt number ("PorNrRecibo"),
// signed and checked against its schema. Each document returned is saved as
// <receipt or identifier>-down.xml when Arquivos.Salvar is on.
class TDownloadEventos final : public TeSocialWebService {
 public:
  explicit TDownloadEventos(TeSocialComponente& AOwner);

  std::string ClassName() const override { return "TDownloadEventos"; }
  void Clear() override;

  const std::string& TipoDownload() const { return FTipoDownload; }
  void SetTipoDownload(const std::string& value) { FTipoDownload = value; }
  const std::string& Cnpj() const { return FCnpj; }
  void SetCnpj(const std::string& value) { FCnpj = value; }
  const std::string& PorID() const { return FPorID; }
  void SetPorID(const std::string& value) { FPorID = value; }
  const std::string& PorNrRecibo() const { return FPorNrRecibo; }
  void SetPorNrRecibo(const std::string& value) { FPorNrRecibo = value; }
  TRetDownloadEvt& RetDownloadEvt() { return *FRetDownloadEvt; }

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  void MontarEnvelopeSoap() override;
  std::string AberturaDados() override;
  std::string FechamentoDados() override;
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string GerarVersaoDadosSoap() override;
  std::string PrefixoArquivo() override;

 private:
  std::string FTipoDownload;
  std::string FCnpj;
  std::string FPorID;
  std::string FPorNrRecibo;
  std::unique_ptr<TRetDownloadEvt> FRetDownloadEvt;
};

}  // namespace luvaro
