// luvaro-importar-pfx <name>...: puts the test certificates <name>.pfx of LUVARO_TEST_CERTS
// into the current user's "My" store of the Wine prefix, as a user's import leaves them, so
// that Luvaro.exe finds them as it finds an office's A1 certificate.
#include <exception>
#include <iostream>

#include "tests/windows/support/store_import.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: luvaro-importar-pfx <name>...\n";
    return 2;
  }
  try {
    for (int i = 1; i < argc; ++i) luvaro::test::ImportarNoMy(argv[i]);
  } catch (const std::exception& e) {
    std::cerr << "luvaro-importar-pfx: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
