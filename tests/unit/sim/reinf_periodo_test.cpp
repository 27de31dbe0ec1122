// What the EFD-Reinf stand-in remembers between lots of one run: closed periods (R-2099) refuse
// periodic events until reopened (R-2098), exclusions (R-9000) need an active receipt, and an
// event sent again gets the answer of its first reception.
#include <span>

#include "tests/unit/sim/reinf_test_support.h"

namespace luvaro::sim::reinf::test {
namespace {

// One lot of one event in a sequence, and the occurrences its R-5001 must have.
struct Step {
  std::string name;
  std::string id;
  std::string documento;
  std::vector<std::string> codigos;
};

class ReinfPeriodoTest : public ReinfFixture {
 protected:
  // The fixture event with another identifier, signed.
  static std::string Com(std::string_view fixture, std::string_view id, std::string_view novoId) {
    return Signed(Trocar(Fixture(fixture), id, novoId));
  }

  // Sends each step's event in a lot of its own and checks the occurrences of its R-5001.
  static void Executar(ReinfService& service, std::span<const Step> steps, std::string_view tpEv) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.name);
      const std::string r5001 = EnviarUm(service, step.id, step.documento);
      EXPECT_EQ(Codigos(r5001), step.codigos) << r5001;
      EXPECT_EQ(Campo(r5001, "perApur"), "2024-03");
      if (!tpEv.empty()) {
        EXPECT_EQ(Campo(r5001, "tpEv"), tpEv);
      }
    }
  }
};

TEST_F(ReinfPeriodoTest, ClosingRefusesPeriodicEventsUntilTheReopening) {
  const std::string novo1 = "ID1123456780000002024040110300000012";
  const std::string novo2 = "ID1123456780000002024040110300000013";
  const Step steps[] = {
      {"R-2010 do período aberto", std::string(kIdR2010), Signed(Fixture("r2010-tomador.xml")), {}},
      {"R-2099 fecha o período",
       std::string(kIdR2099),
       Signed(Fixture("r2099-fechamento.xml")),
       {}},
      {"R-2010 novo no período fechado", novo1, Com("r2010-tomador.xml", kIdR2010, novo1), {"206"}},
      {"R-2099 de novo",
       "ID1123456780000002024040110300000098",
       Com("r2099-fechamento.xml", kIdR2099, "ID1123456780000002024040110300000098"),
       {"206"}},
      {"R-2098 reabre", std::string(kIdR2098), Signed(Fixture("r2098-reabertura.xml")), {}},
      {"R-2098 com o período aberto",
       "ID1123456780000002024041509000000097",
       Com("r2098-reabertura.xml", kIdR2098, "ID1123456780000002024041509000000097"),
       {"207"}},
      {"R-2010 depois da reabertura", novo2, Com("r2010-tomador.xml", kIdR2010, novo2), {}},
  };
  ReinfService service(Config());
  Executar(service, steps, "");
}

TEST_F(ReinfPeriodoTest, ExclusionNeedsAnActiveReceiptOfTheContributor) {
  ReinfService service(Config());
  const std::string r5001 =
      EnviarUm(service, std::string(kIdR2010), Signed(Fixture("r2010-tomador.xml")));
  const std::string recibo = Campo(r5001, "nrRecArqBase");
  ASSERT_FALSE(recibo.empty()) << r5001;
  const std::string modelo = Fixture("r9000-exclusao.xml");
  const std::string outro = "ID1123456780000002024041509000000091";
  const Step steps[] = {
      {"recibo desconhecido",
       std::string(kIdR9000),
       Signed(Trocar(modelo, "RECIBO", "99999-03-2010-2403-99999")),
       {"208"}},
      {"recibo de outro tipo de evento",
       outro,
       Signed(
           Trocar(Trocar(Trocar(modelo, kIdR9000, outro), "RECIBO", recibo), "R-2010", "R-2020")),
       {"208"}},
      {"recibo do R-2010 aceito",
       "ID1123456780000002024041509000000092",
       Signed(Trocar(Trocar(modelo, kIdR9000, "ID1123456780000002024041509000000092"), "RECIBO",
                     recibo)),
       {}},
      {"o mesmo recibo já excluído",
       "ID1123456780000002024041509000000093",
       Signed(Trocar(Trocar(modelo, kIdR9000, "ID1123456780000002024041509000000093"), "RECIBO",
                     recibo)),
       {"208"}},
  };
  Executar(service, steps, "9000");
}

TEST_F(ReinfPeriodoTest, AnEventSentAgainGetsTheAnswerOfItsFirstReception) {
  ReinfService service(Config());
  const std::string r2010 = Signed(Fixture("r2010-tomador.xml"));
  const std::string primeiro = EnviarUm(service, std::string(kIdR2010), r2010);
  const std::string segundo = EnviarUm(service, std::string(kIdR2010), r2010);
  EXPECT_FALSE(primeiro.empty());
  EXPECT_EQ(segundo, primeiro);
}

}  // namespace
}  // namespace luvaro::sim::reinf::test
