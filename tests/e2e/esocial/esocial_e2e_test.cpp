// The eSocial job of the real executable in headless mode, end to end: luvaro-sim as the ERP
// and as the eSocial services, the SoftHSM test token, a temporary application folder. Each
// case checks the exit code, the lines on standard error, the files written and what the
// stand-ins received.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/esocial/esocial_cenario.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

const fs::path kExe = LUVARO_EXE;

const std::string kInicio =
    "Iniciando...\nVerificando atualização...\nSetando os parametros...\n"
    "Configurando certificado...\n";
const std::string kStatusEnvio = kInicio +
                                 "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                                 "Enviando retorno para o Orvane...\n";
const std::string kStatusConsulta =
    kInicio + "Consultando protocolo...\nEnviando retorno para o Orvane...\n";
const std::string kGenerico = "Erro: Erro durante a execução: \n\nERRO: ";
// The fixture lot holds one document of no known type: it stays out of the lot, and the
// end-of-send message (OK only) names it before the reply goes to the ERP.
const std::string kDesconhecido = "ID1123456780000002024051012000000010";
const std::string kStatusEnvioDemo =
    kInicio +
    "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
    "Atenção: 1 evento(s) não foram incluídos no lote:\nPosição 10 (" +
    kDesconhecido + "): Tipo de evento não reconhecido.\nEnviando retorno para o Orvane...\n";

// The events of the fixture lot: every document but the one of no known type, by evento Id,
// and those the service finds invalid against their schema.
const std::set<std::string> kEventosEnviados = {
    "ID1123456780000002024051012000000001", "ID1123456780000002024051012000000002",
    "ID1123456780000002024051012000000003", "ID1123456780000002024051012000000004",
    "ID1123456780000002024051012000000005", "ID1123456780000002024051012000000006",
    "ID1123456780000002024051012000000007", "ID1123456780000002024051012000000008",
    "ID1123456780000002024051012000000009"};
const std::set<std::string> kEventosInvalidos = {"ID1123456780000002024051012000000004",
                                                 "ID1123456780000002024051012000000007"};

std::vector<std::string> Endpoints(const SimProcess& sim) {
  std::vector<std::string> nomes;
  for (const RecordedRequest& r : sim.Requests()) nomes.push_back(r.endpoint);
  return nomes;
}

