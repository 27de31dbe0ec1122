#include "app/core/mensagem.h"

#include <array>

#include "app/core/app_loop.h"
#include "app/core/silent_abort.h"

namespace luvaro {
namespace {

// The order in which a dialog lays out its buttons.
constexpr std::array kOrdemBotoes{
    DialogButton::Yes,     DialogButton::No,       DialogButton::Ok,     DialogButton::Cancel,
    DialogButton::Abort,   DialogButton::Retry,    DialogButton::Ignore, DialogButton::All,
    DialogButton::NoToAll, DialogButton::YesToAll,
};

// Only these buttons can be given the focus by BtnDefault.
bool PodeSerPadrao(DialogButton botao) {
  return static_cast<int>(botao) >= static_cast<int>(DialogButton::Ok) &&
         static_cast<int>(botao) <= static_cast<int>(DialogButton::No);
}

bool EmBranco(const std::string& texto) {
  for (unsigned char c : texto)
    if (c > ' ') return false;
  return true;
}

}  // namespace

std::string_view TituloMensagem(DialogType tipo) {
  switch (tipo) {
    case DialogType::Warning:
      return "Atenção";
    case DialogType::Error:
      return "Erro";
    case DialogType::Information:
      return "Informação";
    case DialogType::Confirmation:
      return "Confirmação";
  }
  return "Erro";
}

TMensagem::TMensagem(IFront& pFront, IAppLoop& pLoop) : FFront(pFront), FLoop(pLoop) {}

void TMensagem::Configurar(TBotoes pBotoes, DialogType pTipo) {
  Botoes = std::move(pBotoes);
  Tipo = pTipo;
  Mensagem.clear();
  Travar = false;
}

void TMensagem::ConfiguraMsgAtencaoOk() {
  Configurar({DialogButton::Ok}, DialogType::Warning);
}
void TMensagem::ConfiguraMsgAtencaoSimNao() {
  Configurar({DialogButton::Yes, DialogButton::No}, DialogType::Warning);
}
void TMensagem::ConfiguraMsgAtencaoSimNaoCancelar() {
  Configurar({DialogButton::Yes, DialogButton::No, DialogButton::Cancel}, DialogType::Warning);
}
void TMensagem::ConfiguraMsgConfirmacao() {
  Configurar({DialogButton::Yes, DialogButton::No}, DialogType::Confirmation);
}
void TMensagem::ConfiguraMsgErro() {
  Configurar({DialogButton::Ok}, DialogType::Error);
}
void TMensagem::ConfiguraMsgInformacao() {
  Configurar({DialogButton::Ok}, DialogType::Information);
}

DialogRequest TMensagem::MontarDialogo() const {
  DialogRequest request;
  request.type = Tipo;
  request.title = std::string(TituloMensagem(Tipo));
  request.text = EmBranco(Mensagem) ? "Mensagem indefinida." : Mensagem;
  request.buttons.clear();
  for (DialogButton botao : kOrdemBotoes)
    if (Botoes.contains(botao)) request.buttons.push_back(botao);
  if (request.buttons.empty()) request.buttons.push_back(DialogButton::Ok);

  // The dialog's own choice (OK, else Yes, else the first button) unless BtnDefault names a
  // button that is shown and may take the focus.
  auto shown = [&](DialogButton b) { return Botoes.contains(b); };
  if (PodeSerPadrao(BtnDefault) && shown(BtnDefault))
    request.defaultButton = BtnDefault;
  else if (shown(DialogButton::Ok))
    request.defaultButton = DialogButton::Ok;
  else if (shown(DialogButton::Yes))
    request.defaultButton = DialogButton::Yes;
  else
    request.defaultButton = request.buttons.front();
  return request;
}

int TMensagem::Mostrar() {
  const DialogRequest request = MontarDialogo();
  int resultado = 0;
  FLoop.Synchronize([&] {
    resultado = FFront.ShowDialog(request);
    if (Travar) {
      FLoop.Terminate();
      throw TSilentAbort{request.text};
    }
  });
  return resultado;
}

std::string TMensagem::ComporErro(const std::string& pMensagem, const std::string& pDetalhe) {
  return pMensagem + "\r\rERRO: " + pDetalhe;
}

void TMensagem::mostrarMsgErro(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem,
                               bool pTravar, const std::exception* pEx) {
  TMensagem msg(pFront, pLoop);
  msg.ConfiguraMsgErro();
  msg.Mensagem = pEx ? ComporErro(pMensagem, pEx->what()) : pMensagem;
  msg.Travar = pTravar;
  msg.Mostrar();
}

void TMensagem::mostrarMsgAtencaoOk(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem,
                                    bool pTravar) {
  TMensagem msg(pFront, pLoop);
  msg.ConfiguraMsgAtencaoOk();
  msg.Mensagem = pMensagem;
  msg.Travar = pTravar;
  msg.Mostrar();
}

void TMensagem::mostrarMsgInformacao(IFront& pFront, IAppLoop& pLoop,
                                     const std::string& pMensagem) {
  TMensagem msg(pFront, pLoop);
  msg.ConfiguraMsgInformacao();
  msg.Mensagem = pMensagem;
  msg.Mostrar();
}

void TMensagem::mostrarMsgGenerica(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem) {
  mostrarMsgInformacao(pFront, pLoop, pMensagem);
}

int TMensagem::mostrarMsgConfirmacaoYesNo(IFront& pFront, IAppLoop& pLoop,
                                          const std::string& pMensagem,
                                          DialogButton pBotaoDefault) {
  TMensagem msg(pFront, pLoop);
  msg.ConfiguraMsgConfirmacao();
  msg.Mensagem = pMensagem;
  msg.BtnDefault = pBotaoDefault;
  return msg.Mostrar();
}

int TMensagem::mostrarMsgAtencaoYesNo(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem,
                                      DialogButton pBotaoDefault) {
  TMensagem msg(pFront, pLoop);
  msg.ConfiguraMsgAtencaoSimNao();
  msg.Mensagem = pMensagem;
  msg.BtnDefault = pBotaoDefault;
  return msg.Mostrar();
}

int TMensagem::mostrarMsgAtencaoYesNoCancel(IFront& pFront, IAppLoop& pLoop,
                                            const std::string& pMensagem,
                                            DialogButton pBotaoDefault) {
  TMensagem msg(pFront, pLoop);
  msg.ConfiguraMsgAtencaoSimNaoCancelar();
  msg.Mensagem = pMensagem;
  msg.BtnDefault = pBotaoDefault;
  return msg.Mostrar();
}

}  // namespace luvaro
