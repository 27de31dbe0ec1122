// luvaro-eventos: builds, signs and validates government events described in INI files, so
// that a person or an ERP can use the event models without writing C++. See TextoDeUso().

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/headless/headless_front.h"
#include "dfe/platform/linux/token_environment.h"
#include "dfe/ssl/libxml2_global.h"
#include "tools/eventos/linha_comando.h"

int main(int argc, char** argv) {
  // Process-wide, as in the program: libxml2 first, then the PKCS#11 module (loaded on first
  // use), ended in reverse order after the run.
  luvaro::LibXml2Global libxml2;
  luvaro::TokenEnvironment tokens(luvaro::TokenEnvironment::ModuleFromEnvironment());
  // The certificate is chosen and its PIN given as the program's headless front does it.
  luvaro::HeadlessFront front(luvaro::HeadlessSettingsFromEnvironment(), std::cerr);

  luvaro::AmbienteEventos ambiente;
  ambiente.tokens = &tokens;
  ambiente.front = &front;
  if (const char* pfx = std::getenv("LUVARO_PFX"); pfx != nullptr && *pfx != '\0') {
    ambiente.arquivoPFX = pfx;
    if (const char* senha = std::getenv("LUVARO_PFX_SENHA"))
      ambiente.senhaPFX = luvaro::SecureString(senha);
  }

  const std::vector<std::string> argumentos(argv + 1, argv + argc);
  return luvaro::ExecutarEventos(argumentos, ambiente, std::cout, std::cerr);
}
