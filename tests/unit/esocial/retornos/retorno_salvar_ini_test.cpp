// SalvarINI of the six totalizers: each recorded document is read, saved as INI and compared
// with its INI written by hand (tests/fixtures/esocial_retornos/ini).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dfe/config/ini.h"
#include "dfe/xml/texto.h"
#include "esocial/retorno_consulta_lote.h"
#include "esocial/retorno_totalizador.h"
#include "tests/unit/esocial/retornos/retorno_teste.h"

namespace luvaro {
namespace {

using test::RetornoFixture;

// The INI text with LF line ends, as the fixtures are kept.
std::string ComLF(const std::string& texto) {
  return replaceAll(texto, "\r\n", "\n");
}

TEST(TotalizadorSalvarINI, EachKindAgainstItsHandWrittenIni) {
  // S-5001 and S-5011 arrive inside a lot-query reply; the other four as documents of their own.
  TRetConsultaLote lote;
  lote.Leitor().SetArquivo(RetornoFixture("consulta-lote-dois-eventos.xml"));
  ASSERT_TRUE(lote.LerXml());
  ASSERT_FALSE(lote.RetEventos().empty());
  const auto& tot = lote.RetEventos()[0].tot;
  ASSERT_GE(tot.size(), 2u);

  struct Caso {
    const char* tipo;
    std::shared_ptr<IEventoeSocial> evento;
    const char* ini;
  };
  auto documento = [](const char* tipo, const char* fixture) {
    std::shared_ptr<IEventoeSocial> evento = CriarEventoTotalizador(tipo);
    evento->SetXml(RetornoFixture(fixture));
    return evento;
  };
  const Caso casos[] = {
      {"S5001", tot[0].Evento, "ini/s5001.ini"},
      {"S5002", documento("S5002", "s5002-irrf-beneficiario.xml"), "ini/s5002.ini"},
      {"S5003", documento("S5003", "s5003-fgts-trabalhador.xml"), "ini/s5003.ini"},
      {"S5011", tot[1].Evento, "ini/s5011.ini"},
      {"S5012", documento("S5012", "s5012-irrf-contribuinte.xml"), "ini/s5012.ini"},
      {"S5013", documento("S5013", "s5013-fgts-contribuinte.xml"), "ini/s5013.ini"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.tipo);
    ASSERT_NE(caso.evento, nullptr);
    const std::string ini = caso.evento->GetEvento().SalvarINI();
    EXPECT_EQ(ComLF(ini), RetornoFixture(caso.ini));
    // What an INI reader meets: CR LF lines that parse back into the same sections.
    EXPECT_EQ(IniFile(ini).Text(), ini);
  }
}

}  // namespace
}  // namespace luvaro
