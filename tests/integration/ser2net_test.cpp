// The program's network ports against a real serial device server: ser2net
// on loopback in front of the virtual instrument's pseudo-terminal, as a
// gateway in a cabinet stands in front of the RS-485 line.  Over RFC 2217
// the line settings the program sends reach the pseudo-terminal, where the
// instruments match them as they do for a local port.  Skipped where ser2net
// is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "blocks/block_catalog.h"
#include "blocks/block_engine.h"
#include "blocks/block_values.h"
#include "blocks/exchange_parameters.h"
#include "blocks/measured_values.h"
#include "integration/sim_process.h"
#include "link/clock.h"
#include "link/device_search.h"
#include "link/exchange_status.h"
#include "link/link.h"
#include "link/network_port.h"
#include "link/posix_serial_port.h"
#include "operator/controls.h"
#include "operator/operation_report.h"
#include "operator/scripted_dialogs.h"
#include "port/port_test_util.h"

extern char** environ;

namespace qmx {
namespace {

constexpr uint16_t kNetworkCom = 20;

std::string Ser2netProgram() {
  for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  return "";
}

// A loopback TCP port nobody uses now.
uint16_t FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Whether somebody listens on loopback `port`, from the kernel's table of
// TCP sockets.  (A trial connection would make ser2net open the device for
// nothing; a trial bind is refused by the connections of a gateway that has
// just died as well.)
bool Listening(uint16_t port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, ":%04X", port);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    // State 0A: listening.
    if (state == "0A" && local.size() > 5 && local.compare(local.size() - 5, 5, wanted) == 0) {
      return true;
    }
  }
  return false;
}

// ser2net serving `device` on one loopback port, raw or RFC 2217.
class Ser2net {
 public:
  Ser2net(std::string device, bool rfc2217)
      : device_(std::move(device)), rfc2217_(rfc2217), port_(FreeLoopbackPort()) {}
  ~Ser2net() { Kill(); }

  bool Start() {
    const std::string config = dir_.At("ser2net.yaml");
    std::ofstream(config) << "connection: &meter\n"
                          << "  accepter: " << (rfc2217_ ? "telnet(rfc2217),tcp," : "tcp,")
                          << "127.0.0.1," << port_ << "\n"
                          << "  connector: serialdev," << device_ << ",19200n82,local\n"
                          << "  options:\n    kickolduser: true\n";
    const std::string program = Ser2netProgram();
    std::vector<std::string> argv = {program, "-n", "-d", "-c", config};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string log = dir_.At("ser2net.log");
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned =
        posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      pid_ = -1;
      return false;
    }
    // Generous: only an outcome is checked, never how fast it came.
    for (int i = 0; i < 1000 && !Listening(port_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Listening(port_);
  }
  // The gateway dies as a pulled power cord leaves it: no goodbye.
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  NetworkPortEntry Entry() const {
    return {kNetworkCom,
            {rfc2217_ ? NetworkKind::kRfc2217 : NetworkKind::kRawTcp, "127.0.0.1", port_},
            0};
  }
  std::string Address() const { return NetworkAddressText(Entry().address); }

 private:
  std::string device_;
  bool rfc2217_;
  uint16_t port_;
  test::ScratchDir dir_;
  pid_t pid_ = -1;
};

class Ser2netTest : public ::testing::Test {
 protected:
  // The instrument program with `instruments`, ser2net before it.
  void Serve(bool rfc2217, const std::vector<std::string>& instruments,
             std::vector<std::string> options = {"--no-pacing"}) {
    if (Ser2netProgram().empty()) GTEST_SKIP() << "ser2net is not installed";
    for (const std::string& instrument : instruments) {
      options.push_back("--instrument");
      options.push_back(instrument);
    }
    std::string error;
    ASSERT_TRUE(sim_.Start(options, &error)) << error;
    gateway_.emplace(sim_.device(), rfc2217);
    ASSERT_TRUE(gateway_->Start()) << "ser2net did not start";
    ports_.SetEntries({gateway_->Entry()});
    link_.settings().use_log_file = 0;
    link_.settings().retry_limit = 1;
    link_.line().port_number = kNetworkCom;
    link_.line().timeout = 500;
  }
  void UseLine(uint16_t baud_code, uint16_t parity, uint16_t address) {
    link_.line().baud_code = baud_code;
    link_.line().parity_code = parity;
    link_.line().network_address = address;
  }
  uint16_t ReadIdentity(std::vector<uint16_t>* values) {
    values->assign(3, 0xFFFF);
    uint16_t exception = 0;
    return link_.ReadHoldingRegisters(1152, 3, values->data(), &exception);
  }
  std::string Report(uint16_t status) {
    const std::optional<ReportMessage> message =
        OperationReportMessage(status, 0, link_.port_failure());
    return message ? message->text : "";
  }

