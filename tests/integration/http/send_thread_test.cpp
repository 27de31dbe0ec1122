// Requests on a send thread of their own (TimeOutPorThread): the caller gives up at a deadline
// of whole seconds of TimeOut.

#include <gtest/gtest.h>

#include "tests/integration/http/gov_test_support.h"

namespace luvaro::test {
namespace {

TEST_F(GovTest, SendThreadGivesTheReplyOrTheFailureOrGivesUpAtTheDeadline) {
  struct Row {
    const char* name;
    const char* faults;
    const char* expectedFailure;  // "" for a reply
  };
  const Row rows[] = {
      {"reply", "", ""},
      {"failure of the request", "body=soap-fault",
       "Erro na thread de envio: Erro Interno: 0\r\n"
       "Erro HTTP: 500\r\nURL: {url}\r\n"},
      // 1500 ms give a deadline of one second; the server answers after five.
      {"no answer before the deadline", "delay=5000",
       "Timeout - Não foi possível obter a resposta do servidor"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (*row.faults != '\0') {
      Sim().SetFaults(row.faults);
    } else {
      Sim().ClearFaults();
    }
    auto ssl = MakeFacade();
    ssl->SetTimeOutPorThread(true);
    ssl->SetTimeOut(1500);
    std::string envelope = "<Envelope/>";
    const std::string url = Url();
    if (*row.expectedFailure == '\0') {
      EXPECT_NE(ssl->Enviar(envelope, url, "").find("Requisição recebida."), std::string::npos);
      continue;
    }
    std::string expected = row.expectedFailure;
    if (const auto at = expected.find("{url}"); at != std::string::npos)
      expected.replace(at, 5, url);
    EXPECT_EQ(FailureOf([&] { ssl->Enviar(envelope, url, ""); }), expected);
  }
}

}  // namespace
}  // namespace luvaro::test
