// TeSocialWebService: the eSocial side of every service call.

#include "esocial/esocial_web_service.h"

#include <cstdio>
#include <utility>

#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/nome_arquivo.h"
#include "dfe/ws/resposta_ws.h"
#include "dfe/xml/leitor.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "esocial/configuracoes_esocial.h"
#include "esocial/esocial_componente.h"
#include "esocial/esocial_exception.h"
#include "esocial/retorno_comum.h"

namespace luvaro {
namespace {

constexpr const char* kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";

}  // namespace

namespace esocial_ws {

std::string NoNamespace(const std::string& caminho) {
  return std::string(kNameSpaceBaseeSocial) + caminho;
}

std::string AtributosEnvelope(const std::string& namespaceV1) {
  return std::string(" xmlns:soap=\"") + kSoap11 + "\"  xmlns:v1=\"" + namespaceV1 + "\"";
}

std::string FormatarData(DateTime data, const char* formato) {
  const DateTimeParts p = decodeDateTime(data);
  const std::string f = formato;
  std::string texto;
  char parte[8];
  for (std::size_t i = 0; i < f.size();) {
    auto numero = [&](int valor, int largura) {
      std::snprintf(parte, sizeof parte, "%0*d", largura, valor);
      texto += parte;
    };
    if (f.compare(i, 4, "yyyy") == 0) {
      numero(p.year, 4);
      i += 4;
    } else if (f.compare(i, 2, "yy") == 0) {
      numero(p.year % 100, 2);
      i += 2;
    } else if (f.compare(i, 2, "mm") == 0) {
      numero(p.month, 2);
      i += 2;
    } else if (f.compare(i, 2, "dd") == 0) {
      numero(p.day, 2);
      i += 2;
    } else if (f.compare(i, 2, "hh") == 0) {
      numero(p.hour, 2);
      i += 2;
    } else if (f.compare(i, 2, "nn") == 0) {
      numero(p.minute, 2);
      i += 2;
    } else if (f.compare(i, 2, "ss") == 0) {
      numero(p.second, 2);
      i += 2;
    } else {
      texto += f[i++];
    }
  }
  return texto;
}

}  // namespace esocial_ws

TeSocialWebService::TeSocialWebService(TeSocialComponente& AOwner)
    : TDFeWebService(AOwner), FPeSocial(&AOwner) {
  FPSoapVersion = "soap";
  FPHeaderElement = "Header";
  FPBodyElement = "Body";
  FPSoapEnvelopeAtributtes =
      esocial_ws::AtributosEnvelope(esocial_ws::NoNamespace("/schema/lote/eventos/envio/v1_1_1"));
  FPMimeType = "text/xml";
}

TConfiguracoeseSocial& TeSocialWebService::ConfiguracoeseSocial() {
  return FPeSocial->Configuracoes();
}

void TeSocialWebService::Clear() {
  TDFeWebService::Clear();
  FStatus = TStatuseSocial::stIdle;
  FPeSocial->SSL().SetUseCertificateHTTP(true);
}

void TeSocialWebService::PrepararServico() {
  TDFeWebService::PrepararServico();
  FPeSocial->SetStatus(FStatus);
}

void TeSocialWebService::DefinirURL() {
  FPVersaoServico.clear();
  FPURL.clear();
  double versao = 0;
  FPeSocial->LerServicoDeParams(FLayout, versao, FPURL);
  FPVersaoServico = formatFixed(versao, 2).value_or("0.00");
}

void TeSocialWebService::EncerrarServico() {
  FPeSocial->SetStatus(TStatuseSocial::stIdle);
}

std::string TeSocialWebService::GerarVersaoDadosSoap() {
  return {};
}

void TeSocialWebService::MontarEnvelopeSoap() {
  const std::string& p = FPSoapVersion;
  const std::string abertura = AberturaDados();
  const std::string fechamento = FechamentoDados();
  // Built in one buffer of the final size: the lot inside is the largest text of the run.
  std::string envelope;
  envelope.reserve(FPSoapEnvelopeAtributtes.size() + abertura.size() + FPDadosMsg.size() +
                   fechamento.size() + 4 * p.size() + 40);
  envelope.append("<").append(p).append(":Envelope ").append(FPSoapEnvelopeAtributtes);
  envelope.append("><").append(p).append(":Body>").append(abertura).append(FPDadosMsg);
  envelope.append(fechamento).append("</").append(p).append(":Body></").append(p);
  envelope.append(":Envelope>");
  FPEnvelopeSoap = std::move(envelope);
}

void TeSocialWebService::ExtrairRetorno(const std::string& ElementoResultado, TLeitor& leitor) {
  FPRetWS = ExtrairElemento(FPRetornoWS, ElementoResultado, false, true);
  leitor.SetArquivo(DecodificarResposta(FPRetWS));
}

void TeSocialWebService::NotificarTransmissao(const std::string& AXML, TeSocialEventos ATipo) {
  const TNotifyEventoseSocial& hook = FPeSocial->OnTransmissaoEventos();
  if (!hook) return;
  std::string copia = AXML;  // a handler that changes the text changes nothing in the call
  hook(copia, ATipo);
}

std::string TeSocialWebService::MsgLogLote(const TStatus& status,
                                           const TDadosRecepcaoLote& recepcao) {
  const TConfiguracoeseSocial& c = ConfiguracoeseSocial();
  return "Versão Layout: " + TextoDaVersao(c.Geral().VersaoDF()) + " \r\n" +
         "Ambiente: " + std::to_string(c.WebServices().AmbienteCodigo()) + " \r\n" +
         "Versão Aplicativo: " + recepcao.versaoAplicRecepcao + " \r\n" +
         "Status Código: " + std::to_string(status.cdResposta) + " \r\n" +
         "Status Descrição: " + status.descResposta + " \r\n" + "Recebimento: " +
         (recepcao.dhRecepcao == 0
              ? std::string()
              : esocial_ws::FormatarData(recepcao.dhRecepcao, "dd/mm/yyyy hh:nn:ss")) +
         " \r\n";
}

std::string TeSocialWebService::MsgLogConsulta(const TStatus& status) {
  const TConfiguracoeseSocial& c = ConfiguracoeseSocial();
  return "Versão Layout: " + TextoDaVersao(c.Geral().VersaoDF()) + " \r\n" +
         "Ambiente: " + std::to_string(c.WebServices().AmbienteCodigo()) + " \r\n" +
         "Status Código: " + std::to_string(status.cdResposta) + " \r\n" +
         "Status Descrição: " + status.descResposta + " \r\n";
}

std::string TeSocialWebService::AssinarRequisicao(const std::string& xml,
                                                  const std::string& infElement) {
  // A declaration inside the SOAP body would make the request malformed; the envelope gets
  // its own when it is sent.
  return RemoverDeclaracaoXML(
      FPeSocial->SSL().Assinar(xml, "eSocial", infElement, "", "", "", "ID"));
}

void TeSocialWebService::ValidarRequisicao(const std::string& xml, const std::string& arquivo) {
  // A schema file that cannot be read fails the check like an invalid request.
  const TValidacaoSchema validacao = ValidarContraSchema(
      FPeSocial->SSL(), xml, ConfiguracoeseSocial().Arquivos().PathSchemas() + arquivo);
  if (!validacao.valido) throw EeSocialException(validacao.mensagem);
}

void TeSocialWebService::SalvarDocumentoRetorno(const std::string& nome,
                                                const std::string& conteudo) {
  if (!ConfiguracoeseSocial().Arquivos().Salvar()) return;
  FPeSocial->Gravar(NomeArquivoSeguro(nome), conteudo);
}

}  // namespace luvaro