std::vector<std::string> Arquivos(const fs::path& pasta) {
  std::vector<std::string> nomes;
  if (!fs::is_directory(pasta)) return nomes;
  for (const auto& e : fs::directory_iterator(pasta))
    if (e.is_regular_file()) nomes.push_back(e.path().filename().string());
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

const std::string* Achar(const std::vector<std::string>& nomes, const std::regex& padrao) {
  for (const std::string& nome : nomes)
    if (std::regex_match(nome, padrao)) return &nome;
  return nullptr;
}

class EsocialE2E : public ::testing::Test {
 protected:
  ProcessResult Run(const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& extra = {}) {
    ProcessOptions options;
    options.args = args;
    options.env = cenario.Ambiente();
    for (const auto& [nome, valor] : extra) options.env[nome] = valor;
    return RunProcess(kExe, options);
  }

  EsocialCenario cenario;
  TempDir trabalho{"luvaro-e2e-esocial-trabalho"};
};

// The whole road: a send of a mixed lot, then the query of the protocol it returned.
TEST_F(EsocialE2E, SendThenQueryReachTheErp) {
  const std::string mesAntes = MesAtual();
  const ProcessResult envio = Run(cenario.ArgsEnvio());
  ASSERT_FALSE(envio.timedOut);
  EXPECT_EQ(envio.exitCode, 0) << envio.err;
  EXPECT_EQ(envio.err, kStatusEnvioDemo);
  // The document left out is named in the log; the missing schemas of the worker's layout
  // (it names no schema version) are no failure worth a line.
  const std::string logEnvio = cenario.Logs();
  EXPECT_NE(logEnvio.find(" - Evento não incluído no lote - posição 10 (" + kDesconhecido +
                          "): Tipo de evento não reconhecido.\r\n"),
            std::string::npos)
      << logEnvio;
  EXPECT_EQ(logEnvio.find("falha de validação"), std::string::npos) << logEnvio;

  // The ERP handed out the lot and received the service's reply with the lot path.
  const auto erp = cenario.Erp().Requests();
  ASSERT_EQ(Endpoints(cenario.Erp()), (std::vector<std::string>{"lotes", "lotesRetorno"}));
  EXPECT_EQ(erp[0].target, "/spring/esocial/lotes?empresaKey=EMPRESA-DEMO");
  const std::string retornoEnvio = MembroJson(erp[1].body, "xmlRetornoLote");
  EXPECT_EQ(MembroJson(erp[1].body, "empresaKey"), EsocialCenario::kEmpresa);
  EXPECT_EQ(MembroJson(erp[1].body, "lotePath"), EsocialCenario::kLotePath);
  EXPECT_NE(retornoEnvio.find("<cdResposta>201</cdResposta>"), std::string::npos) << retornoEnvio;
  const std::string protocolo = Entre(retornoEnvio, "<protocoloEnvio>", "</protocoloEnvio>");
  ASSERT_TRUE(std::regex_match(protocolo, std::regex(R"(1\.2\.\d{6}\.\d{19})"))) << protocolo;

  // One lot reached the service over TLS with the company certificate; every event in it is
  // signed, and xmlsec1 accepts each signature against the test CA.
  const auto governo = cenario.Governo().Requests();
  ASSERT_EQ(Endpoints(cenario.Governo()), std::vector<std::string>{"EnviarLoteEventos"});
  EXPECT_EQ(governo[0].tls.at("serial"), SerialDe("empresa"));
  EXPECT_NE(governo[0].body.find("<envioLoteEventos grupo=\"1\">"), std::string::npos);
  const std::vector<EventoDoLote> eventos = EventosDoLote(governo[0].body);
  std::set<std::string> ids;
  for (const EventoDoLote& evento : eventos) {
    SCOPED_TRACE(evento.id);
    ids.insert(evento.id);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(evento.documento, trabalho.path(), &saida)) << saida;
  }
  EXPECT_EQ(ids, kEventosEnviados);
  EXPECT_EQ(eventos.size(), kEventosEnviados.size());

  // The request and the reply were saved under Docs/<transmitter>/<MMyyyy>.
  const fs::path docs = cenario.Home() / "Docs" / std::string(EsocialCenario::kTransmissor);
  std::vector<std::string> meses;
  for (const auto& e : fs::directory_iterator(docs)) meses.push_back(e.path().filename());
  ASSERT_EQ(meses.size(), 1u);
  EXPECT_TRUE(meses[0] == mesAntes || meses[0] == MesAtual()) << meses[0];
  const std::vector<std::string> salvos = Arquivos(docs / meses[0]);
  const std::string* rec = Achar(salvos, std::regex(R"(\d{12}-rec\.xml)"));
  ASSERT_NE(rec, nullptr) << ::testing::PrintToString(salvos);
  EXPECT_NE(Achar(salvos, std::regex(R"(\d{12}-env-lot\.xml)")), nullptr);
  EXPECT_NE(ReadFile(docs / meses[0] / *rec).find(protocolo), std::string::npos);

  // The query of that protocol brings one receipt per valid event and the occurrences of the
  // invalid ones to the ERP.
  const ProcessResult consulta = Run(cenario.ArgsConsulta(protocolo));
  ASSERT_FALSE(consulta.timedOut);
  EXPECT_EQ(consulta.exitCode, 0) << consulta.err;
  EXPECT_EQ(consulta.err, kStatusConsulta);
  ASSERT_EQ(Endpoints(cenario.Erp()),
            (std::vector<std::string>{"lotes", "lotesRetorno", "consultaProtocoloRetorno"}));
  const RecordedRequest retorno = cenario.Erp().Requests()[2];
  EXPECT_EQ(MembroJson(retorno.body, "empresaKey"), EsocialCenario::kEmpresa);
  const std::string processamento = MembroJson(retorno.body, "xmlRetornoLote");
  EXPECT_NE(processamento.find("<protocoloEnvio>" + protocolo), std::string::npos);
  for (const std::string& id : kEventosEnviados) {
    SCOPED_TRACE(id);
    const std::string doEvento = Entre(processamento, "<evento Id=\"" + id + "\">", "</evento>");
    ASSERT_FALSE(doEvento.empty()) << processamento;
    if (kEventosInvalidos.contains(id)) {
      EXPECT_NE(doEvento.find("<cdResposta>401</cdResposta>"), std::string::npos) << doEvento;
      EXPECT_NE(doEvento.find("<codigo>143</codigo>"), std::string::npos) << doEvento;
      EXPECT_EQ(doEvento.find("<nrRecibo>"), std::string::npos);
    } else {
      EXPECT_NE(doEvento.find("<cdResposta>201</cdResposta>"), std::string::npos) << doEvento;
      EXPECT_NE(doEvento.find("<nrRecibo>"), std::string::npos);
    }
  }
  // A query run sets no document folder: its files land in Docs itself.
  const std::vector<std::string> docsRaiz = Arquivos(cenario.Home() / "Docs");
  EXPECT_NE(std::find(docsRaiz.begin(), docsRaiz.end(), "eSocial-sit.xml"), docsRaiz.end())
      << ::testing::PrintToString(docsRaiz);
}

