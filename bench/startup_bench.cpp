// Start-up: the time from the start of the process to its first request, the update query at a
// local stand-in (a socket of this program), headless; beside the floor, a C program that makes
// the same request with libcurl. 20 runs each; read the medians.
//
//   startup_bench --benchmark_counters_tabular=true
//
// LUVARO_BENCH_EXE names another build of the program (to compare with an older one).

#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "tests/support/loopback_port.h"
#include "tests/support/temp_dir.h"

namespace luvaro::bench {
namespace {

std::filesystem::path Program() {
  const char* other = std::getenv("LUVARO_BENCH_EXE");
  return other && *other ? std::filesystem::path(other) : std::filesystem::path(LUVARO_EXE);
}

// Takes one request at the port and answers 404, closing the connection: the moment the whole
// request head had arrived (nothing after 10 s).
std::optional<std::chrono::steady_clock::time_point> ServeOne(test::ListeningPort& port) {
  const int client = port.Accept(std::chrono::seconds(10));
  if (client < 0) return std::nullopt;
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    pollfd reading{client, POLLIN, 0};
    if (poll(&reading, 1, 10000) != 1) break;
    const ssize_t n = read(client, buffer, sizeof buffer);
    if (n <= 0) break;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  const auto complete = std::chrono::steady_clock::now();
  const std::string reply =
      "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  [[maybe_unused]] const ssize_t written = write(client, reply.data(), reply.size());
  close(client);
  if (head.find("\r\n\r\n") == std::string::npos) return std::nullopt;
  return complete;
}

// One run per iteration: the program started, its first request taken, then ended.
void FirstRequest(benchmark::State& state, bool floor) {
  test::TempDir home("luvaro-bench-startup");
  for (auto _ : state) {
    test::ListeningPort update;
    std::filesystem::path program = LUVARO_CURL_FLOOR;
    std::vector<std::string> args{update.Url() +
                                  "/cloud/api/versao/sistema/get?identificacao=Luvaro"};
    std::map<std::string, std::string> env;
    if (!floor) {
      program = Program();
      // Refused at once after the update query: the run ends by itself.
      args = {"4.0.01-180629", "0", "http://127.0.0.1:9/", "1", "0", "k", "esocial"};
      env = {{"LUVARO_HEADLESS", "1"},
             {"LUVARO_HOME", home.path().string()},
             {"LUVARO_ATUALIZACAO_URL", update.Url()}};
    }
    Child child(program, args, env);
    const auto request = ServeOne(update);
    if (!request) {
      state.SkipWithError("no request reached the stand-in");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(*request - child.started()).count());
    child.Signal(SIGKILL);
    child.Wait();
  }
}

void Luvaro(benchmark::State& state) {
  FirstRequest(state, false);
}
void CurlFloor(benchmark::State& state) {
  FirstRequest(state, true);
}

BENCHMARK(Luvaro)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CurlFloor)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace luvaro::bench
