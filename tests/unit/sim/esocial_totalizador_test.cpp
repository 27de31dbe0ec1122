// Amounts as the totalizers read and write them.
#include <gtest/gtest.h>

#include "tools/sim/esocial_totalizador_int.h"

namespace luvaro::sim::esocial {
namespace {

TEST(EsocialTotalizadorTest, AmountsBecomeCentsAndBack) {
  struct Case {
    const char* valor;
    long long centavos;
    const char* escrito;
  };
  const Case cases[] = {
      {"3500.00", 350000, "3500.00"},
      {"250.5", 25050, "250.50"},
      {"0.07", 7, "0.07"},
      {"12", 1200, "12.00"},
      {"-10.25", -1025, "-10.25"},
      {"1.999", 199, "1.99"},
      {"", 0, "0.00"},
      {"abc", 0, "0.00"},
      {"1,50", 0, "0.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.valor);
    EXPECT_EQ(Centavos(c.valor), c.centavos);
    EXPECT_EQ(Valor(Centavos(c.valor)), c.escrito);
  }
}

}  // namespace
}  // namespace luvaro::sim::esocial