// Every way a run ends early: the exit code, the dialog (the last line on standard error),
// whether anything reached the service, and the log.
TEST_F(EsocialE2E, FailuresEndWithTheirDialogAndExitCode) {
  const RefusingPort erpFora;
  std::vector<std::string> argsErpFora = cenario.ArgsEnvio();
  argsErpFora[2] = erpFora.Url();
  struct Caso {
    const char* nome;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string faultsGoverno;
    int exitCode;
    std::string err;      // standard error, whole or up to the error's own text
    std::string detalhe;  // a text that follows in the dialog, "" when err is whole
    bool enviou;          // a lot reached the service
    std::string log;      // a text the log holds ("" when none is expected)
  } casos[] = {
      {"no certificate chosen",
       cenario.ArgsEnvio(),
       {{"LUVARO_CERTIFICADO", "00"}},
       "",
       2,
       kInicio,
       "",
       false,
       ""},
      {"empty lot",
       cenario.ArgsEnvio(EsocialCenario::kEmpresaVazia),
       {},
       "",
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\n" + kGenerico +
           "Nenhum evento encontrado para transmissão.\n",
       "",
       false,
       "ERROR: Nenhum evento encontrado para transmissão."},
      {"service fails with 500",
       cenario.ArgsEnvio(),
       {},
       "body=soap-fault\n",
       1,
       kInicio + "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                 "Erro: SERVIÇO DO E-SOCIAL ESTÁ FORA DO AR!\n\nDETALHE: No momento o sreviço do "
                 "e-social está fora do ar, tente novamente mais tarde.\n\nDADOS TÉCNICOS: \n",
       "Erro HTTP: 500",
       true,
       ""},
      {"service time-out",
       cenario.ArgsEnvio(),
       {{"LUVARO_TIMEOUT_MS", "1500"}},
       "delay=60000\n",
       1,
       kInicio +
           "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
           "Erro: Erro no envio da requisição: \n\nDETALHE: Tempo limite de envio estourado.\n\n"
           "SOLUÇÃO: Por favor verifique a conexão com a internet e tente novamente.\n"
           "                Caso o problema continue, o servidor da receita pode estar "
           "congestionado,\n                por favor tente novamente mais tarde.\n",
       "",
       true,
       ""},
      {"ERP unreachable",
       argsErpFora,
       {},
       "",
       1,
       kInicio + "Buscando eventos...\n" + kGenerico,
       "Erro ao consultar eventos no Orvane.\n\n",
       false,
       "ERROR: Erro ao consultar eventos no Orvane."},
      // libp11 writes the loader's own failure to standard error before the dialog.
      {"PKCS#11 module that cannot be loaded",
       cenario.ArgsEnvio(),
       {{"LUVARO_PKCS11_MODULE", (trabalho.path() / "sem-modulo.so").string()}},
       "",
       1,
       kInicio,
       kGenerico + "TDFeWinCrypt. Erro ao abrir StoreName",
       false,
       "ERROR: TDFeWinCrypt. Erro ao abrir StoreName"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::size_t antes = cenario.Governo().Requests().size();
    if (!c.faultsGoverno.empty()) cenario.Governo().SetFaults(c.faultsGoverno);
    const ProcessResult r = Run(c.args, c.env);
    cenario.Governo().ClearFaults();
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    if (c.detalhe.empty()) {
      EXPECT_EQ(r.err, c.err);
    } else {
      EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
      EXPECT_NE(r.err.find(c.detalhe, c.err.size()), std::string::npos) << r.err;
    }
    EXPECT_EQ(cenario.Governo().Requests().size() > antes, c.enviou);
    if (!c.log.empty()) {
      EXPECT_NE(cenario.Logs().find(c.log), std::string::npos) << cenario.Logs();
    }
  }
}

// A service whose identity cannot be confirmed (its authority, the test CA, is not in
// cadeias/) never receives the lot: a generic failure naming the host and the reason, a log
// line, exit code 1, and nothing posted to the ERP.
TEST_F(EsocialE2E, AServiceWhoseIdentityCannotBeConfirmedReceivesNothing) {
  fs::remove_all(cenario.Home() / "cadeias");
  const ProcessResult r = Run(cenario.ArgsEnvio());
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const std::string motivo =
      "Não foi possível confirmar a identidade do servidor 127.0.0.1: o certificado do servidor "
      "não foi emitido por uma autoridade confiável.";
  EXPECT_TRUE(r.err.starts_with(kInicio +
                                "Buscando eventos...\nMontando eventos...\n"
                                "Enviando eventos...\n" +
                                kGenerico))
      << r.err;
  EXPECT_NE(r.err.find(motivo), std::string::npos) << r.err;
  EXPECT_TRUE(cenario.Governo().Requests().empty());
  EXPECT_EQ(Endpoints(cenario.Erp()), std::vector<std::string>{"lotes"});
  const std::string logs = cenario.Logs();
  EXPECT_NE(logs.find(" - ERROR: "), std::string::npos) << logs;
  EXPECT_NE(logs.find(motivo), std::string::npos) << logs;
}

// With LUVARO_VERIFICAR_SERVIDOR=0 the same service is reached, and every request to it leaves
// the warning in the log.
TEST_F(EsocialE2E, WithTheCheckOffTheServiceIsReachedAndEachRequestWarns) {
  fs::remove_all(cenario.Home() / "cadeias");
  const ProcessResult r = Run(cenario.ArgsEnvio(), {{"LUVARO_VERIFICAR_SERVIDOR", "0"}});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusEnvioDemo);  // the fixture lot names its unknown document
  ASSERT_EQ(cenario.Governo().Requests().size(), 1u);
  EXPECT_EQ(Ocorrencias(cenario.Logs(),
                        " - ATENÇÃO: identidade do servidor 127.0.0.1 não "
                        "verificada.\r\n"),
            1)
      << cenario.Logs();
}

