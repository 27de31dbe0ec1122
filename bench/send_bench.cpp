// A whole headless send of 1, 50 and 1,000 eSocial events: the real program against the
// stand-ins (luvaro-sim as the ERP, the eSocial services over HTTPS with client certificates,
// the update server) with the SoftHSM test token. Per send: wall time, peak RSS, TLS handshakes
// (connections the eSocial stand-in accepted), token signatures (counted through OpenSC's
// PKCS#11 spy in one extra, untimed run) and, in the same run of this program, the floor: the
// token's own signing time for that many signatures. The program's processor time beside it
// gives the cost per event inside the program without the token's share (the wall time also
// holds the stand-ins' judging and the waits on the network): cpu_per_event_ms spreads the
// whole run over the events, cpu_per_added_event_ms first takes out what a one-event send
// costs (start-up, log-in, handshakes), measured beside it.
//
//   send_bench --benchmark_counters_tabular=true
//
// The stand-in refuses lots of more than 50 events, as the service does, so the 1,000-event
// send ends with that refusal after the program has read, signed and sent every event.
// LUVARO_BENCH_EXE names another build of the program (to compare with an older one).

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <dlfcn.h>

#include <p11-kit-1/p11-kit/pkcs11.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "tests/e2e/esocial/esocial_cenario.h"
#include "tests/support/soap_post.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token.h"

namespace fs = std::filesystem;

namespace luvaro::bench {
namespace {

fs::path Program() {
  const char* other = std::getenv("LUVARO_BENCH_EXE");
  return other && *other ? fs::path(other) : fs::path(LUVARO_EXE);
}

// An S-1010 of the ERP's demo lot, numbered so that every event of a lot is its own.
std::string Rubrica(int n) {
  char id[64];
  std::snprintf(id, sizeof id, "ID11234567800000020240510120000%05d", n);
  return std::string(
             "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtTabRubrica/"
             "v02_05_00\"><evtTabRubrica Id=\"") +
         id +
         "\"><ideEvento><tpAmb>2</tpAmb><procEmi>1</procEmi><verProc>Orvane 4.0.01</verProc>"
         "</ideEvento><ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>"
         "<infoRubrica><inclusao><ideRubrica><codRubr>R" +
         std::to_string(n) +
         "</codRubr><ideTabRubr>TAB01</ideTabRubr><iniValid>2024-01</iniValid></ideRubrica>"
         "<dadosRubrica><dscRubr>Rubrica de teste</dscRubr><natRubr>1000</natRubr><tpRubr>1"
         "</tpRubr><codIncCP>11</codIncCP><codIncIRRF>11</codIncIRRF><codIncFGTS>11</codIncFGTS>"
         "<codIncSIND>11</codIncSIND></dadosRubrica></inclusao></infoRubrica></evtTabRubrica>"
         "</eSocial>";
}

constexpr int kLots[] = {1, 50, 1000};

std::string Empresa(int events) {
  return "BENCH-" + std::to_string(events);
}

// The ERP's lots (one company key per size) and the stand-ins, made once.
struct World {
  test::TempDir erp{"luvaro-bench-erp"};
  std::unique_ptr<test::EsocialCenario> cenario;

