#pragma once

// The two calls of the asynchronous EFD-Reinf lot services (layout 2.1.2): the lot posted to
// the reception service, and the lot's state fetched from the query service by its protocol.
// Both travel as plain XML over HTTPS with the client certificate, with no SOAP envelope.

#include <memory>
#include <string>

#include "reinf/lote_assincrono.h"
#include "reinf/reinf_web_services.h"

namespace luvaro::reinf {

// What the two calls share: the address of the table under version 2.12 (the exact key only:
// an address of an older layout is never used for these services), no envelope, and a reply
// whose HTTP status is not a success turned into a failure that names the status and the
// service's own description (cdResposta, descResposta and the occurrences of its status).
class TReinfServicoRest : public TReinfWebService {
 public:
  explicit TReinfServicoRest(TReinfComponente& AOwner);
  void Clear() override;

  // Read from the reply: status/cdResposta (0 when absent), descResposta and
  // dadosRecepcaoLote/protocoloEnvio.
  int cdResposta() const { return FcdResposta; }
  const std::string& descResposta() const { return FdescResposta; }
  const std::string& Protocolo() const { return FProtocolo; }

 protected:
  void DefinirURL() override;
  void DefinirServicoEAction() override;
  void MontarEnvelopeSoap() override;
  void Transmitir() override;
  // The raw reply is the reply: it goes to the ERP as it came.
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string MontarMsgErro(const std::exception& E) override;

  // A GET of URL instead of the POST of the document.
  bool FPObter = false;

 private:
  int FcdResposta = 0;
  std::string FdescResposta;
  std::string FProtocolo;
};

// The lot of the signed 2.1.x events (the component's EventosAssincronos), posted to
// /recepcao/lotes; the reply carries the lot's protocol.
class TEnvioLoteAssincrono final : public TReinfServicoRest {
 public:
  explicit TEnvioLoteAssincrono(TReinfComponente& AOwner);
  void Clear() override;
  std::string ClassName() const override { return "TEnvioLoteAssincrono"; }

 protected:
  void DefinirDadosMsg() override;
};

// The state of a lot by its protocol: GET of the query address + "/" + protocol.
class TConsultarLoteAssincrono final : public TReinfServicoRest {
 public:
  explicit TConsultarLoteAssincrono(TReinfComponente& AOwner);
  void Clear() override;
  std::string ClassName() const override { return "TConsultarLoteAssincrono"; }

  const std::string& ProtocoloConsultado() const { return FProtocoloConsultado; }
  void SetProtocoloConsultado(const std::string& value) { FProtocoloConsultado = value; }

 protected:
  void DefinirURL() override;
  void DefinirDadosMsg() override;

 private:
  std::string FProtocoloConsultado;
};

// The description a refused REST request is reported with: "Resposta do serviço: " followed by
// cdResposta, " - ", descResposta and each occurrence ("codigo - descricao"), on lines of their
// own; without a status in the reply, its text (at most 500 characters); "" for an empty reply.
std::string DescricaoDaRecusa(const std::string& resposta);

}  // namespace luvaro::reinf
