#include "integration/integrador_orvane.h"

#include <exception>
#include <optional>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "integration/erp_http.h"
#include "integration/erp_json.h"
#include "integration/lote_erp.h"

namespace luvaro {
namespace {

constexpr const char* kJsonUtf8 = "application/json; charset=utf-8";
constexpr const char* kJson = "application/json";

// Success needs status 200; anything else fails with the status and its reason phrase.
void ExigirStatus200(const ErpHttpReply& reply) {
  if (reply.status != 200) throw EDFeException(std::to_string(reply.status) + " - " + reply.reason);
}

}  // namespace

TRecDadosTransmissao TIntegradorOrvane::GetDadosTransmissao() {
  try {
    TUtil::LogAppend("Buscando Eventos no Orvane: URL->" + FUrlBuscaEventos +
                     "?empresaKey=" + FEmpresaKey);
    const ErpHttpReply reply = ErpGet(
        FUrlBuscaEventos + "?empresaKey=" + EncodeQueryValue(FEmpresaKey), m_timeouts.buscaEventos);
    // The lot in UTF-8 whatever charset the ERP wrote it in; the log keeps it in UTF-8 too.
    std::string corpo;
    std::exception_ptr falhaCharset;
    try {
      corpo = ErpBodyAsUtf8(reply.body, reply.contentType);
    } catch (const std::exception&) {
      corpo = reply.body;
      falhaCharset = std::current_exception();
    }
    TUtil::LogAppend("Resposta Retornada com os Eventos: " + corpo);

    ExigirStatus200(reply);
    if (falhaCharset) std::rethrow_exception(falhaCharset);
    TLoteErp lote = LerLoteErp(corpo, FTipoProjeto, [&](const std::optional<std::string>& falha) {
      TUtil::LogAppend("Tentando obter o lotePath: " + reply.body);
      if (falha) TUtil::LogAppend("Não foi possível obter o lotepath: " + *falha);
    });
    FLotePath = std::move(lote.lotePath);
    return std::move(lote.dados);
  } catch (const std::exception& e) {
    throw EDFeException(std::string("Erro ao consultar eventos no Orvane.\r\r") + e.what());
  }
}

bool TIntegradorOrvane::EnviarRetornoEnvioXML(const std::string& pXMLRetorno) {
  try {
    const std::string corpo = MontarCorpoRetorno(pXMLRetorno, true);
    TUtil::LogAppend("Enviando Retorno Envio para o Orvane: URL->" + FUrlRetornaEventosXml);
    const ErpHttpReply reply =
        ErpPost(FUrlRetornaEventosXml, kJsonUtf8, corpo, m_timeouts.retornoEnvio);
    TUtil::LogAppend("Resposta Retornada: " + reply.body);
    ExigirStatus200(reply);
    return true;
  } catch (const std::exception& e) {
    throw EDFeException(std::string("Erro ao enviar o retorno do envio para o Orvane.\r\r") +
                        e.what());
  }
}

bool TIntegradorOrvane::EnviarRetornoConsultaProtocoloXML(const std::string& pXMLRetorno) {
  try {
    const std::string corpo = MontarCorpoRetorno(pXMLRetorno, false);
    TUtil::LogAppend("Enviando Retorno para o Orvane: URL->" + FUrlRetornaProtocoloXml);
    const ErpHttpReply reply =
        ErpPost(FUrlRetornaProtocoloXml, kJson, corpo, m_timeouts.retornoConsulta);
    TUtil::LogAppend("Resposta Retornada: " + reply.body);
    ExigirStatus200(reply);
    return true;
  } catch (const std::exception& e) {
    throw EDFeException(std::string("Erro ao enviar o retorno da consulta para o Orvane.\r\r") +
                        e.what());
  }
}

std::string TIntegradorOrvane::MontarCorpoRetorno(const std::string& pXMLRetorno,
                                                  bool comLotePath) const {
  std::string xml = pXMLRetorno;
  std::replace(xml.begin(), xml.end(), '\n', ' ');
  std::replace(xml.begin(), xml.end(), '\r', ' ');
  std::vector<std::pair<std::string, std::string>> membros = {{"empresaKey", FEmpresaKey},
                                                              {"xmlRetornoLote", xml}};
  if (comLotePath) membros.emplace_back("lotePath", FLotePath);
  return JsonObjectText(membros);
}

}  // namespace luvaro