  World() {
    for (const int events : kLots) {
      const fs::path folder = erp / "esocial" / Empresa(events);
      fs::create_directories(folder);
      test::WriteFile(folder / "empresa.json",
                      R"({"empregador":{"tpInsc":"1","nrInsc":"12345678"},)"
                      R"("transmissor":{"nrInsc":"12345678000195"},)"
                      R"("lotePath":"lotes/2024/05/bench"})");
      for (int n = 1; n <= events; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.xml", n);
        test::WriteFile(folder / name, Rubrica(n));
      }
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);  // for the stand-in's own measure below
    cenario = std::make_unique<test::EsocialCenario>(false, erp.path());
  }
};

World& TheWorld() {
  static World world;  // the benchmarks' shared set-up, made on first use
  return world;
}

// The token's own signing, the floor of every signature the program asks of it: raw PKCS#11
// on the SoftHSM module, RSA PKCS#1 v1.5 over a SHA-256 DigestInfo (what the program's key
// does for each signature), logged in once.
class TokenFloor {
 public:
  TokenFloor() {
    m_module = dlopen(test::TestToken::SoftHsmModule().c_str(), RTLD_NOW | RTLD_LOCAL);
    auto get = m_module
                   ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(m_module, "C_GetFunctionList"))
                   : nullptr;
    if (!get || get(&m_p11) != CKR_OK) throw std::runtime_error("SoftHSM cannot be loaded");
    Check(m_p11->C_Initialize(nullptr), "C_Initialize");
    CK_SLOT_ID slots[16];
    CK_ULONG count = 16;
    Check(m_p11->C_GetSlotList(CK_TRUE, slots, &count), "C_GetSlotList");
    if (count == 0) throw std::runtime_error("no token");
    Check(m_p11->C_OpenSession(slots[0], CKF_SERIAL_SESSION, nullptr, nullptr, &m_session),
          "C_OpenSession");
    std::string pin(test::TestToken::kPin);
    Check(m_p11->C_Login(m_session, CKU_USER, reinterpret_cast<CK_UTF8CHAR_PTR>(pin.data()),
                         pin.size()),
          "C_Login");
    CK_OBJECT_CLASS keyClass = CKO_PRIVATE_KEY;
    CK_KEY_TYPE keyType = CKK_RSA;
    CK_ATTRIBUTE search[] = {{CKA_CLASS, &keyClass, sizeof keyClass},
                             {CKA_KEY_TYPE, &keyType, sizeof keyType}};
    Check(m_p11->C_FindObjectsInit(m_session, search, 2), "C_FindObjectsInit");
    CK_ULONG found = 0;
    Check(m_p11->C_FindObjects(m_session, &m_key, 1, &found), "C_FindObjects");
    m_p11->C_FindObjectsFinal(m_session);
    if (found != 1) throw std::runtime_error("no RSA key on the token");
  }
  ~TokenFloor() {
    m_p11->C_Logout(m_session);
    m_p11->C_CloseSession(m_session);
    m_p11->C_Finalize(nullptr);
    dlclose(m_module);
  }
  TokenFloor(const TokenFloor&) = delete;  // one owner finalises the module
  TokenFloor& operator=(const TokenFloor&) = delete;

  // Wall and processor seconds for `signatures` signatures.
  struct Cost {
    double wall = 0;
    double cpu = 0;
  };
  Cost Seconds(long signatures) {
    // DigestInfo of SHA-256 (19 bytes) and a digest.
    unsigned char input[51] = {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                               0x65, 0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
    unsigned char signature[512];
    CK_MECHANISM mechanism{CKM_RSA_PKCS, nullptr, 0};
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpu();
    for (long i = 0; i < signatures; ++i) {
      input[50] = static_cast<unsigned char>(i);
      CK_ULONG length = sizeof signature;
      Check(m_p11->C_SignInit(m_session, &mechanism, m_key), "C_SignInit");
      Check(m_p11->C_Sign(m_session, input, sizeof input, signature, &length), "C_Sign");
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            ThreadCpu() - cpuStart};
  }

 private:
  static double ThreadCpu() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
  }
  static void Check(CK_RV rv, const char* call) {
    if (rv != CKR_OK)
      throw std::runtime_error(std::string(call) + " failed: " + std::to_string(rv));
  }

