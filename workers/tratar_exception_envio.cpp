#include "workers/tratar_exception_envio.h"

#include <array>
#include <string>
#include <string_view>

#include "app/core/exit_code.h"
#include "app/core/mensagem.h"
#include "app/core/silent_abort.h"
#include "app/core/util.h"
#include "dfe/ssl/dfe_ssl.h"

namespace luvaro {
namespace {

// The dialogs' texts; continuation lines of the longer ones start with sixteen blanks.
constexpr std::string_view kLoteGrande =
    "Erro no envio da requisição: \r\r"
    "DETALHE: Lote de eventos muito grande para ser enviado.\r\r"
    "SOLUÇÃO: Por favor selecione somente 50 eventos e tente novamente.\r\r"
    "OBS: O lote será enviado particionado automaticamente na próxima versao.";

constexpr std::string_view kTempoEsgotado =
    "Erro no envio da requisição: \r\r"
    "DETALHE: Tempo limite de envio estourado.\r\r"
    "SOLUÇÃO: Por favor verifique a conexão com a internet e tente novamente.\r"
    "                Caso o problema continue, o servidor da receita pode estar congestionado,\r"
    "                por favor tente novamente mais tarde.";

constexpr std::string_view kCertificado =
    "Erro ao ler o certificado: \r\r"
    "DETALHE: Ocorreu uma falha na leitura do certificado para assinatura e transmissão.\r\r"
    "SOLUÇÃO: Por favor verifique se o certificado está devidamente conectado na "
    "máquina.\r"
    "                Caso o problema continue, verifique se o certificado ainda está válido e\r"
    "                o utilize em outros serviços para confirmar seu funcionamento.";

// Followed by the error's own text.
constexpr std::string_view kServicoForaDoAr =
    "SERVIÇO DO E-SOCIAL ESTÁ FORA DO AR!\r\r"
    "DETALHE: No momento o sreviço do e-social está fora do ar, tente novamente mais tarde.\r\r"
    "DADOS TÉCNICOS: \r";

constexpr std::string_view kGenerico = "Erro durante a execução: ";

struct FalhaReconhecida {
  std::string_view padrao;
  std::string_view dialogo;
  bool comDadosTecnicos;  // the error's text follows the dialog's
};

constexpr FalhaReconhecida kFalhaCertificado{"Erro Interno: 12186", kCertificado, false};

// Searched in this order; the first pattern found anywhere in the text wins.
constexpr std::array kFalhasReconhecidas{
    FalhaReconhecida{"Erro HTTP: 413", kLoteGrande, false},
    FalhaReconhecida{"Erro Interno: 12002", kTempoEsgotado, false},
    kFalhaCertificado,
    FalhaReconhecida{"Erro HTTP: 500", kServicoForaDoAr, true},
    FalhaReconhecida{"Erro Interno: 12175", kServicoForaDoAr, true},
};

}  // namespace

void TratarExceptionEnvio(const std::exception& pErro, IFront& pFront, IAppLoop& pLoop) {
  SetExitCode(1);
  const std::string mensagemErro = pErro.what();

  // A token that refused its PIN while an event was being signed is the certificate failure
  // the transport reports when the same happens in its handshake (12186).
  const FalhaReconhecida* falha =
      dynamic_cast<const EDFeExceptionPIN*>(&pErro) != nullptr ? &kFalhaCertificado : nullptr;
  for (const auto& candidata : kFalhasReconhecidas) {
    if (falha != nullptr) break;
    if (mensagemErro.find(candidata.padrao) != std::string::npos) {
      falha = &candidata;
      break;
    }
  }

  if (falha == nullptr) {
    try {
      TUtil::LogAppend("ERROR: " + mensagemErro);
    } catch (const std::exception&) {
      // A log that cannot be written must not hide the failure from the user: the dialog
      // below still tells it.
    }
    TMensagem::mostrarMsgErro(pFront, pLoop, std::string(kGenerico), true, &pErro);
  } else {
    std::string texto(falha->dialogo);
    if (falha->comDadosTecnicos) texto += mensagemErro;
    TMensagem::mostrarMsgErro(pFront, pLoop, texto, true);
  }
  // The stop flag has ended the application; unwind the worker as the dialog would have.
  throw TSilentAbort{mensagemErro};
}

}  // namespace luvaro