// A PIN the token refuses is presented once: the token sees one login, no event is signed, so
// nothing reaches the service, and the run ends at the loading with a dialog and exit code 1.
ProcessResult RunWithWrongPin(EsocialCenario& cenario, const fs::path& spyLog) {
  ProcessOptions options;
  options.args = cenario.ArgsEnvio();
  options.env = cenario.Ambiente();
  options.env["LUVARO_PIN"] = "9999";
  options.env["LUVARO_PKCS11_MODULE"] = TestToken::SpyModule().string();
  options.env["PKCS11SPY"] = TestToken::SoftHsmModule().string();
  options.env["PKCS11SPY_OUTPUT"] = spyLog.string();
  return RunProcess(kExe, options);
}

TEST_F(EsocialE2E, WrongPinReachesTheTokenOnceAndNothingIsSent) {
  const fs::path spyLog = trabalho.path() / "spy.log";
  const ProcessResult r = RunWithWrongPin(cenario, spyLog);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_TRUE(r.err.starts_with(kInicio + "Buscando eventos...\nMontando eventos...\nErro: "))
      << r.err;
  EXPECT_EQ(Ocorrencias(ReadFile(spyLog), ": C_Login\n"), 1);
  EXPECT_TRUE(cenario.Governo().Requests().empty());
  EXPECT_EQ(Endpoints(cenario.Erp()), std::vector<std::string>{"lotes"});
}

