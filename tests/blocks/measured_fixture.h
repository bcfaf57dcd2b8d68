// The measured-value views against one virtual instrument in virtual time,
// with map controls, scripted dialogs and record files in a scratch folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "blocks/measurement_handlers.h"
#include "link/clock.h"
#include "link/link.h"
#include "operator/controls.h"
#include "operator/scripted_dialogs.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/instrument.h"
#include "sim/register_map.h"
#include "storage/profile.h"

namespace qmx::test {

class MeasuredTest : public ::testing::Test {
 protected:
  MeasuredTest() {
    char pattern[] = "/tmp/qmx-measured-XXXXXX";
    if (mkdtemp(pattern) != nullptr) dir_ = pattern;
    records_.izm_file_name = dir_ + "/izm.txt";
    records_.izm_modul_file_name = dir_ + "/izm_modul.txt";
    records_.all_izm_file_name = dir_ + "/all_izm.txt";
    ports_.Attach(1, bus_);
    link_.settings().use_log_file = 0;
    link_.AttachPortForTesting(ports_.Open(1, LineConfig{}, nullptr));
    dialogs_.SetFailureHandler([](std::string_view m) { ADD_FAILURE() << m; });
    meter_.SetFlow(12.5, 0.0);
  }
  ~MeasuredTest() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  MeasurementContext Context() { return {link_, dialogs_, controls_, state_, records_}; }

  // The instrument stops answering for the next `requests` requests (-1: for good).
  void Silence(int requests = -1) {
    sim::Fault fault;
    fault.kind = sim::FaultKind::kNoAnswer;
    fault.remaining = requests;
    meter_.AddFault(fault);
  }

  static std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string dir_;
  VirtualClock clock_;
  sim::Bus bus_{clock_};
  sim::Instrument& meter_ = bus_.AddInstrument();
  sim::InProcessPortProvider ports_{clock_};
  Link link_{ports_, clock_};
  MapControls controls_;
  ScriptedDialogs dialogs_;
  MeasurementState state_;
  RecordFiles records_;
};

}  // namespace qmx::test
