// Layout code tables: each value's code, the reverse lookup without regard to case, and the
// first value with a false flag for an unknown code.
#include "esocial/codigos_layout.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace luvaro {
namespace {

// The codes of the first n ordinals, and what lies one past them.
template <typename E>
std::vector<std::string> Codigos(int n) {
  std::vector<std::string> codigos;
  for (int i = 0; i <= n; ++i) codigos.push_back(CodigoDe(static_cast<E>(i)));
  return codigos;
}

TEST(CodigosLayout, EachValueWritesItsLayoutCode) {
  struct Caso {
    const char* nome;
    std::vector<std::string> obtidos;
    std::vector<std::string> esperados;  // ends with "" for the ordinal past the table
  };
  const Caso casos[] = {
      {"tpInsc", Codigos<tpTpInsc>(5), {"1", "2", "3", "4", "5", ""}},
      {"tpAmb", Codigos<TpTpAmb>(2), {"1", "2", ""}},
      {"simNao", Codigos<tpSimNao>(2), {"S", "N", ""}},
      {"tpRegJor", Codigos<tpTpRegJor>(4), {"1", "2", "3", "4", ""}},
      {"undSalFixo", Codigos<tpUndSalFixo>(7), {"1", "2", "3", "4", "5", "6", "7", ""}},
      {"tpContr", Codigos<tpTpContr>(2), {"1", "2", ""}},
      {"tpJornada", Codigos<tpTpJornada>(4), {"1", "2", "3", "9", ""}},
      {"tmpParc", Codigos<tpTmpParc>(4), {"0", "1", "2", "3", ""}},
      {"dia", Codigos<tpTpDia>(8), {"1", "2", "3", "4", "5", "6", "7", "8", ""}},
      {"tpInterv", Codigos<tpTpIntervalo>(2), {"1", "2", ""}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(caso.obtidos, caso.esperados);
  }
}

TEST(CodigosLayout, ReadingACodeIgnoresCaseAndFallsBackToTheFirstValue) {
  struct Caso {
    const char* nome;
    std::string codigo;
    bool encontrado;
    int ordinal;
  };
  const Caso casos[] = {
      {"lower-case yes", "s", true, 0},    {"no", "N", true, 1},
      {"unknown", "X", false, 0},          {"empty", "", false, 0},
      {"code with blank", " S", false, 0},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    bool ok = !caso.encontrado;
    const tpSimNao valor = ValorDoCodigo<tpSimNao>(caso.codigo, ok);
    EXPECT_EQ(ok, caso.encontrado);
    EXPECT_EQ(static_cast<int>(valor), caso.ordinal);
  }
  bool ok = false;
  EXPECT_EQ(ValorDoCodigo<tpTpJornada>("9", ok), tpTpJornada::tjDemaisTipos);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ValorDoCodigo<tpTpInsc>("4", ok), tpTpInsc::tiCNO);
  EXPECT_EQ(ValorDoCodigo<tpTpInsc>("6", ok), tpTpInsc::tiCNPJ);
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace luvaro
