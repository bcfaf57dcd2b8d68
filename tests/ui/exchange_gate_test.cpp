#include "ui/exchange_gate.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "link/clock.h"
#include "link/exchange_status.h"
#include "link/link.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/instrument.h"

namespace qmx {
namespace {

// Keeps the event loop running until `done` holds (or five seconds pass).
bool RunUntil(const std::function<bool()>& done) {
  if (done()) return true;
  QEventLoop loop;
  QTimer check;
  check.setInterval(1);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  check.start();
  loop.exec();
  return done();
}

// A handler that waits `ms` of real time the way an exchange does, letting
// the window process its events all along.
void BusyFor(int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < ms) {
    ExchangeGate::PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Records the start and end of every action and how deep they nest.
struct Trace {
  std::vector<std::string> events;
  int depth = 0;
  int max_depth = 0;

  std::function<void()> Action(std::string name, int busy_ms = 0,
                               std::function<void()> inside = nullptr) {
    return [this, name, busy_ms, inside] {
      ++depth;
      max_depth = std::max(max_depth, depth);
      events.push_back("start " + name);
      if (inside) inside();
      if (busy_ms > 0) BusyFor(busy_ms);
      events.push_back("end " + name);
      --depth;
    };
  }
};

TEST(ExchangeGateTest, ClicksDuringAnActionRunAfterItInArrivalOrder) {
  ExchangeGate gate;
  Trace trace;
  std::vector<bool> busy_signals;
  QObject::connect(&gate, &ExchangeGate::busyChanged,
                   [&](bool busy) { busy_signals.push_back(busy); });
  // Two clicks and a timer tick arrive while the first action waits.
  int ticks_run = 0;
  int ticks_skipped = 0;
  QTimer::singleShot(5, [&] { gate.RunOperatorAction(trace.Action("B", 20)); });
  QTimer::singleShot(10, [&] {
    const bool ran = gate.TryRunTimerAction(trace.Action("tick"));
    ran ? ++ticks_run : ++ticks_skipped;
  });
  QTimer::singleShot(15, [&] { gate.RunOperatorAction(trace.Action("C")); });

  bool call_returned = false;
  gate.RunOperatorAction(trace.Action("A", 60));
  call_returned = true;
  // A ran at once; B and C wait for the event loop.
  EXPECT_EQ(trace.events, (std::vector<std::string>{"start A", "end A"}));
  EXPECT_EQ(gate.queued(), 2u);
  EXPECT_TRUE(gate.Busy());
  EXPECT_FALSE(gate.Running());

  ASSERT_TRUE(RunUntil([&] { return !gate.Busy(); }));
  EXPECT_TRUE(call_returned);
  EXPECT_EQ(trace.events,
            (std::vector<std::string>{"start A", "end A", "start B", "end B", "start C", "end C"}));
  EXPECT_EQ(trace.max_depth, 1);
  EXPECT_EQ(ticks_run, 0);
  EXPECT_EQ(ticks_skipped, 1);
  // One busy period from A to C, without flicker in between.
  EXPECT_EQ(busy_signals, (std::vector<bool>{true, false}));
}

TEST(ExchangeGateTest, QueuedActionStartsOnlyAfterTheStackHasUnwound) {
  ExchangeGate gate;
  Trace trace;
  bool outer_returned = false;
  // An action that asks for another one from inside: it must not run in the
  // middle, nor before the outer call has returned.
  gate.RunOperatorAction(trace.Action("outer", 0, [&] {
    gate.RunOperatorAction(trace.Action("inner", 0, [&] { EXPECT_TRUE(outer_returned); }));
  }));
  outer_returned = true;
  EXPECT_EQ(trace.events, (std::vector<std::string>{"start outer", "end outer"}));
  ASSERT_TRUE(RunUntil([&] { return !gate.Busy(); }));
  EXPECT_EQ(trace.events.back(), "end inner");
  EXPECT_EQ(trace.max_depth, 1);
}

TEST(ExchangeGateTest, TimerActionsRunWhenFreeAndNeverJumpTheQueue) {
  ExchangeGate gate;
  Trace trace;
  EXPECT_TRUE(gate.TryRunTimerAction(trace.Action("tick 1")));
  EXPECT_FALSE(gate.Busy());

  // While a click waits for its turn the gate counts as busy: the click
  // goes first.
  gate.RunOperatorAction(trace.Action("A", 0, [&] { gate.RunOperatorAction(trace.Action("B")); }));
  EXPECT_TRUE(gate.Busy());
  EXPECT_FALSE(gate.TryRunTimerAction(trace.Action("tick 2")));
  ASSERT_TRUE(RunUntil([&] { return !gate.Busy(); }));
  EXPECT_TRUE(gate.TryRunTimerAction(trace.Action("tick 3")));
  EXPECT_EQ(trace.events,
            (std::vector<std::string>{"start tick 1", "end tick 1", "start A", "end A", "start B",
                                      "end B", "start tick 3", "end tick 3"}));
}

TEST(ExchangeGateTest, AnActionThatThrowsDoesNotLeaveTheGateShut) {
  ExchangeGate gate;
  EXPECT_THROW(gate.RunOperatorAction([] { throw std::runtime_error("broken handler"); }),
               std::runtime_error);
  EXPECT_FALSE(gate.Busy());
  bool ran = false;
  gate.RunOperatorAction([&] { ran = true; });
  EXPECT_TRUE(ran);
}

// The window against a slow virtual instrument: every answer comes 300 ms
// late (virtual time; the event pump spends a little real time in each of
// the waiting slices, so real timers fire during every exchange).
class GateOnTheLineTest : public ::testing::Test {
 protected:
  GateOnTheLineTest() {
    ports_.Attach(1, bus_);
    link_.settings().use_log_file = 0;
    link_.settings().retry_limit = 1;
    link_.AttachPortForTesting(ports_.Open(1, LineConfig{}, nullptr));
    link_.SetEventPump([] {
      ExchangeGate::PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    meter_.AddFault(sim::Fault{sim::FaultKind::kDelay, 300, 0, -1, 0});
  }

  // What a button's handler does: one read of its own register.
  void ReadRegister(uint16_t start) {
    uint16_t value = 0;
    uint16_t exception = 0;
    statuses_.push_back(link_.ReadHoldingRegisters(start, 1, &value, &exception));
  }

  // Starts clicks on buttons 1..count, one every few milliseconds, while a
  // poll timer keeps ticking; each click handler runs through `click`.
  void ClickAway(int count, const std::function<void(uint16_t)>& click) {
    auto* clicks = new QTimer(&guard_);
    clicks->setInterval(4);
    QObject::connect(clicks, &QTimer::timeout, &guard_, [this, clicks, count, click] {
      if (++clicks_sent_ >= count) clicks->stop();
      click(static_cast<uint16_t>(256 + clicks_sent_));
    });
    clicks->start();
  }

  VirtualClock clock_;
  sim::Bus bus_{clock_};
  sim::Instrument& meter_ = bus_.AddInstrument();
  sim::InProcessPortProvider ports_{clock_};
  Link link_{ports_, clock_};
  ExchangeGate gate_;
  QObject guard_;
  std::vector<uint16_t> statuses_;
  int clicks_sent_ = 0;
};

TEST_F(GateOnTheLineTest, WithoutTheGateAClickInTheMiddleIsRefused) {
  // The control experiment: the clicks really arrive while a read waits, and
  // the link's last line of defence turns them away.
  ClickAway(3, [this](uint16_t reg) { ReadRegister(reg); });
  ReadRegister(256);
  ASSERT_TRUE(RunUntil([&] { return clicks_sent_ >= 3 && !link_.InTransaction(); }));
  ASSERT_GE(statuses_.size(), 2u);
  int refused = 0;
  for (const uint16_t status : statuses_) refused += status == kStatusRefusedBusy;
  EXPECT_GT(refused, 0);
}

TEST_F(GateOnTheLineTest, ClicksAndTicksDuringExchangesNeverInterleaveAndNoneIsLost) {
  constexpr int kClicks = 5;
  std::vector<uint16_t> handled;  // registers read by click handlers, in order
  int ticks_run = 0;
  int ticks_skipped = 0;
  int clicks_while_busy = 0;
  auto* poll = new QTimer(&guard_);
  poll->setInterval(3);
  QObject::connect(poll, &QTimer::timeout, &guard_, [&] {
    const bool ran = gate_.TryRunTimerAction([&] { ReadRegister(300); });
    ran ? ++ticks_run : ++ticks_skipped;
  });
  poll->start();
  auto click = [&](uint16_t reg) {
    clicks_while_busy += gate_.Busy();
    gate_.RunOperatorAction([&, reg] {
      ReadRegister(reg);
      handled.push_back(reg);
    });
  };
  click(256);
  ClickAway(kClicks, click);
  ASSERT_TRUE(RunUntil(
      [&] { return clicks_sent_ >= kClicks && handled.size() == kClicks + 1 && !gate_.Busy(); }));
  poll->stop();

  // Every click handled, in the order the operator clicked.
  EXPECT_EQ(handled, (std::vector<uint16_t>{256, 257, 258, 259, 260, 261}));
  EXPECT_GT(clicks_while_busy, 0);
  EXPECT_GT(ticks_skipped, 0);
  // Nothing was refused or failed: no exchange ever started inside another.
  for (const uint16_t status : statuses_) EXPECT_EQ(status, 0) << std::hex << status;
  // The instrument heard one request at a time, each answered before the next.
  const std::vector<sim::JournalEntry>& journal = bus_.journal();
  ASSERT_EQ(journal.size(), statuses_.size());
  EXPECT_EQ(journal.size(), static_cast<size_t>(kClicks + 1 + ticks_run));
  std::vector<uint16_t> clicked_on_wire;
  for (size_t i = 0; i < journal.size(); ++i) {
    EXPECT_EQ(journal[i].outcome, sim::Outcome::kAnswered) << journal[i].ToText();
    EXPECT_TRUE(journal[i].crc_ok) << journal[i].ToText();
    if (i > 0) {
      EXPECT_GE(journal[i].time_ms, journal[i - 1].time_ms + 300) << journal[i].ToText();
    }
    if (journal[i].start != 300) clicked_on_wire.push_back(journal[i].start);
  }
  EXPECT_EQ(clicked_on_wire, handled);
}

}  // namespace
}  // namespace qmx
