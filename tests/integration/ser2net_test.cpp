// The network ports against a real serial device server: ser2net on
// loopback before the virtual instrument's pseudo-terminal.  Over RFC 2217
// the line the program sends reaches the pseudo-terminal, where the
// instruments match it as they do for a local port.  Skipped without ser2net.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "blocks/block_catalog.h"
#include "blocks/exchange_parameters.h"
#include "blocks/measured_values.h"
#include "integration/sim_process.h"
#include "link/device_search.h"
#include "link/exchange_status.h"
#include "link/network_port.h"
#include "link/posix_serial_port.h"
#include "operator/operation_report.h"
#include "operator/scripted_dialogs.h"
#include "port/port_test_util.h"

extern char** environ;

namespace qmx {
namespace {

const char kSer2net[] = "/usr/sbin/ser2net";

// Whether anybody listens on loopback `port`, from the kernel's table: a
// trial connect would make ser2net open the device, a trial bind is refused
// by the leftovers of a gateway that has just died.
bool Listening(uint16_t port) {
  std::ifstream table("/proc/net/tcp");
  char wanted[8];
  std::snprintf(wanted, sizeof wanted, ":%04X", port);
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    if (state == "0A" && local.ends_with(wanted)) return true;  // 0A: listening
  }
  return false;
}

// ser2net serving `device` on a loopback port, raw or RFC 2217.
class Gateway {
 public:
  Gateway(const std::string& device, bool rfc2217) : port_(test::FreeLoopbackPort()) {
    entry_ = {20, {rfc2217 ? NetworkKind::kRfc2217 : NetworkKind::kRawTcp, "127.0.0.1", port_}, 0};
    std::ofstream(dir_.At("s.yaml"))
        << "connection: &meter\n  accepter: " << (rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
        << "127.0.0.1," << port_ << "\n  connector: serialdev," << device
        << ",19200n82,local\n  options:\n    kickolduser: true\n";
  }
  ~Gateway() { Kill(); }
  bool Start() {
    const std::string config = dir_.At("s.yaml");
    const char* argv[] = {kSer2net, "-n", "-d", "-c", config.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, kSer2net, &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    // Generous: only the outcome is checked, never how fast it came.
    for (int i = 0; pid_ > 0 && i < 1000 && !Listening(port_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Listening(port_);
  }
  // Gone as a pulled power cord leaves it: no goodbye.
  void Kill() {
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  const NetworkPortEntry& entry() const { return entry_; }

 private:
  test::ScratchDir dir_;
  uint16_t port_;
  NetworkPortEntry entry_;
  pid_t pid_ = -1;
};

class Ser2netTest : public ::testing::Test {
 protected:
  // The instrument program, ser2net before it; the operator's line is
  // 19200, no parity, address 1 on COM20.
  void Serve(bool rfc2217, std::vector<std::string> options) {
    if (::access(kSer2net, X_OK) != 0) GTEST_SKIP() << "ser2net is not installed";
    std::string error;
    ASSERT_TRUE(sim_.Start(options, &error)) << error;
    gateway_.emplace(sim_.device(), rfc2217);
    ASSERT_TRUE(gateway_->Start()) << "ser2net did not start";
    ports_.SetEntries({gateway_->entry()});
    link_.settings().use_log_file = 0;
    link_.settings().retry_limit = 1;
    link_.line() = LineParameters{20, 7, 0, 1, 1, 500};
    ASSERT_TRUE(link_.OpenCurrentPort(0).ok);
  }
  uint16_t ReadIdentity(std::vector<uint16_t>* values) {
    values->assign(3, 0xFFFF);
    uint16_t exception = 0;
    return link_.ReadHoldingRegisters(1152, 3, values->data(), &exception);
  }
  std::string Report(uint16_t status) {
    return OperationReportMessage(status, 0, link_.port_failure()).value_or(ReportMessage{}).text;
  }
  // The exchange-parameter write of the page, the lists set as given.
  BlockOutcome WriteExchange(int address, int baud_index, int parity, ScriptedDialogs& dialogs) {
    ProfileValues profile;
    BlockValues values(profile, link_.settings());
    MapControls controls;
    AddBlockControls(controls);
    ShowExchangeValues(controls, values);
    controls.SetItemIndex("ComboBox19", 0);
    controls.SetItemIndex("ComboBox45", address);
    controls.SetItemIndex("ComboBox46", baud_index);
    controls.SetItemIndex("ComboBox47", parity);
    BlockContext ctx{link_, dialogs, controls, values};
    return Button25Click(ctx);
  }
  // A search over 9600 and 19200, no parity and even, addresses 1..2.
  SearchEnd Search(DeviceSearch& search, int* opens) {
    struct Host final : SearchHost {
      Link& link;
      int* opens;
      Host(Link& l, int* o) : link(l), opens(o) {}
      bool OpenPort(uint16_t report) override {
        ++*opens;
        return link.OpenCurrentPort(report).ok;
      }
      void ShowTable(const SearchRanges&, const std::vector<FoundInstrument>&) override {}
      void ShowProbe(std::string_view) override {}
      void ShowProgress(unsigned, unsigned, int64_t) override {}
      void ShowEnd(SearchEnd) override {}
    } host(link_, opens);
    SearchRanges ranges;
    ranges.baud = {0, 0, 0, 1, 1, 0, 0, 0};
    ranges.beg = 1;
    ranges.end = 2;
    ranges.parity_non = ranges.parity_ev = 1;
    ranges.parity_odd = 0;
    search.SetProbeReads({kMeasuredBlockCount});
    return search.Run(
        ranges,
        [this] {
          uint16_t last = 0;
          const ExchangeOutcome outcome = ReadMeasuredValues(link_, measured_, last);
          return ProbeResult{outcome.status, outcome.exception};
        },
        host);
  }

  sim::test::SimProcess sim_;
  std::optional<Gateway> gateway_;
  PosixPortProvider local_{"/nonexistent-dev", ""};
  NetworkPortProvider ports_{local_};
  SystemClock clock_;
  Link link_{ports_, clock_};
  MeasuredValues measured_;
};

TEST_F(Ser2netTest, ReadsAndWritesGoThroughEitherKindOfGateway) {
  for (bool rfc2217 : {false, true}) {
    SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
    Serve(rfc2217, {"--no-pacing"});
    if (IsSkipped()) return;
    std::vector<uint16_t> values;
    ASSERT_EQ(ReadIdentity(&values), 0);
    EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));
    // 0xFFFF: two IAC bytes, escaped on the way over RFC 2217.
    uint16_t value = 0xFFFF, exception = 0;
    EXPECT_EQ(link_.WriteMultipleRegisters(65530, 1, &value, &exception, "Проверка."), 0);
    EXPECT_EQ(sim_.Get(65530, 1), (std::vector<unsigned>{0xFFFF}));
    value = 0;
    EXPECT_EQ(link_.ReadHoldingRegisters(65530, 1, &value, &exception), 0);
    EXPECT_EQ(value, 0xFFFF);
    link_.ClosePort();
    gateway_.reset();
    sim_.Stop();
  }
}

TEST_F(Ser2netTest, OverRfc2217ASearchFindsInstrumentsAtEachRateAndParity) {
  Serve(true, {"--no-pacing", "--instrument", "address=1,baud=19200,parity=none", "--instrument",
               "address=2,baud=9600,parity=even"});
  if (IsSkipped()) return;
  // Eight probes, six of them silent: little time for the silence.
  link_.line().timeout = 200;
  for (TimeoutPair& pair : link_.settings().timeouts.by_code) pair.multiplier = 1;
  DeviceSearch search(link_);
  int opens = 0;
  EXPECT_EQ(Search(search, &opens), SearchEnd::kCompleted);
  EXPECT_EQ(search.found(), (std::vector<FoundInstrument>{{6, 2, 2}, {7, 1, 0}}));
  std::vector<uint16_t> values;
  EXPECT_EQ(ReadIdentity(&values), 0);  // back on the operator's line
}

TEST_F(Ser2netTest, OverRfc2217TheProgramFollowsTheInstrumentToItsNewLine) {
  Serve(true, {"--no-pacing"});
  if (IsSkipped()) return;
  ScriptedDialogs dialogs;
  dialogs.AnswerYes(1);
  ASSERT_EQ(WriteExchange(7, 3, 2, dialogs), BlockOutcome::kDone) << dialogs.LastBox().text;
  EXPECT_EQ(link_.line().baud_code, 6);  // 9600, even, address 7
  EXPECT_EQ(link_.line().parity_code, 2);
  EXPECT_EQ(link_.line().network_address, 7);
  std::vector<uint16_t> values;
  EXPECT_EQ(ReadIdentity(&values), 0);
}

TEST_F(Ser2netTest, OverRawTcpLineChangesAreRefusedBeforeAnythingIsSent) {
  Serve(false, {"--no-pacing"});
  if (IsSkipped()) return;
  DeviceSearch search(link_);
  int opens = 0;
  EXPECT_EQ(Search(search, &opens), SearchEnd::kLineFixed);
  EXPECT_EQ(opens, 0);
  ScriptedDialogs dialogs;
  EXPECT_EQ(WriteExchange(1, 3, 0, dialogs), BlockOutcome::kCancelled);
  EXPECT_EQ(dialogs.LastBox().text, kLineFixedText);
  EXPECT_EQ(sim_.Command("journal"), "");
}

TEST_F(Ser2netTest, AGatewayKilledDuringAPollIsReportedAndServesAgainOnceBack) {
  // Answers after a second: the gateway dies while the read waits.
  Serve(false, {"--no-pacing", "--turnaround", "1000"});
  if (IsSkipped()) return;
  link_.line().timeout = 3000;
  std::vector<uint16_t> values;
  ASSERT_EQ(ReadIdentity(&values), 0);
  std::thread killer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    gateway_->Kill();
  });
  const uint16_t status = ReadIdentity(&values);
  killer.join();
  const std::string lost = "Ответа не было.\nНет соединения с COM20 (" +
                           NetworkAddressText(gateway_->entry().address) + "): ";
  EXPECT_EQ(Report(status), lost + "разорвано.");
  EXPECT_EQ(Report(ReadIdentity(&values)), lost + "отказано.");  // still down

  ASSERT_TRUE(gateway_->Start());
  const uint16_t back = ReadIdentity(&values);
  EXPECT_EQ(back, 0) << Report(back);
  EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));
}

}  // namespace
}  // namespace qmx
