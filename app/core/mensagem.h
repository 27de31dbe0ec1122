#pragma once

#include <exception>
#include <set>
#include <string>
#include <string_view>

#include "app/core/botoes.h"
#include "dfe/front.h"

namespace luvaro {

class IAppLoop;

using TBotoes = std::set<DialogButton>;

// Every message box of the program. The dialog itself is shown by the front on the main
// thread; from any other thread the whole of Mostrar is handed to the main thread and the
// caller waits, so a stop-flag abort raised there comes back into the caller.
class TMensagem {
 public:
  // The values of a fresh message: OK only, OK focused, error, no text, stop flag set.
  TMensagem(IFront& pFront, IAppLoop& pLoop);

  TBotoes Botoes{DialogButton::Ok};
  DialogButton BtnDefault = DialogButton::Ok;
  DialogType Tipo = DialogType::Error;
  std::string Mensagem;
  bool Travar = true;        // end the program once the user has closed the message
  bool MostrarChat = false;  // kept for the callers that set it; nothing reads it

  // Presets: set buttons and type, clear the text and the stop flag; BtnDefault unchanged.
  void ConfiguraMsgAtencaoOk();
  void ConfiguraMsgAtencaoSimNao();
  void ConfiguraMsgAtencaoSimNaoCancelar();
  void ConfiguraMsgConfirmacao();
  void ConfiguraMsgErro();
  void ConfiguraMsgInformacao();

  // The dialog as the front receives it: blank text replaced, title by type, buttons in the
  // dialog's order, the focused button.
  DialogRequest MontarDialogo() const;

  // Shows the dialog and returns the pressed button's result. With Travar, asks the
  // application to terminate and then throws TSilentAbort{Mensagem} instead of returning.
  int Mostrar();

  // Shortcuts: each applies a preset to a fresh message, sets the text and the extras, shows it.
  // With pEx the text is pMensagem + CR CR + "ERRO: " + the error's message.
  static void mostrarMsgErro(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem,
                             bool pTravar, const std::exception* pEx = nullptr);
  static void mostrarMsgAtencaoOk(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem,
                                  bool pTravar);
  static void mostrarMsgInformacao(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem);
  static void mostrarMsgGenerica(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem);
  static int mostrarMsgConfirmacaoYesNo(IFront& pFront, IAppLoop& pLoop,
                                        const std::string& pMensagem, DialogButton pBotaoDefault);
  static int mostrarMsgAtencaoYesNo(IFront& pFront, IAppLoop& pLoop, const std::string& pMensagem,
                                    DialogButton pBotaoDefault);
  static int mostrarMsgAtencaoYesNoCancel(IFront& pFront, IAppLoop& pLoop,
                                          const std::string& pMensagem, DialogButton pBotaoDefault);

  // The text of the error message with a detail: pMensagem + CR CR + "ERRO: " + pDetalhe.
  static std::string ComporErro(const std::string& pMensagem, const std::string& pDetalhe);

 private:
  void Configurar(TBotoes pBotoes, DialogType pTipo);

  IFront& FFront;
  IAppLoop& FLoop;
};

// The title of a dialog type: "Atenção", "Erro", "Informação", "Confirmação".
std::string_view TituloMensagem(DialogType tipo);

}  // namespace luvaro
