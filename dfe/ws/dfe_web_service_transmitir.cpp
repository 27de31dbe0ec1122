// TDFeWebService::Transmitir and ExigirResposta: the certificate's validity, the envelope's
// encoding, the OnTransmit / OnTransmitError hooks and the retry loop.

#include <cstdio>
#include <exception>

#include "dfe/config/dfe_componente.h"
#include "dfe/dfe_exception.h"
#include "dfe/ssl/dfe_ssl.h"
#include "dfe/ws/dfe_web_service.h"
#include "dfe/xml/data_hora.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"

namespace luvaro {
namespace {

constexpr const char* kDeclaracaoUTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

std::string DataDDMMYYYY(DateTime data) {
  const DateTimeParts partes = decodeDateTime(data);
  char texto[16];
  std::snprintf(texto, sizeof texto, "%02d/%02d/%04d", partes.day, partes.month, partes.year);
  return texto;
}

}  // namespace

void TDFeWebService::Transmitir() {
  FPRetWS.clear();
  FPRetornoWS.clear();
  TDFeSSL& ssl = FPDFeOwner->SSL();

  const TCertificadosConf& certificados = FPConfiguracoes->Certificados();
  const bool temCertificado = !certificados.NumeroSerie().empty() ||
                              !certificados.DadosPFX().empty() ||
                              !certificados.ArquivoPFX().empty();
  if (temCertificado && certificados.VerificarValidade()) {
    const DateTime vencimento = ssl.CertDataVenc();
    if (vencimento < nowLocal()) {
      throw EDFeException("Data de Validade do Certificado já expirou: " +
                          DataDDMMYYYY(vencimento));
    }
  }

  // In memory every text is UTF-8 already; an unsigned XML envelope only gains the UTF-8
  // declaration. A signed one travels byte for byte as it was signed.
  // The envelope is sent from where it is kept unless it needs the declaration (a lot's
  // envelope is the largest text of the run).
  std::string comDeclaracao;
  if ((FPMimeType.empty() || containsNoCase(FPMimeType, "xml")) &&
      !containsNoCase(FPEnvelopeSoap, "<signature") && !DeclaraUTF8(FPEnvelopeSoap)) {
    comDeclaracao = kDeclaracaoUTF8 + FPEnvelopeSoap;
  }
  const std::string& envelope = comDeclaracao.empty() ? FPEnvelopeSoap : comDeclaracao;

  const TDFeOnTransmit& onTransmit = FPDFeOwner->OnTransmit();
  const TDFeOnTransmitError& onTransmitError = FPDFeOwner->OnTransmitError();
  bool retentar = false;
  do {
    retentar = false;
    bool tratado = false;
    FPRetornoWS.clear();
    FPRetWS.clear();
    int httpResultCode = 0;
    int internalErrorCode = 0;

    std::exception_ptr falha;
    if (onTransmit) {
      try {
        onTransmit(envelope, FPURL, FPSoapAction, FPMimeType, FPRetornoWS, httpResultCode,
                   internalErrorCode);
        if (internalErrorCode != 0) throw EDFeException("Erro ao Transmitir");
      } catch (const std::exception&) {
        falha = std::current_exception();
      }
    } else {
      try {
        FPRetornoWS = ssl.Enviar(envelope, FPURL, FPSoapAction, FPMimeType);
      } catch (const std::exception&) {
        falha = std::current_exception();
      }
      // The transport's codes stay readable after a failed request too.
      httpResultCode = ssl.HTTPResultCode();
      internalErrorCode = ssl.InternalErrorCode();
    }
    if (!falha) break;

    if (onTransmitError) {
      onTransmitError(httpResultCode, internalErrorCode, FPURL, envelope, FPSoapAction, retentar,
                      tratado);
    }
    if (!retentar && !tratado) std::rethrow_exception(falha);
    // Handled without a retry: the call goes on with an empty reply.
    FPRetornoWS.clear();
  } while (retentar);
}

void TDFeWebService::ExigirResposta() {
  if (!FPRetWS.empty()) return;
  std::string texto = "Erro ao obter resposta do webservice.";
  if (!FPRetornoWS.empty()) texto += "\r\n" + FPRetornoWS;
  throw EDFeException(texto);
}

}  // namespace luvaro