  void* m_module = nullptr;
  CK_FUNCTION_LIST_PTR m_p11 = nullptr;
  CK_SESSION_HANDLE m_session = 0;
  CK_OBJECT_HANDLE m_key = 0;
};

// How many times `part` occurs in the file.
long Occurrences(const fs::path& file, const std::string& part) {
  const std::string text = fs::exists(file) ? test::ReadFile(file) : std::string();
  long n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// One send; the connections the eSocial stand-in accepted for it.
ChildCost Send(World& world, int events, const std::map<std::string, std::string>& extraEnv,
               long& connections) {
  test::EsocialCenario& cenario = *world.cenario;
  const std::size_t before = cenario.Governo().Requests().size();
  std::map<std::string, std::string> env = cenario.Ambiente();
  for (const auto& [name, value] : extraEnv) env[name] = value;
  Child child(Program(), cenario.ArgsEnvio(Empresa(events)), env);
  const ChildCost cost = child.Wait();
  const std::vector<test::RecordedRequest> requests = cenario.Governo().Requests();
  std::set<std::string> seen;
  for (std::size_t i = before; i < requests.size(); ++i) {
    const auto connection = requests[i].tls.find("connection");
    if (connection != requests[i].tls.end()) seen.insert(connection->second);
  }
  connections = static_cast<long>(seen.size());
  return cost;
}

// The middle value: a send now and then takes much longer on a shared machine, which a mean
// would spread over the figure.
double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The program's processor time without the token's share for a one-event send, median of
// five: what every send costs whatever its size (start-up, the token's log-in, the
// handshakes). The token's module is loaded here for the floor, so no other TokenFloor may be
// alive.
double OneEventCost(World& world) {
  long connections = 0;
  std::vector<double> cpu;
  for (int i = 0; i < 5; ++i) cpu.push_back(Send(world, 1, {}, connections).cpuSeconds);
  TokenFloor token;
  return Median(cpu) - token.Seconds(2).cpu;
}

void WholeSend(benchmark::State& state) {
  World& world = TheWorld();
  const int events = static_cast<int>(state.range(0));

  // Untimed: the signatures the send asks of the token, through the spy.
  test::TempDir spy("luvaro-bench-spy");
  long connections = 0;
  Send(world, events,
       {{"LUVARO_PKCS11_MODULE", test::TestToken::SpyModule().string()},
        {"PKCS11SPY", test::TestToken::SoftHsmModule().string()},
        {"PKCS11SPY_OUTPUT", (spy / "spy.log").string()}},
       connections);
  const long signatures = Occurrences(spy / "spy.log", ": C_SignInit\n");

  long peakRssKb = 0;
  int exitCode = 0;
  std::vector<double> cpus;
  for (auto _ : state) {
    const ChildCost cost = Send(world, events, {}, connections);
    state.SetIterationTime(std::chrono::duration<double>(cost.wall).count());
    peakRssKb = std::max(peakRssKb, cost.peakRssKb);
    exitCode = cost.exitCode;
    cpus.push_back(cost.cpuSeconds);
  }
  const double cpu = Median(cpus);
  const double oneEvent = events > 1 ? OneEventCost(world) : 0;
  TokenFloor token;
  const TokenFloor::Cost floor = token.Seconds(signatures);
  state.counters["peak_rss_MB"] = static_cast<double>(peakRssKb) / 1024.0;
  state.counters["handshakes"] = static_cast<double>(connections);
  state.counters["signatures"] = static_cast<double>(signatures);
  state.counters["token_floor_ms"] = floor.wall * 1000.0;
  // The program's own processor time (the token's signing runs inside it, through SoftHSM):
  // what is left per event once the token's share (its processor time) is taken out.
  state.counters["program_cpu_ms"] = cpu * 1000.0;
  state.counters["token_cpu_ms"] = floor.cpu * 1000.0;
  state.counters["cpu_per_event_ms"] = (cpu - floor.cpu) * 1000.0 / events;
  if (events > 1) {
    // What each event adds, the one-event send's cost (measured now, beside) taken out.
    state.counters["cpu_per_added_event_ms"] = (cpu - floor.cpu - oneEvent) * 1000.0 / (events - 1);
  }
  state.counters["exit_code"] = exitCode;
  state.SetItemsProcessed(state.iterations() * events);
}
BENCHMARK(WholeSend)->Arg(1)->Arg(50)->Arg(1000)->UseManualTime()->Iterations(5)->Unit(
    benchmark::kMillisecond);

// The eSocial stand-in judging a 50-event lot: the lot the program sent, posted again as it was
// (a fresh TLS connection each time, as the program's own send makes one).
void StandInJudgesLot(benchmark::State& state) {
  World& world = TheWorld();
  test::EsocialCenario& cenario = *world.cenario;
  long connections = 0;
  Send(world, 50, {}, connections);
  std::optional<test::RecordedRequest> lot;
  for (const test::RecordedRequest& request : cenario.Governo().Requests())
    if (test::Ocorrencias(request.body, "<evento ") == 50) lot = request;
  if (!lot) {
    state.SkipWithError("the 50-event lot did not reach the stand-in");
    return;
  }
  std::string action = lot->Header("SOAPAction");
  if (action.size() >= 2 && action.front() == '"') action = action.substr(1, action.size() - 2);
  const std::string url = cenario.Governo().BaseUrl() + lot->target.substr(1);
  for (auto _ : state) {
    const test::SoapReply reply = test::PostSoap(url, action, lot->body);
    if (reply.code != 0 || reply.status != 200) {
      state.SkipWithError(("the stand-in did not judge the lot: " + reply.error).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * 50);
}
BENCHMARK(StandInJudgesLot)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace luvaro::bench
