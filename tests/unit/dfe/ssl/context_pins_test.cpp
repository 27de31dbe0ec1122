// The answers our UI method gives libp11 when a key asks for the PIN at every use: the PIN of
// the one token whose key libp11 names, and nothing otherwise (never a prompt of its own).
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "dfe/platform/linux/token_environment_int.h"

namespace luvaro {
namespace {

using UiPtr = std::unique_ptr<UI, CFree<&UI_free>>;

// What UI_process gives for libp11's request about the key `label`, as libp11 makes it.
std::optional<std::string> Request(ContextPins& pins, const char* label) {
  UiPtr ui(UI_new_method(pins.Method()));
  UI_add_user_data(ui.get(), &pins);
  char* prompt = UI_construct_prompt(ui.get(), "PKCS#11 key PIN", label);
  char pin[33] = {};
  const int added = UI_dup_input_string(ui.get(), prompt, UI_INPUT_FLAG_DEFAULT_PWD, pin, 4, 32);
  OPENSSL_free(prompt);
  if (added <= 0 || UI_process(ui.get()) != 0) return std::nullopt;
  return std::string(pin);
}

TEST(ContextPins, AnswersWithThePinOfTheTokenWhoseKeyIsNamed) {
  const struct {
    const char* name;
    std::function<void(ContextPins&)> setUp;
    const char* label;
    std::optional<std::string> expected;
  } cases[] = {
      {"key of a logged-in token",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.KeyOf("A/1", "assinatura");
       },
       "assinatura", "1234"},
      {"key without a label",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.KeyOf("A/1", "");
       },
       nullptr, "1234"},
      {"another key",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.KeyOf("A/1", "assinatura");
       },
       "outra", std::nullopt},
      {"two tokens with a key of that label",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.Accepted("B/2", SecureString("5678"));
         p.KeyOf("A/1", "assinatura");
         p.KeyOf("B/2", "assinatura");
       },
       "assinatura", std::nullopt},
      {"the other token has that label, this one is logged out",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.Accepted("B/2", SecureString("5678"));
         p.KeyOf("A/1", "assinatura");
         p.KeyOf("B/2", "assinatura");
         p.LoggedOut("A/1");
       },
       "assinatura", "5678"},
      {"token that refused its PIN",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.KeyOf("A/1", "assinatura");
         p.Refused("A/1");
       },
       "assinatura", std::nullopt},
      {"refused, then logged in again with the same PIN",
       [](ContextPins& p) {
         p.Accepted("A/1", SecureString("1234"));
         p.KeyOf("A/1", "assinatura");
         p.Refused("A/1");
         p.Accepted("A/1", SecureString("1234"));
       },
       "assinatura", std::nullopt},
      {"no PIN given at the login (protected path)",
       [](ContextPins& p) { p.KeyOf("A/1", "assinatura"); }, "assinatura", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ContextPins pins;
    c.setUp(pins);
    EXPECT_EQ(Request(pins, c.label), c.expected);
  }
}

}  // namespace
}  // namespace luvaro