  sim::test::SimProcess sim_;
  std::optional<Ser2net> gateway_;
  PosixPortProvider local_{"/nonexistent-dev", ""};
  NetworkPortProvider ports_{local_};
  SystemClock clock_;
  Link link_{ports_, clock_};
};

TEST_F(Ser2netTest, ReadsAndWritesGoThroughEitherKindOfGateway) {
  for (bool rfc2217 : {false, true}) {
    SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
    Serve(rfc2217, {"address=1,baud=19200,parity=none"});
    if (IsSkipped()) return;
    UseLine(7, 0, 1);
    ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
    std::vector<uint16_t> values;
    ASSERT_EQ(ReadIdentity(&values), 0);
    EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));
    // A value with IAC bytes in it goes through the Telnet escaping too.
    const uint16_t value = 0xFFFF;
    uint16_t exception = 0;
    EXPECT_EQ(link_.WriteMultipleRegisters(65530, 1, &value, &exception, "Проверка."), 0);
    EXPECT_EQ(sim_.Get(65530, 1), (std::vector<unsigned>{0xFFFF}));
    std::vector<uint16_t> back(1);
    EXPECT_EQ(link_.ReadHoldingRegisters(65530, 1, back.data(), &exception), 0);
    EXPECT_EQ(back[0], 0xFFFF);
    link_.ClosePort();
    gateway_.reset();
    sim_.Stop();
  }
}

// The operator's side of a search, reduced to what the test looks at.
class SearchRecorder final : public SearchHost {
 public:
  explicit SearchRecorder(Link& link) : link_(link) {}
  bool OpenPort(uint16_t report_failure) override {
    ++opens;
    return link_.OpenCurrentPort(report_failure).ok;
  }
  void ShowTable(const SearchRanges&, const std::vector<FoundInstrument>&) override {}
  void ShowProbe(std::string_view) override {}
  void ShowProgress(unsigned, unsigned, int64_t) override {}
  void ShowEnd(SearchEnd end) override { ends.push_back(end); }
  int opens = 0;
  std::vector<SearchEnd> ends;

 private:
  Link& link_;
};

SearchRanges TwoRatesTwoParities() {
  SearchRanges ranges;
  ranges.baud.fill(0);
  ranges.baud[6 - 3] = 1;  // 9600
  ranges.baud[7 - 3] = 1;  // 19200
  ranges.beg = 1;
  ranges.end = 2;
  ranges.parity_non = 1;
  ranges.parity_odd = 0;
  ranges.parity_ev = 1;
  return ranges;
}

TEST_F(Ser2netTest, OverRfc2217ASearchFindsInstrumentsAtEachRateAndParity) {
  Serve(true, {"address=1,baud=19200,parity=none", "address=2,baud=9600,parity=even"});
  if (IsSkipped()) return;
  UseLine(7, 0, 1);
  ASSERT_TRUE(link_.OpenCurrentPort(0).ok);
  // Eight probes, six of them silent: little time for the silence.
  link_.line().timeout = 200;
  for (TimeoutPair& pair : link_.settings().timeouts.by_code) pair.multiplier = 1;
  DeviceSearch search(link_);
  search.SetProbeReads({kMeasuredBlockCount});
  MeasuredValues values;
  uint16_t last_status = 0;
  const SearchProbe probe = [&] {
    const ExchangeOutcome outcome = ReadMeasuredValues(link_, values, last_status);
    return ProbeResult{outcome.status, outcome.exception};
  };
  SearchRecorder host(link_);
  EXPECT_EQ(search.Run(TwoRatesTwoParities(), probe, host), SearchEnd::kCompleted);
  EXPECT_EQ(search.found(), (std::vector<FoundInstrument>{{6, 2, 2}, {7, 1, 0}}));
  // Back on the operator's line, which still reaches its instrument.
  std::vector<uint16_t> identity;
  EXPECT_EQ(ReadIdentity(&identity), 0);
}