// The dialog of that run is the certificate advice: a token that refused the PIN while an event
// was signed is the failure the transport reports as 12186 for a key gone in its handshake.
TEST_F(EsocialE2E, WrongPinEndsWithTheCertificateDialog) {
  const ProcessResult r = RunWithWrongPin(cenario, trabalho.path() / "spy.log");
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_TRUE(r.err.ends_with(
      "Erro: Erro ao ler o certificado: \n\nDETALHE: Ocorreu uma falha na leitura do "
      "certificado para assinatura e transmissão.\n\nSOLUÇÃO: Por favor verifique se o "
      "certificado está devidamente conectado na máquina.\n                Caso o problema "
      "continue, verifique se o certificado ainda está válido e\n                o utilize em "
      "outros serviços para confirmar seu funcionamento.\n"))
      << r.err;
}

// When the ERP refuses the reply after a successful send, the reply is not lost: the log names
// the file under Docs that holds it, and the dialog says that the lot went through (with its
// protocol and that file) before the ERP's own error, so the office does not send it again.
TEST_F(EsocialE2E, ReplyTheErpRefusedStaysInDocsAndTheDialogSaysTheLotWentThrough) {
  cenario.Erp().SetFaults("status=500\nonly=lotesRetorno\n");
  const ProcessResult r = Run(cenario.ArgsEnvio());
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 1) << r.err;

  const std::string logs = cenario.Logs();
  const std::string salvo = Entre(logs, "Retorno não entregue ao Orvane, salvo em: ", "\r\n");
  ASSERT_FALSE(salvo.empty()) << logs;
  EXPECT_TRUE(
      std::regex_match(salvo, std::regex(".*/Docs/" + std::string(EsocialCenario::kTransmissor) +
                                         R"(/\d{6}/\d{12}-rec\.xml)")))
      << salvo;
  const std::string enviado = MembroJson(cenario.Erp().Requests().back().body, "xmlRetornoLote");
  const std::string protocolo = Entre(enviado, "<protocoloEnvio>", "</protocoloEnvio>");
  ASSERT_FALSE(protocolo.empty());
  EXPECT_NE(ReadFile(salvo).find("<protocoloEnvio>" + protocolo + "</protocoloEnvio>"),
            std::string::npos);
  EXPECT_EQ(r.err, kStatusEnvioDemo + kGenerico + "O lote foi entregue (protocolo " + protocolo +
                       "), mas o retorno não foi recebido pelo Orvane. Não envie o lote "
                       "novamente; o retorno foi salvo em: " +
                       salvo +
                       "\n\nErro ao enviar o retorno do envio para o Orvane.\n\n"
                       "500 - Internal Server Error\n");
  EXPECT_NE(logs.find("ERROR: O lote foi entregue (protocolo " + protocolo + ")"),
            std::string::npos);
}

