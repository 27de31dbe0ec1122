#include "integration/integrador_orvane.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "app/core/util.h"
#include "dfe/dfe_exception.h"
#include "integration/erp_http.h"
#include "integration/erp_json.h"

namespace luvaro {
namespace {

constexpr const char* kJsonUtf8 = "application/json; charset=utf-8";
constexpr const char* kJson = "application/json";

// Success needs status 200; anything else fails with the status and its reason phrase.
void ExigirStatus200(const ErpHttpReply& reply) {
  if (reply.status != 200) throw EDFeException(std::to_string(reply.status) + " - " + reply.reason);
}

const JsonNode& Membro(const JsonNode& objeto, const char* nome) {
  const JsonNode* membro = objeto.Find(nome);
  if (!membro) throw EDFeException(std::string("O membro \"") + nome + "\" não foi encontrado.");
  return *membro;
}

const JsonNode& Objeto(const JsonNode& objeto, const char* nome) {
  const JsonNode& membro = Membro(objeto, nome);
  if (membro.kind != JsonNode::Kind::Object)
    throw EDFeException(std::string("O membro \"") + nome + "\" não é um objeto.");
  return membro;
}

// A member's text: a string unescaped, a number as written, true/false as words.
std::string Texto(const JsonNode& valor, const std::string& nome) {
  if (valor.kind != JsonNode::Kind::Scalar)
    throw EDFeException("O membro \"" + nome + "\" não é um valor.");
  return valor.text;
}

std::string Valor(const JsonNode& objeto, const char* nome) {
  return Texto(Membro(objeto, nome), nome);
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

    TRecDadosTransmissao dados;
    ExigirStatus200(reply);
    if (falhaCharset) std::rethrow_exception(falhaCharset);
    const JsonNode raiz = ParseJson(corpo);
    if (raiz.kind != JsonNode::Kind::Object)
      throw EDFeException("A resposta não é um objeto JSON.");
    const JsonNode& empresas = Membro(raiz, "empresas");
    if (empresas.kind != JsonNode::Kind::Array)
      throw EDFeException("O membro \"empresas\" não é uma lista.");

    // One lot belongs to one employer: it is declared for the numbers of the last element, so
    // documents of another one would travel under a registration that is not theirs.
    std::optional<std::string> primeiroEmpregador;
    for (const JsonNode& empresa : empresas.items) {
      if (empresa.kind != JsonNode::Kind::Object)
        throw EDFeException("Um elemento de \"empresas\" não é um objeto.");
      if (FTipoProjeto == "esocial") {
        const JsonNode& empregador = Objeto(empresa, "empregador");
        dados.empregadorTipoInscricao = Valor(empregador, "tpInsc");
        dados.empregadorInscricao = Valor(empregador, "nrInsc");
        dados.transmissorInscricao = Valor(Objeto(empresa, "transmissor"), "nrInsc");
      } else if (FTipoProjeto == "reinf") {
        dados.empregadorInscricao = Valor(empresa, "documento");
      }
      if (FTipoProjeto == "esocial" || FTipoProjeto == "reinf") {
        if (primeiroEmpregador && *primeiroEmpregador != dados.empregadorInscricao) {
          const std::string quem = FTipoProjeto == "esocial" ? "empregador" : "contribuinte";
          throw EDFeException("O lote traz documentos de mais de um " + quem + " (" +
                              *primeiroEmpregador + " e " + dados.empregadorInscricao +
                              "); um lote só pode levar os documentos de um " + quem + ".");
        }
        primeiroEmpregador = dados.empregadorInscricao;
      }

      FLotePath.clear();
      TUtil::LogAppend("Tentando obter o lotePath: " + reply.body);
      try {
        FLotePath = Valor(empresa, "lotePath");
      } catch (const EDFeException& e) {
        TUtil::LogAppend(std::string("Não foi possível obter o lotepath: ") + e.what());
      }

      for (const JsonMember& arquivo : Objeto(empresa, "arquivos").members)
        dados.eventos.push_back(Texto(arquivo.value, arquivo.name));
    }
    return dados;
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
