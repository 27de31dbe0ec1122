// The whole program with the Qt front (offscreen), loaded as the program loads it (the window
// module): the loop ends by itself with the run's exit code, after a worker's end, a parameter
// error or a stop-flag message.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <mutex>

#include "app/core/exit_code.h"
#include "app/core/mensagem.h"
#include "app/window_run.h"

namespace luvaro {
namespace {

// What the stand-in user read in the message boxes it answered.
std::vector<QString> g_answered;

// Runs each time the program makes its QApplication: answers every message box with Enter.
void StartStandInUser() {
  auto* timer = new QTimer(qApp);  // parented: ends with the application
  QObject::connect(timer, &QTimer::timeout, timer, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    g_answered.push_back(box->text());
    QTest::keyClick(box, Qt::Key_Return);
  });
  timer->start(2);
}

class QtRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { qAddPreRoutine(StartStandInUser); }

  void SetUp() override {
    SetExitCode(0);
    g_answered.clear();
    workers.Registrar("imediato", [this](WorkerContext ctx) {
      struct W final : IWorker {
        WorkerContext c;
        bool& ran;
        W(WorkerContext x, bool& r) : c(std::move(x)), ran(r) {}
        void Execute() override {
          c.AtualizarStatus("Trabalhando...");
          ran = true;
        }
      };
      return std::make_unique<W>(std::move(ctx), workerRan);
    });
    workers.Registrar("falha", [this](WorkerContext ctx) {
      struct W final : IWorker {
        WorkerContext c;
        bool& continued;
        W(WorkerContext x, bool& r) : c(std::move(x)), continued(r) {}
        void Execute() override {
          SetExitCode(1);
          TMensagem::mostrarMsgErro(c.Front, c.Loop, "Falha de teste.", true);
          continued = true;
        }
      };
      return std::make_unique<W>(std::move(ctx), workerContinued);
    });
  }

  int Run(std::vector<std::string> positions) {
    static char name[] = "Luvaro";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    positions.insert(positions.begin(), "/opt/Luvaro");
    std::string error;
    const std::optional<WindowFrontFactory> module = LoadWindowModule(LUVARO_WINDOW_MODULE, error);
    if (!module) {
      ADD_FAILURE() << error;
      return -1;
    }
    return RunWindowFront(argc, argv, positions, NoUpdate, workers, *module);
  }

  WorkerRegistry workers;
  bool workerRan = false;
  bool workerContinued = false;
};

TEST_F(QtRun, WorkerEndEndsTheProgram) {
  EXPECT_EQ(Run({"v", "0", "http://erp/", "1", "0", "k", "imediato"}), 0);
  EXPECT_TRUE(workerRan);
  EXPECT_TRUE(g_answered.empty());
}

TEST_F(QtRun, ParameterErrorEndsTheProgramAfterItsMessage) {
  EXPECT_EQ(Run({"4.0.01-180629", "3"}), 1);
  EXPECT_EQ(g_answered,
            (std::vector<QString>{"Erro na leitura dos parâmetros.\n\nERRO: Processo inválido."}));
}

TEST_F(QtRun, MissingVersionEndsTheProgramAfterItsMessage) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_EQ(g_answered, (std::vector<QString>{"Versão Orvane não informada."}));
}

TEST_F(QtRun, StopFlagMessageOfAWorkerEndsTheProgram) {
  EXPECT_EQ(Run({"v", "0", "http://erp/", "1", "0", "k", "falha"}), 1);
  EXPECT_FALSE(workerContinued);
  EXPECT_EQ(g_answered, (std::vector<QString>{"Falha de teste."}));
}

}  // namespace
}  // namespace luvaro
