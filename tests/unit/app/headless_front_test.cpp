#include "app/headless/headless_front.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

namespace luvaro {
namespace {

using B = DialogButton;

TEST(HeadlessFront, StatusAndDialogsGoOutAsLines) {
  std::ostringstream out;
  HeadlessFront front({}, out);
  front.ShowStatus("Iniciando...");
  DialogRequest request;
  request.title = "Erro";
  request.text = "Erro na leitura dos parâmetros.\r\rERRO: Processo inválido.";
  EXPECT_EQ(front.ShowDialog(request), 1);
  request.title = "Atenção";
  request.text = "linha 1\r\nlinha 2\rlinha 3\r";
  front.ShowDialog(request);
  EXPECT_EQ(out.str(),
            "Iniciando...\n"
            "Erro: Erro na leitura dos parâmetros.\n\nERRO: Processo inválido.\n"
            "Atenção: linha 1\r\nlinha 2\nlinha 3\n\n");
}

TEST(HeadlessFront, AnswersWithTheDefaultButton) {
  struct Case {
    const char* name;
    std::vector<B> buttons;
    B defaultButton;
    int expected;
  } cases[] = {
      {"No focused", {B::Yes, B::No}, B::No, 7},
      {"Cancel focused", {B::Yes, B::No, B::Cancel}, B::Cancel, 2},
      {"default not shown: first button", {B::Yes, B::No}, B::Ok, 6},
      {"no buttons: OK", {}, B::Yes, 1},
  };
  std::ostringstream out;
  HeadlessFront front({}, out);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRequest request;
    request.buttons = c.buttons;
    request.defaultButton = c.defaultButton;
    EXPECT_EQ(front.ShowDialog(request), c.expected);
  }
}

TEST(HeadlessFront, CertificateChoice) {
  const std::vector<CertificateChoice> one{{"0A1B", "EMPRESA A", "AC X", "01/01/2030", "t"}};
  const std::vector<CertificateChoice> two{{"0A1B", "EMPRESA A", "AC X", "01/01/2030", "t"},
                                           {"77FF", "EMPRESA B", "AC X", "01/01/2030", "t"}};
  struct Case {
    const char* name;
    std::optional<std::string> setting;
    const std::vector<CertificateChoice>* list;
    std::optional<std::string> expected;
  } cases[] = {
      {"the only certificate", std::nullopt, &one, "0A1B"},
      {"several and no setting", std::nullopt, &two, std::nullopt},
      {"none", std::nullopt, nullptr, std::nullopt},
      {"setting names one", "77FF", &two, "77FF"},
      {"setting in other letter case", "77ff", &two, "77FF"},
      {"setting names none", "1234", &one, std::nullopt},
  };
  std::ostringstream out;
  const std::vector<CertificateChoice> empty;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessFront front({c.setting, std::nullopt}, out);
    EXPECT_EQ(front.ChooseCertificate("t", "p", c.list ? *c.list : empty), c.expected);
  }
  EXPECT_EQ(out.str(), "");  // the choice prints nothing
}

TEST(HeadlessFront, PinComesFromTheSettings) {
  std::ostringstream out;
  HeadlessFront without({}, out);
  EXPECT_FALSE(without.AskPin({"token", "cert"}).has_value());
  HeadlessFront with({std::nullopt, SecureString("1234")}, out);
  const auto pin = with.AskPin({"token", "cert"});
  ASSERT_TRUE(pin.has_value());
  EXPECT_EQ(pin->str(), "1234");
}

TEST(HeadlessFront, LinesOfThreadsDoNotInterleave) {
  std::ostringstream out;
  HeadlessFront front({}, out);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&front, t] {
      for (int i = 0; i < 200; ++i) front.ShowStatus(std::string(50, static_cast<char>('a' + t)));
    });
  for (auto& th : threads) th.join();
  std::istringstream in(out.str());
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    ++lines;
    ASSERT_EQ(line, std::string(50, line.front()));
  }
  EXPECT_EQ(lines, 800);
}

TEST(LoneCrToLf, OnlyLoneCarriageReturnsChange) {
  EXPECT_EQ(LoneCrToLf("a\rb\r\nc\r"), "a\nb\r\nc\n");
  EXPECT_EQ(LoneCrToLf(""), "");
}

}  // namespace
}  // namespace luvaro
