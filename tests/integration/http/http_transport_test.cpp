// A request as the government's service sees it: our client certificate, the exact header
// lines and body, the protocol versions, and one TLS handshake per run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "tests/integration/http/gov_test_support.h"

namespace luvaro::test {
namespace {

using ::testing::HasSubstr;

constexpr const char* kAction =
    "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0/"
    "ServicoEnviarLoteEventos/EnviarLoteEventos";

std::string HostOf(const std::string& baseUrl) {
  const auto start = baseUrl.find("://") + 3;
  return baseUrl.substr(start, baseUrl.find('/', start) - start);
}

std::set<std::string> HeaderNames(const RecordedRequest& request) {
  std::set<std::string> names;
  for (const auto& [name, value] : request.headers) names.insert(name);
  return names;
}

TEST_F(GovTest, PresentsTheCertificateAndSendsTheExactRequest) {
  auto ssl = MakeFacade();
  const size_t before = Sim().Requests().size();
  std::string envelope =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope>informação</soap:Envelope>";

  const std::string reply = ssl->Enviar(envelope, Url(), kAction);

  EXPECT_THAT(reply, HasSubstr("<retorno>Requisição recebida.</retorno>"));
  EXPECT_EQ(ssl->HTTPResultCode(), 200);
  EXPECT_EQ(ssl->InternalErrorCode(), 0);
  const auto requests = RequestsFrom(before);
  ASSERT_EQ(requests.size(), 1u);
  const RecordedRequest& got = requests[0];
  EXPECT_EQ(got.method, "POST");
  EXPECT_EQ(got.target, "/servico/envio.svc");
  EXPECT_EQ(got.body, envelope);
  // The server saw the token's certificate.
  EXPECT_EQ(got.tls.at("serial"), Token().Certificate("empresa").serial);
  EXPECT_THAT(got.tls.at("subject"), HasSubstr("CN=EMPRESA TESTE LTDA:12345678000195"));
  // The header lines: a non-default port in Host, the charset once, the action in quotes, and
  // nothing curl would add on its own (Accept, Expect).
  EXPECT_EQ(got.Header("Host"), HostOf(Sim().BaseUrl()));
  EXPECT_EQ(got.Header("Content-Type"), "application/soap+xml; charset=utf-8");
  EXPECT_EQ(got.Header("Accept-Charset"), "utf-8");
  EXPECT_EQ(got.Header("SOAPAction"), std::string("\"") + kAction + "\"");
  EXPECT_EQ(got.Header("Content-Length"), std::to_string(envelope.size()));
  EXPECT_EQ(HeaderNames(got),
            (std::set<std::string>{"Accept-Charset", "Content-Length", "Content-Type", "Host",
                                   "SOAPAction", "User-Agent"}));
  EXPECT_THAT(got.Header("User-Agent"), ::testing::EndsWith("/1.0"));
}

TEST_F(GovTest, SendsNoSoapActionWhenThereIsNoneAndAddsTheCharsetToAGivenType) {
  auto ssl = MakeFacade();
  const size_t before = Sim().Requests().size();
  std::string envelope = "<Envelope/>";

  ssl->Enviar(envelope, Url("servico/consulta.svc?x=1"), "", "text/xml");

  const auto requests = RequestsFrom(before);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/servico/consulta.svc?x=1");
  EXPECT_EQ(requests[0].Header("Content-Type"), "text/xml; charset=utf-8");
  EXPECT_EQ(HeaderNames(requests[0]).count("SOAPAction"), 0u);
}

TEST_F(GovTest, AllTakesTheNewestProtocolAndAnExplicitVersionPinsIt) {
  struct Row {
    const char* name;
    TSSLType type;
    const char* protocol;
  };
  const Row rows[] = {
      {"all", TSSLType::LT_all, "TLSv1.3"},
      {"SSH v2 counts as all", TSSLType::LT_SSHv2, "TLSv1.3"},
      {"TLS 1.2", TSSLType::LT_TLSv1_2, "TLSv1.2"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto ssl = MakeFacade();
    ssl->SetSSLType(row.type);
    const size_t before = Sim().Requests().size();
    std::string envelope = "<Envelope/>";
    ssl->Enviar(envelope, Url(), "");
    const auto requests = RequestsFrom(before);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].tls.at("protocol"), row.protocol);
  }
}

TEST_F(GovTest, ARunSignsOneHandshakeAndReusesTheSessionAfterwards) {
  auto ssl = MakeFacade();
  const size_t before = Sim().Requests().size();
  for (int i = 0; i < 3; ++i) {
    std::string envelope = "<Envelope n=\"" + std::to_string(i) + "\"/>";
    ssl->Enviar(envelope, Url(), "");
  }
  const auto requests = RequestsFrom(before);
  ASSERT_EQ(requests.size(), 3u);
  // A connection with a full handshake costs a token signature; later requests either ride
  // the same connection or resume its session.
  std::set<std::string> fullHandshakes;
  for (const auto& request : requests) {
    if (request.tls.at("resumed") == "no") fullHandshakes.insert(request.tls.at("connection"));
  }
  EXPECT_EQ(fullHandshakes.size(), 1u);
  EXPECT_EQ(TokenSignatures(), 1);
}

}  // namespace
}  // namespace luvaro::test
