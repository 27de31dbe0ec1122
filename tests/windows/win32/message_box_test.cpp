// The message dialogs of the Win32 front: which of MessageBoxW's button sets, icons and default
// buttons a request becomes, and the text's line breaks. The dialogs themselves are shown by
// the window test under Xvfb (window-xvfb.sh).

#include "app/win32/message_box.h"

#include <gtest/gtest.h>

namespace luvaro {
namespace {

using B = DialogButton;

struct LayoutCase {
  const char* name;
  DialogType type;
  std::vector<B> buttons;
  B defaultButton;
  UINT expectedFlags;
  std::vector<B> expectedOrder;
};

TEST(MessageBoxWin32, LayoutOfTheRequests) {
  const LayoutCase cases[] = {
      {"error, OK",
       DialogType::Error,
       {B::Ok},
       B::Ok,
       MB_OK | MB_ICONERROR | MB_DEFBUTTON1,
       {B::Ok}},
      {"warning, OK",
       DialogType::Warning,
       {B::Ok},
       B::Ok,
       MB_OK | MB_ICONWARNING | MB_DEFBUTTON1,
       {B::Ok}},
      {"information",
       DialogType::Information,
       {B::Ok},
       B::Ok,
       MB_OK | MB_ICONINFORMATION | MB_DEFBUTTON1,
       {B::Ok}},
      {"confirmation, default No",
       DialogType::Confirmation,
       {B::Yes, B::No},
       B::No,
       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
       {B::Yes, B::No}},
      {"warning Yes/No/Cancel, default Cancel",
       DialogType::Warning,
       {B::Yes, B::No, B::Cancel},
       B::Cancel,
       MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3,
       {B::Yes, B::No, B::Cancel}},
      {"buttons in another order keep the system's",
       DialogType::Warning,
       {B::No, B::Yes},
       B::Yes,
       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1,
       {B::Yes, B::No}},
      {"default not among the buttons: the first",
       DialogType::Warning,
       {B::Yes, B::No},
       B::Ok,
       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1,
       {B::Yes, B::No}},
      {"OK/Cancel",
       DialogType::Information,
       {B::Ok, B::Cancel},
       B::Cancel,
       MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2,
       {B::Ok, B::Cancel}},
      {"abort/retry/ignore",
       DialogType::Error,
       {B::Abort, B::Retry, B::Ignore},
       B::Retry,
       MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_DEFBUTTON2,
       {B::Abort, B::Retry, B::Ignore}},
      {"retry/cancel",
       DialogType::Error,
       {B::Retry, B::Cancel},
       B::Retry,
       MB_RETRYCANCEL | MB_ICONERROR | MB_DEFBUTTON1,
       {B::Retry, B::Cancel}},
      {"a set the system does not have: OK alone",
       DialogType::Warning,
       {B::Yes, B::YesToAll},
       B::YesToAll,
       MB_OK | MB_ICONWARNING | MB_DEFBUTTON1,
       {B::Ok}},
      {"no buttons: OK alone",
       DialogType::Error,
       {},
       B::Ok,
       MB_OK | MB_ICONERROR | MB_DEFBUTTON1,
       {B::Ok}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRequest request;
    request.type = c.type;
    request.buttons = c.buttons;
    request.defaultButton = c.defaultButton;
    const MessageBoxLayout layout = LayoutOf(request);
    EXPECT_EQ(layout.flags, c.expectedFlags);
    EXPECT_EQ(layout.buttons, c.expectedOrder);
  }
}

// The results the program expects are those MessageBoxW returns for the same buttons.
TEST(MessageBoxWin32, ButtonResultsAreTheSystems) {
  EXPECT_EQ(static_cast<int>(B::Ok), IDOK);
  EXPECT_EQ(static_cast<int>(B::Cancel), IDCANCEL);
  EXPECT_EQ(static_cast<int>(B::Abort), IDABORT);
  EXPECT_EQ(static_cast<int>(B::Retry), IDRETRY);
  EXPECT_EQ(static_cast<int>(B::Ignore), IDIGNORE);
  EXPECT_EQ(static_cast<int>(B::Yes), IDYES);
  EXPECT_EQ(static_cast<int>(B::No), IDNO);
}

TEST(MessageBoxWin32, LoneCarriageReturnsBreakLines) {
  const struct {
    const char* name;
    std::string text;
    std::wstring expected;
  } cases[] = {
      {"two lines", "Erro ao consultar versao Atualização.\r\rERRO: falha",
       L"Erro ao consultar versao Atualização.\r\n\r\nERRO: falha"},
      {"CR LF kept", "a\r\nb", L"a\r\nb"},
      {"CR at the end", "a\r", L"a\r\n"},
      {"no break", "Versão Orvane não informada.", L"Versão Orvane não informada."},
      {"empty", "", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DialogText(c.text), c.expected);
  }
}

}  // namespace
}  // namespace luvaro
