// The allocator settings a run starts with (Linux).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/core/platform.h"

namespace luvaro {
namespace {

struct Mapeamento {
  std::uintptr_t inicio = 0;
  std::uintptr_t fim = 0;
  std::string nome;
  std::string flags;  // VmFlags
};

// The process's mappings with their flags, from /proc/self/smaps.
std::vector<Mapeamento> Mapeamentos() {
  std::vector<Mapeamento> lista;
  std::ifstream smaps("/proc/self/smaps");
  for (std::string linha; std::getline(smaps, linha);) {
    if (linha.starts_with("VmFlags:")) {
      if (!lista.empty()) lista.back().flags = linha.substr(8);
      continue;
    }
    const std::size_t traco = linha.find('-');
    const std::size_t espaco = linha.find(' ');
    if (traco == std::string::npos || espaco == std::string::npos || traco > espaco) continue;
    if (linha.find_first_not_of("0123456789abcdef") != traco) continue;
    Mapeamento m;
    m.inicio = std::stoull(linha.substr(0, traco), nullptr, 16);
    m.fim = std::stoull(linha.substr(traco + 1, espaco - traco - 1), nullptr, 16);
    std::istringstream resto(linha.substr(espaco));
    std::string campo;
    for (int i = 0; i < 4 && resto >> campo; ++i) {  // permissions, offset, device, inode
    }
    resto >> m.nome;
    lista.push_back(m);
  }
  return lista;
}

bool ComSanitizador() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return true;
#endif
#endif
  return false;
}

TEST(PrepararMemoria, BufferDeLoteFicaNoHeapELoteGrandeUsaPaginasGrandes) {
  if (ComSanitizador()) GTEST_SKIP() << "the sanitizer brings its own allocator";
  platform::PrepararMemoria();

  // A lot-sized buffer comes from the heap, where the next one reuses its pages, not from a
  // mapping of its own that goes back to the system when freed.
  void* volatile lote = std::malloc(std::size_t{6} << 20);
  ASSERT_NE(lote, nullptr);
  const auto endereco = reinterpret_cast<std::uintptr_t>(lote);
  bool noHeap = false;
  for (const Mapeamento& m : Mapeamentos())
    noHeap = noHeap || (m.nome == "[heap]" && m.inicio <= endereco && endereco < m.fim);
  std::free(lote);
  EXPECT_TRUE(noHeap) << "a 6 MB buffer was mapped on its own";

  // Beyond what a small run uses, the heap is open to large pages (where the kernel has them).
  if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled")) return;
  bool grandes = false;
  for (const Mapeamento& m : Mapeamentos())
    grandes = grandes || (m.nome == "[heap]" && m.flags.find(" hg") != std::string::npos);
  EXPECT_TRUE(grandes) << "no part of the heap is advised for large pages";
}

}  // namespace
}  // namespace luvaro
