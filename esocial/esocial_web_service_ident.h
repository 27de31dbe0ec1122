#pragma once

#include <memory>
#include <string>

#include "dfe/xml/data_hora.h"
#include "esocial/esocial_web_service.h"
#include "esocial/retorno_consulta_ident.h"

namespace luvaro {

// The three kinds of identifier query, in ordinal order; texts "empregador", "tabela",
// "trabalhador".
enum class tpConsulta : std::uint8_t { tcEmpregador, tcTabela, tcTrabalhador };
std::string TextoDaConsulta(tpConsulta tipo);

// Identifier query: the identifiers and receipts of accepted events, by employer (event type
// and period), by table (event type, key, reception interval) or by worker (CPF, reception
// interval). The request is written from the fields, or taken as prepared in XML; it is signed
// and checked against its schema before it goes.
class TConsultaIdentEventos final : public TeSocialWebService {
 public:
  explicit TConsultaIdentEventos(TeSocialComponente& AOwner);

  std::string ClassName() const override { return "TConsultaIdentEventos"; }
  // Leaves the query fields and the prepared XML as they are.
  void Clear() override;

  tpConsulta tipoConsulta() const { return FtipoConsulta; }
  void SettipoConsulta(tpConsulta value) { FtipoConsulta = value; }
  const std::string& Cnpj() const { return FCnpj; }
  void SetCnpj(const std::string& value) { FCnpj = value; }
  TTipoEvento Evento() const { return FEvento; }
  void SetEvento(TTipoEvento value) { FEvento = value; }
  DateTime PerApur() const { return FPerApur; }
  void SetPerApur(DateTime value) { FPerApur = value; }
  const std::string& chEvt() const { return FchEvt; }
  void SetchEvt(const std::string& value) { FchEvt = value; }
  DateTime dtIni() const { return FdtIni; }
  void SetdtIni(DateTime value) { FdtIni = value; }
  DateTime dtFim() const { return FdtFim; }
  void SetdtFim(DateTime value) { FdtFim = value; }
  const std::string& cpfTrab() const { return FcpfTrab; }
  void SetcpfTrab(const std::string& value) { FcpfTrab = value; }
  const std::string& metodoConsulta() const { return FmetodoConsulta; }
  void SetmetodoConsulta(const std::string& value) { FmetodoConsulta = value; }
  // A prepared request document; while it is set, every call sends it.
  const std::string& XML() const { return FXML; }
  void SetXML(const std::string& value) { FXML = value; }
  TRetConsultaIdentEvt& RetConsultaIdentEvt() { return *FRetConsultaIdentEvt; }

  // XML := the file's text (UTF-8); true when it is not empty. Raises when the file cannot be
  // read.
  bool loadFromFile(const std::string& CaminhoArquivo);

 protected:
  void DefinirServicoEAction() override;
  void DefinirDadosMsg() override;
  void MontarEnvelopeSoap() override;
  std::string AberturaDados() override;
  std::string FechamentoDados() override;
  bool TratarResposta() override;
  std::string MontarMsgLog() override;
  std::string GerarVersaoDadosSoap() override;
  // Event code, registration, period (mm-yyyy) and the current time (yyyymmddhhnnss).
  std::string PrefixoArquivo() override;

 private:
  // The request written from the fields.
  std::string GerarRequisicao();

  tpConsulta FtipoConsulta = tpConsulta::tcEmpregador;
  std::string FCnpj;
  TTipoEvento FEvento = TTipoEvento::teS1000;
  DateTime FPerApur = 0;
  std::string FchEvt;
  DateTime FdtIni = 0;
  DateTime FdtFim = 0;
  std::string FcpfTrab;
  std::string FmetodoConsulta;
  std::string FXML;
  std::unique_ptr<TRetConsultaIdentEvt> FRetConsultaIdentEvt;
};

}  // namespace luvaro
