// The block handlers against one virtual instrument through the in-process
// port, in virtual time, with scripted dialogs and map controls.  One attempt
// per transaction unless a test asks for more.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "blocks/block_catalog.h"
#include "blocks/block_engine.h"
#include "blocks/block_values.h"
#include "link/clock.h"
#include "link/link.h"
#include "operator/controls.h"
#include "operator/scripted_dialogs.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/instrument.h"
#include "storage/profile.h"

namespace qmx::test {

// One instrument on its own bus, a link to it and the program's values,
// filled as the window fills them at start-up: for tests that need several
// of them, or a fresh one per case.
struct InstrumentBench {
  // `filled`: the controls show the program's values, as after start-up.
  explicit InstrumentBench(bool filled = true) {
    ports.Attach(1, bus);
    link.settings().use_log_file = 0;
    link.AttachPortForTesting(ports.Open(1, LineConfig{}, nullptr));
    AddBlockControls(controls);
    if (filled) FillBlockControls(controls, values);
    dialogs.SetFailureHandler([](std::string_view message) { ADD_FAILURE() << message; });
  }
  VirtualClock clock;
  sim::Bus bus{clock};
  sim::Instrument& meter = bus.AddInstrument();
  sim::InProcessPortProvider ports{clock};
  Link link{ports, clock};
  ProfileValues profile;
  BlockValues values{profile, link.settings()};
  ScriptedDialogs dialogs;
  MapControls controls;
  BlockContext ctx{link, dialogs, controls, values};
};

class BlockTest : public ::testing::Test {
 protected:
  BlockTest() {
    link_.settings().retry_limit = 1;
    link_.SetEventPump([this] { OnPump(); });
  }

  ~BlockTest() override {
    if (!log_path_.empty()) std::remove(log_path_.c_str());
  }

  // What went over the line, as "read 300 x1", "write 1278 x2 = 1, 1".
  std::vector<std::string> Journal() const { return bus_.JournalSummary(); }
  const sim::JournalEntry& Entry(size_t i) const { return bus_.journal().at(i); }
  // Milliseconds between the ends of requests i - 1 and i.
  int64_t Gap(size_t i) const { return Entry(i).time_ms - Entry(i - 1).time_ms; }

  // The instrument hears request number `n` (1-based, counting from now)
  // with `fault`: armed by the event pump once request n - 1 is on the line.
  // The pump runs in pauses and while a read waits, not while a write waits
  // for its answer, so request n must come after a pause or a read.
  void FaultOnRequest(size_t n, sim::Fault fault) {
    fault_at_ = bus_.journal().size() + n - 1;
    fault_ = fault;
    fault_armed_ = false;
    if (n == 1) ArmFault();
  }

  // The exchange-log texts of the writes, in order, from a log file started
  // here.
  void StartLog() {
    log_path_ = ::testing::TempDir() + "blocks_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(log_path_.c_str());
    link_.settings().log_file_name = log_path_;
    link_.settings().use_log_file = 1;
  }
  std::vector<std::string> WriteDescriptions() const {
    std::ifstream file(log_path_, std::ios::binary);
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string log = buffer.str();
    std::vector<std::string> texts;
    const std::string marker = "\r\n\r\nSend:";
    for (size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
      const size_t line = log.rfind("\r\n", at - 1);
      texts.push_back(log.substr(line + 2, at - line - 2));
    }
    return texts;
  }

  sim::Fault NoAnswer() {
    sim::Fault fault;
    fault.kind = sim::FaultKind::kNoAnswer;
    fault.remaining = 1;
    return fault;
  }

  // Operator answers for the next questions.
  void Yes(int times = 1) { dialogs_.AnswerYes(times); }
  void No() { dialogs_.AnswerNo(); }

  InstrumentBench bench_{false};
  VirtualClock& clock_ = bench_.clock;
  sim::Bus& bus_ = bench_.bus;
  sim::Instrument& meter_ = bench_.meter;
  sim::InProcessPortProvider& ports_ = bench_.ports;
  Link& link_ = bench_.link;
  ProfileValues& profile_ = bench_.profile;
  BlockValues& values_ = bench_.values;
  ScriptedDialogs& dialogs_ = bench_.dialogs;
  MapControls& controls_ = bench_.controls;
  BlockContext& ctx_ = bench_.ctx;

 private:
  void ArmFault() {
    meter_.AddFault(fault_);
    fault_armed_ = true;
  }
  void OnPump() {
    if (!fault_armed_ && bus_.journal().size() == fault_at_) ArmFault();
  }

  size_t fault_at_ = 0;
  sim::Fault fault_;
  bool fault_armed_ = true;
  std::string log_path_;
};

}  // namespace qmx::test