// An ERP that takes results at another address: a 302 repeats the POST there with the reply
// (the run succeeds); a 303 would turn it into a GET without the reply, which is a failure
// although the page there answers 200.
TEST_F(EsocialE2E, ErpRedirectingTheResult) {
  struct Caso {
    const char* codigo;
    int exitCode;
    const char* ultimoPedido;  // the method of the last request the ERP received
  } casos[] = {{"302", 0, "POST"}, {"303", 1, "GET"}};
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.codigo);
    cenario.Erp().SetFaults(std::string("body=redirect-") + c.codigo + "\nonly=lotesRetorno\n");
    const std::size_t antes = cenario.Erp().Requests().size();
    const ProcessResult r = Run(cenario.ArgsEnvio());
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    const auto pedidos = cenario.Erp().Requests();
    ASSERT_EQ(pedidos.size(), antes + 3);  // the lot, the result, its redirection
    EXPECT_EQ(pedidos.back().endpoint, "destino");
    EXPECT_EQ(pedidos.back().method, c.ultimoPedido);
    if (c.exitCode == 0) {
      EXPECT_EQ(r.err, kStatusEnvioDemo);
      EXPECT_EQ(pedidos.back().body, pedidos[antes + 1].body);
      EXPECT_NE(MembroJson(pedidos.back().body, "xmlRetornoLote").find("<protocoloEnvio>"),
                std::string::npos);
    } else {
      EXPECT_TRUE(
          r.err.starts_with(kStatusEnvioDemo + kGenerico + "O lote foi entregue (protocolo "))
          << r.err;
      EXPECT_NE(r.err.find("sem o seu conteúdo (GET em vez de POST)."), std::string::npos) << r.err;
    }
  }
}

// A lot the ERP writes in ISO-8859-1 (and says so) is read, signed and sent in UTF-8 with its
// accents, instead of the whole lot being refused for one accented name.
TEST_F(EsocialE2E, Latin1LotIsSentWithItsAccents) {
  cenario.Erp().SetFaults("body=latin1\nonly=lotes\n");
  const ProcessResult r = Run(cenario.ArgsEnvio());
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusEnvioDemo);
  ASSERT_EQ(Endpoints(cenario.Governo()), std::vector<std::string>{"EnviarLoteEventos"});
  const std::string lote = cenario.Governo().Requests()[0].body;
  EXPECT_NE(lote.find("<nmCtt>Maria da Concei\xC3\xA7\xC3\xA3o</nmCtt>"), std::string::npos);
  EXPECT_NE(lote.find("<dscRubr>Sal\xC3\xA1rio base</dscRubr>"), std::string::npos);
  for (const EventoDoLote& evento : EventosDoLote(lote)) {
    SCOPED_TRACE(evento.id);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(evento.documento, trabalho.path(), &saida)) << saida;
  }
  const std::string retorno = MembroJson(cenario.Erp().Requests().back().body, "xmlRetornoLote");
  EXPECT_NE(retorno.find("<cdResposta>201</cdResposta>"), std::string::npos) << retorno;
}

// Documents that open with any spelling of the XML declaration (lower-case utf-8, single
// quotes, standalone, a byte-order mark, blank lines before it) give a lot the service takes:
// well-formed, valid against its schema, no declaration inside an evento, every event signed.
TEST_F(EsocialE2E, DeclarationsOfTheDocumentsNeverReachTheLot) {
  const ProcessResult r = Run(cenario.ArgsEnvio(EsocialCenario::kEmpresaDeclaracoes));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, kStatusEnvio);
  ASSERT_EQ(Endpoints(cenario.Governo()), std::vector<std::string>{"EnviarLoteEventos"});
  const std::string lote = cenario.Governo().Requests()[0].body;
  EXPECT_EQ(Entre(lote, "<eventos>", "</eventos>").find("<?xml"), std::string::npos) << lote;
  const std::vector<EventoDoLote> eventos = EventosDoLote(lote);
  ASSERT_EQ(eventos.size(), 3u);
  for (const EventoDoLote& evento : eventos) {
    SCOPED_TRACE(evento.id);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(evento.documento, trabalho.path(), &saida)) << saida;
  }
  // The service took the lot (201 and a protocol), not "Schema Inválido" (402).
  const std::string retorno = MembroJson(cenario.Erp().Requests().back().body, "xmlRetornoLote");
  EXPECT_NE(retorno.find("<cdResposta>201</cdResposta>"), std::string::npos) << retorno;
  EXPECT_NE(retorno.find("<protocoloEnvio>"), std::string::npos) << retorno;
}

