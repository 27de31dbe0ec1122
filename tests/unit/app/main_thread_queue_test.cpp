#include "app/core/main_thread_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/core/silent_abort.h"
#include "dfe/dfe_exception.h"

namespace luvaro {
namespace {

TEST(MainThreadQueue, SynchronizeRunsOnTheMainThreadAndCarriesFailuresBack) {
  MainThreadQueue queue;
  const std::thread::id main = std::this_thread::get_id();
  std::thread::id ranOn;
  std::string failure;
  bool aborted = false;
  std::thread worker([&] {
    queue.Synchronize([&] { ranOn = std::this_thread::get_id(); });
    try {
      queue.Synchronize([] { throw EDFeException("falhou no principal"); });
    } catch (const EDFeException& e) {
      failure = e.what();
    }
    try {
      queue.Synchronize([] { throw TSilentAbort{"parar"}; });
    } catch (const TSilentAbort& a) {
      aborted = a.Mensagem == "parar";
    }
    queue.Post([&queue] { queue.Terminate(); });
  });
  queue.RunUntilTerminated();
  queue.Close();
  worker.join();
  EXPECT_EQ(ranOn, main);
  EXPECT_EQ(failure, "falhou no principal");
  EXPECT_TRUE(aborted);
}

TEST(MainThreadQueue, OnTheMainThreadSynchronizeRunsAtOnce) {
  MainThreadQueue queue;
  int value = 0;
  queue.Synchronize([&] { value = 1; });
  EXPECT_EQ(value, 1);
}

TEST(MainThreadQueue, PostedTasksRunInOrderAndSurviveASilentAbort) {
  MainThreadQueue queue;
  std::vector<int> order;
  queue.Post([&] { order.push_back(1); });
  queue.Post([&] {
    order.push_back(2);
    throw TSilentAbort{"x"};
  });
  queue.Post([&] { order.push_back(3); });
  queue.Post([&] { queue.Terminate(); });
  queue.Post([&] { order.push_back(4); });  // after the end request: never runs
  queue.RunUntilTerminated();
  queue.RunPending();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(MainThreadQueue, ClosedQueueReleasesWaitingCallersWithASilentAbort) {
  MainThreadQueue queue;
  bool aborted = false;
  bool ran = false;
  std::thread worker([&] {
    try {
      queue.Synchronize([&] { ran = true; });
    } catch (const TSilentAbort&) {
      aborted = true;
    }
  });
  queue.Close();  // whether the call came before or after, it must not wait for ever
  worker.join();
  EXPECT_TRUE(aborted);
  EXPECT_FALSE(ran);
  queue.Post([&] { ran = true; });
  queue.RunPending();
  EXPECT_FALSE(ran);
}

TEST(MainThreadQueue, WakeUpAndTerminateHooksAreCalled) {
  MainThreadQueue queue;
  int wakes = 0;
  int terminations = 0;
  queue.SetWakeUp([&] { ++wakes; });
  queue.SetTerminateHook([&] { ++terminations; });
  queue.Post([] {});
  queue.Post([] {});
  EXPECT_EQ(wakes, 2);
  queue.RunPending();
  queue.Terminate();
  EXPECT_EQ(terminations, 1);
  EXPECT_TRUE(queue.TerminateRequested());
}

}  // namespace
}  // namespace luvaro
