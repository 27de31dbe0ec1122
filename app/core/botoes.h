#pragma once

#include <string_view>

#include "dfe/front.h"

namespace luvaro {

// The caption of a button, its access key after the '&' ("&Ok", "&Não", ...). Inline: the
// window module uses it without linking the core.
constexpr std::string_view CaptionBotao(DialogButton botao) {
  switch (botao) {
    case DialogButton::Ok:
      return "&Ok";
    case DialogButton::Cancel:
      return "&Cancelar";
    case DialogButton::Abort:
      return "&Abortar";
    case DialogButton::Retry:
      return "&Voltar";
    case DialogButton::Ignore:
      return "&Ignorar";
    case DialogButton::Yes:
      return "&Sim";
    case DialogButton::No:
      return "&Não";
    case DialogButton::All:
      return "&Todos";
    case DialogButton::NoToAll:
      return "Não p/ todos";
    case DialogButton::YesToAll:
      return "Sim p/ todos";
  }
  return "&Ok";
}

}  // namespace luvaro