// A document that is not well-formed XML beside a good one: only the good event, signed,
// travels in the lot (the lot stays well-formed and the service takes it); the other is named
// in the log and in the end-of-send message, and the run still ends with exit code 0.
TEST_F(EsocialE2E, MalformedDocumentIsLeftOutAndNamed) {
  const ProcessResult r = Run(cenario.ArgsEnvio(EsocialCenario::kEmpresaMalformado));
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string id = "ID1123456780000002024051012000000002";
  const std::string antes = kInicio +
                            "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                            "Atenção: 1 evento(s) não foram incluídos no lote:\nPosição 2 (" +
                            id + "): ";
  const std::string depois = "\nEnviando retorno para o Orvane...\n";
  ASSERT_TRUE(r.err.starts_with(antes)) << r.err;
  ASSERT_TRUE(r.err.ends_with(depois)) << r.err;
  const std::string motivo =
      r.err.substr(antes.size(), r.err.size() - antes.size() - depois.size());
  EXPECT_NE(motivo.find("Falha ao interpretar o XML"), std::string::npos) << motivo;
  EXPECT_EQ(motivo.find('\n'), std::string::npos) << "one line per document";
  EXPECT_NE(cenario.Logs().find(" - Evento não incluído no lote - posição 2 (" + id +
                                "): " + motivo + "\r\n"),
            std::string::npos)
      << cenario.Logs();

  ASSERT_EQ(Endpoints(cenario.Governo()), std::vector<std::string>{"EnviarLoteEventos"});
  const std::vector<EventoDoLote> eventos = EventosDoLote(cenario.Governo().Requests()[0].body);
  ASSERT_EQ(eventos.size(), 1u);
  EXPECT_EQ(eventos[0].id, "ID1123456780000002024051012000000001");
  std::string saida;
  EXPECT_TRUE(XmlsecVerifica(eventos[0].documento, trabalho.path(), &saida)) << saida;
  const std::string retorno = MembroJson(cenario.Erp().Requests().back().body, "xmlRetornoLote");
  EXPECT_NE(retorno.find("<cdResposta>201</cdResposta>"), std::string::npos) << retorno;
}

// A lot of the layout in force today (S-1.3): every event the program knows is signed (xmlsec1
// verifies each), reaches the service and, at the query, gets its receipt; the one that breaks
// its schema gets the schema occurrence; the element no layout has is named in the log and in the
// end-of-send message; the run ends with exit code 0.
TEST_F(EsocialE2E, S13LotIsSignedSentAndAnswered) {
  const auto id = [](int n) {
    std::string seq = std::to_string(n);
    return "ID1123456780000002025031012000000" + std::string(3 - seq.size(), '0') + seq;
  };
  const ProcessResult envio = Run(cenario.ArgsEnvio(EsocialCenario::kEmpresaS13));
  ASSERT_FALSE(envio.timedOut);
  EXPECT_EQ(envio.exitCode, 0) << envio.err;
  EXPECT_EQ(envio.err, kInicio +
                           "Buscando eventos...\nMontando eventos...\nEnviando eventos...\n"
                           "Atenção: 1 evento(s) não foram incluídos no lote:\nPosição 14 (" +
                           id(14) +
                           "): Tipo de evento não reconhecido.\n"
                           "Enviando retorno para o Orvane...\n");
  EXPECT_NE(cenario.Logs().find(" - Evento não incluído no lote - posição 14 (" + id(14) +
                                "): Tipo de evento não reconhecido.\r\n"),
            std::string::npos)
      << cenario.Logs();

  // Thirteen events in the lot, each signed, the simplified layouts' own types among them.
  ASSERT_EQ(Endpoints(cenario.Governo()), std::vector<std::string>{"EnviarLoteEventos"});
  const std::string lote = cenario.Governo().Requests()[0].body;
  std::set<std::string> ids;
  for (const EventoDoLote& evento : EventosDoLote(lote)) {
    SCOPED_TRACE(evento.id);
    ids.insert(evento.id);
    EXPECT_NE(evento.documento.find("/v_S_01_03_00\""), std::string::npos);
    std::string saida;
    EXPECT_TRUE(XmlsecVerifica(evento.documento, trabalho.path(), &saida)) << saida;
  }
  std::set<std::string> esperados;
  for (int n = 1; n <= 13; ++n) esperados.insert(id(n));
  EXPECT_EQ(ids, esperados);
  for (const char* elemento : {"<evtProcTrab Id=", "<evtContProc Id=", "<evtAnotJud Id="})
    EXPECT_NE(lote.find(elemento), std::string::npos) << elemento;
  const std::string retornoEnvio =
      MembroJson(cenario.Erp().Requests().back().body, "xmlRetornoLote");
  EXPECT_NE(retornoEnvio.find("<cdResposta>201</cdResposta>"), std::string::npos) << retornoEnvio;
  const std::string protocolo = Entre(retornoEnvio, "<protocoloEnvio>", "</protocoloEnvio>");
  ASSERT_FALSE(protocolo.empty()) << retornoEnvio;

  // The query brings a receipt for every valid event and the schema occurrence for the invalid
  // one (judged against the S-1.3 schema its namespace names).
  const ProcessResult consulta = Run(cenario.ArgsConsulta(protocolo));
  ASSERT_FALSE(consulta.timedOut);
  EXPECT_EQ(consulta.exitCode, 0) << consulta.err;
  const std::string processamento =
      MembroJson(cenario.Erp().Requests().back().body, "xmlRetornoLote");
  for (const std::string& evento : esperados) {
    SCOPED_TRACE(evento);
    const std::string doEvento =
        Entre(processamento, "<evento Id=\"" + evento + "\">", "</evento>");
    ASSERT_FALSE(doEvento.empty()) << processamento;
    if (evento == id(13)) {
      EXPECT_NE(doEvento.find("<cdResposta>401</cdResposta>"), std::string::npos) << doEvento;
      EXPECT_NE(doEvento.find("<codigo>143</codigo>"), std::string::npos) << doEvento;
      EXPECT_NE(doEvento.find("codMotAfast"), std::string::npos) << doEvento;
      EXPECT_EQ(doEvento.find("<nrRecibo>"), std::string::npos);
    } else {
      EXPECT_NE(doEvento.find("<cdResposta>201</cdResposta>"), std::string::npos) << doEvento;
      EXPECT_NE(doEvento.find("<nrRecibo>"), std::string::npos);
    }
  }
}

// A termination request in the middle of the send (the service is slow to answer) ends the run
// as terminated by that signal: the ERP never reads such a run as "done" (exit code 0).
TEST(EsocialE2ESinal, TerminationDuringTheSendEndsTheRunByTheSignal) {
  EsocialCenario cenario(true);
  cenario.Governo().SetFaults("delay=60000\n");
  ProcessOptions options;
  options.args = cenario.ArgsEnvio();
  options.env = cenario.Ambiente();
  BackgroundProcess luvaro(kExe, options);
  ASSERT_EQ(cenario.Governo().ReadLine(), "received EnviarLoteEventos");
  ASSERT_EQ(kill(luvaro.pid(), SIGTERM), 0);
  const ProcessResult r = luvaro.Wait();
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.signal, SIGTERM);
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_TRUE(r.err.ends_with("Enviando eventos...\n")) << r.err;
  EXPECT_EQ(Endpoints(cenario.Erp()), std::vector<std::string>{"lotes"});
}

// Process 2 with the eSocial worker chooses the certificate and does nothing else, whether or
// not one was chosen.
TEST_F(EsocialE2E, Process2OnlyChoosesTheCertificate) {
  for (const char* certificado : {"empresa", "nenhum"}) {
    SCOPED_TRACE(certificado);
    const std::string serial = std::string(certificado) == "empresa" ? SerialDe("empresa") : "00";
    const ProcessResult r = Run(cenario.ArgsProcesso2(), {{"LUVARO_CERTIFICADO", serial}});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, kInicio);
  }
  EXPECT_TRUE(cenario.Erp().Requests().empty());
  EXPECT_TRUE(cenario.Governo().Requests().empty());
}

}  // namespace
}  // namespace luvaro::test