TEST_F(Ser2netTest, OverRfc2217TheProgramFollowsTheInstrumentToItsNewLine) {
  Serve(true, {"address=1,baud=19200,parity=none"});
  if (IsSkipped()) return;
  UseLine(7, 0, 1);
  ASSERT_TRUE(link_.OpenCurrentPort(0).ok);
  ProfileValues profile;
  BlockValues values(profile, link_.settings());
  ScriptedDialogs dialogs;
  MapControls controls;
  AddBlockControls(controls);
  ShowExchangeValues(controls, values);
  controls.SetItemIndex("ComboBox19", 0);
  controls.SetItemIndex("ComboBox45", 7);  // address 7
  controls.SetItemIndex("ComboBox46", 3);  // 9600
  controls.SetItemIndex("ComboBox47", 2);  // even
  BlockContext ctx{link_, dialogs, controls, values};
  dialogs.AnswerYes(1);
  ASSERT_EQ(Button25Click(ctx), BlockOutcome::kDone) << dialogs.LastBox().text;
  EXPECT_EQ(link_.line().baud_code, 6);
  EXPECT_EQ(link_.line().parity_code, 2);
  EXPECT_EQ(link_.line().network_address, 7);
  // The instrument answers there, through the gateway set to its new line.
  std::vector<uint16_t> identity;
  EXPECT_EQ(ReadIdentity(&identity), 0);
  EXPECT_EQ(identity, (std::vector<uint16_t>{1, 6, 0}));
}

TEST_F(Ser2netTest, OverRawTcpLineChangesAreRefusedBeforeAnythingIsSent) {
  Serve(false, {"address=1,baud=19200,parity=none"});
  if (IsSkipped()) return;
  UseLine(7, 0, 1);
  ASSERT_TRUE(link_.OpenCurrentPort(0).ok);
  DeviceSearch search(link_);
  SearchRecorder host(link_);
  const SearchProbe probe = [] { return ProbeResult{kStatusNoAnswer, 0}; };
  EXPECT_EQ(search.Run(TwoRatesTwoParities(), probe, host), SearchEnd::kLineFixed);
  EXPECT_EQ(host.opens, 0);

  ProfileValues profile;
  BlockValues values(profile, link_.settings());
  ScriptedDialogs dialogs;
  MapControls controls;
  AddBlockControls(controls);
  ShowExchangeValues(controls, values);
  controls.SetItemIndex("ComboBox46", 3);  // 9600
  BlockContext ctx{link_, dialogs, controls, values};
  EXPECT_EQ(Button25Click(ctx), BlockOutcome::kCancelled);
  EXPECT_EQ(dialogs.LastBox().text, kLineFixedText);
  EXPECT_EQ(sim_.Command("journal"), "");
}

TEST_F(Ser2netTest, AGatewayKilledDuringAPollIsReportedAndServesAgainOnceBack) {
  // Answers after a second: the gateway dies while the read waits.
  Serve(false, {"address=1,baud=19200,parity=none"}, {"--no-pacing", "--turnaround", "1000"});
  if (IsSkipped()) return;
  UseLine(7, 0, 1);
  link_.line().timeout = 3000;
  ASSERT_TRUE(link_.OpenCurrentPort(0).ok);
  std::vector<uint16_t> values;
  ASSERT_EQ(ReadIdentity(&values), 0);

  std::thread killer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    gateway_->Kill();
  });
  const uint16_t status = ReadIdentity(&values);
  killer.join();
  EXPECT_NE(status & kStatusNoAnswer, 0);
  const std::string lost =
      "Ответа не было.\nНет соединения с COM20 (" + gateway_->Address() + "): ";
  EXPECT_EQ(Report(status), lost + "разорвано.");
  // Gone for good until it is started again: refused now.
  EXPECT_EQ(Report(ReadIdentity(&values)), lost + "отказано.");

  ASSERT_TRUE(gateway_->Start());
  const uint16_t back = ReadIdentity(&values);
  EXPECT_EQ(back, 0) << Report(back);
  EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));
  EXPECT_EQ(link_.port_failure(), nullptr);
}

}  // namespace
}  // namespace qmx
