#pragma once

#include <memory>
#include <string>

#include "esocial/esocial_web_service.h"
#include "esocial/lote_eventos.h"
#include "esocial/retorno_consulta_lote.h"
#include "esocial/retorno_envio_lote.h"

namespace luvaro {

// Send lot: the container's events in one lot document, the employer and the transmitter from
// the configuration. The reply's protocol number is in RetEnvioLote().DadosRecLote().Protocolo.
class TEnvioLote final : public TeSocialWebService {
 public:
  explicit TEnvioLote(TeSocialComponente& AOwner);
  ~TEnvioLote() override;

  std::string ClassName() const override { return "TEnvioLote"; }
  void Clear() override;

  int Grupo() const { return FGrupo; }
  void SetGrupo(int value) { FGrupo = value; }
  TLoteEventos& Lote() { return *FLote; }
  TRetEnvioLote& RetEnvioLote() { return *FRetEnvioLote; }

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  std::string AberturaDados() override { return "<v1:EnviarLoteEventos><v1:loteEventos>"; }
  std::string FechamentoDados() override { return "</v1:loteEventos></v1:EnviarLoteEventos>"; }
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  // "WebService: " + Servico (with its leading blank) + CR LF + the advice to try again.
  std::string MontarMsgErro(const std::exception& E) override;
  // The current time as yymmddhhnnss.
  std::string PrefixoArquivo() override;

 private:
  int FGrupo = 0;
  std::unique_ptr<TLoteEventos> FLote;
  std::unique_ptr<TRetEnvioLote> FRetEnvioLote;
};

// Query lot: the processing result of a lot by its protocol number. Totalizers of the events
// are saved as <event Id>-<tipo>.xml when Arquivos.Salvar is on.
class TConsultaLote final : public TeSocialWebService {
 public:
  explicit TConsultaLote(TeSocialComponente& AOwner);

  std::string ClassName() const override { return "TConsultaLote"; }
  void Clear() override;

  const std::string& Protocolo() const { return FProtocolo; }
  void SetProtocolo(const std::string& value) { FProtocolo = value; }
  TRetConsultaLote& RetConsultaLote() { return *FRetConsultaLote; }

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  std::string AberturaDados() override { return "<v1:ConsultarLoteEventos><v1:loteEventos>"; }
  std::string FechamentoDados() override { return "</v1:loteEventos></v1:ConsultarLoteEventos>"; }
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string GerarVersaoDadosSoap() override;
  std::string PrefixoArquivo() override { return "eSocial"; }

 private:
  std::string FProtocolo;
  std::unique_ptr<TRetConsultaLote> FRetConsultaLote;
};

}  // namespace luvaro
