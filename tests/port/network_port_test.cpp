// Network serial ports over a socketpair and loopback: addresses, the end
// of a read at a whole Modbus answer, the Telnet bytes on the wire, and a
// connection that is refused or dropped.
#include "link/network_port.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "link/clock.h"
#include "link/link.h"
#include "link/port_description.h"
#include "support/fake_serial_port.h"

namespace qmx {
namespace {

using Bytes = std::vector<uint8_t>;
using test::WithCrc;

TEST(NetworkAddressTest, ParsesTheTwoKindsAndRefusesEverythingElse) {
  struct Row {
    const char* text;
    bool ok;
    NetworkAddress address;
  };
  const Row rows[] = {
      {"tcp://10.0.0.5:4001", true, {NetworkKind::kRawTcp, "10.0.0.5", 4001}},
      {"rfc2217://gw.local:65535", true, {NetworkKind::kRfc2217, "gw.local", 65535}},
      {"tcp://[::1]:23", true, {NetworkKind::kRawTcp, "::1", 23}},
      {"tcp://10.0.0.5", false, {}},
      {"tcp://10.0.0.5:0", false, {}},
      {"tcp://10.0.0.5:65536", false, {}},
      {"tcp://:4001", false, {}},
      {"tcp://10.0.0.5:40a1", false, {}},
      {"telnet://10.0.0.5:4001", false, {}},
      {"COM20", false, {}},
      {"tcp://::1:23", false, {}},
  };
  for (const Row& row : rows) {
    const std::optional<NetworkAddress> parsed = ParseNetworkAddress(row.text);
    ASSERT_EQ(parsed.has_value(), row.ok) << row.text;
    if (!row.ok) continue;
    EXPECT_EQ(*parsed, row.address) << row.text;
    EXPECT_EQ(NetworkAddressText(*parsed), row.text);
  }
}

TEST(RtuAnswerTest, WholeAtTheLengthOfItsFunctionWithAGoodCrc) {
  const Bytes read = WithCrc({1, 3, 4, 0, 1, 0, 2});
  const Bytes exception = WithCrc({1, 0x83, 2});
  const Bytes write = WithCrc({1, 16, 0, 5, 0, 2});
  for (const Bytes& frame : {read, exception, write}) {
    EXPECT_TRUE(IsWholeRtuAnswer(frame.data(), frame.size()));
    EXPECT_FALSE(IsWholeRtuAnswer(frame.data(), frame.size() - 1));
    Bytes bad = frame;
    bad.back() ^= 1;
    EXPECT_FALSE(IsWholeRtuAnswer(bad.data(), bad.size()));
  }
  const Bytes unknown = WithCrc({1, 0x11, 0});
  EXPECT_FALSE(IsWholeRtuAnswer(unknown.data(), unknown.size()));
}

// Our end of a socketpair as a network port, the other end for the test.
struct Pair {
  explicit Pair(NetworkKind kind, LineConfig config = {}) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return;
    peer = fds[1];
    port = NetworkSerialPort::Adopt(fds[0], kind, 0, config);
    port->SetTimeouts(ReadTimeouts{5, 0, 20000});
  }
  ~Pair() {
    if (peer >= 0) ::close(peer);
  }
  void Send(const Bytes& bytes) const {
    ASSERT_EQ(::send(peer, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  }
  // Everything the port has sent so far.
  Bytes Take() const {
    Bytes out(4096);
    const ssize_t n = ::recv(peer, out.data(), out.size(), MSG_DONTWAIT);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
  }
  std::unique_ptr<NetworkSerialPort> port;
  int peer = -1;
};

TEST(NetworkPortTest, AReadEndsAtAWholeAnswerNotAtAGapInTheStream) {
  for (NetworkKind kind : {NetworkKind::kRawTcp, NetworkKind::kRfc2217}) {
    Pair pair(kind);
    ASSERT_NE(pair.port, nullptr);
    const Bytes answer = WithCrc({1, 3, 4, 0x12, 0x34, 0x56, 0x78});
    // A gap of twenty read intervals in the middle of the answer.
    std::thread sender([&] {
      pair.Send(Bytes(answer.begin(), answer.begin() + 4));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      pair.Send(Bytes(answer.begin() + 4, answer.end()));
    });
    uint8_t got[32] = {};
    const auto start = std::chrono::steady_clock::now();
    const size_t n = pair.port->Read(got, answer.size() + 2, nullptr);
    const auto took = std::chrono::steady_clock::now() - start;
    sender.join();
    EXPECT_EQ(Bytes(got, got + n), answer);
    // Long before the 20 s total: the whole answer ended the read.
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_FALSE(pair.port->Gone());
  }
}

TEST(NetworkPortTest, Rfc2217EscapesTheLineBothWaysAndSpeaksComPortControl) {
  Pair pair(NetworkKind::kRfc2217, LineConfig{9600, Parity::kOdd, 8, 1});
  ASSERT_NE(pair.port, nullptr);
  Bytes expected = telnet::OpeningNegotiation();
  const Bytes line = telnet::LineRequests(LineConfig{9600, Parity::kOdd, 8, 1});
  expected.insert(expected.end(), line.begin(), line.end());
  EXPECT_EQ(pair.Take(), expected);

  pair.port->Purge();
  EXPECT_EQ(pair.Take(), telnet::ComPortRequest(telnet::kPurgeData, {telnet::kPurgeBoth}));
  const Bytes request = {1, 0xFF, 2};
  EXPECT_EQ(pair.port->Write(request.data(), request.size()), 3u);
  EXPECT_EQ(pair.Take(), (Bytes{1, 0xFF, 0xFF, 2}));

  // The server asks for echo in the middle of an answer whose value holds an
  // escaped 255; the answer comes whole, the echo is refused.
  const Bytes answer = WithCrc({1, 3, 2, 0xFF, 0x01});
  Bytes wire = {answer[0], answer[1], telnet::kIac, telnet::kDo, 1};
  telnet::AppendEscaped(answer.data() + 2, answer.size() - 2, &wire);
  pair.Send(wire);
  uint8_t got[16] = {};
  const size_t n = pair.port->Read(got, answer.size() + 2, nullptr);
  EXPECT_EQ(Bytes(got, got + n), answer);
  EXPECT_EQ(pair.Take(), (Bytes{telnet::kIac, telnet::kWont, 1}));
}

TEST(NetworkPortTest, RawTcpSendsTheLineAsItIsAndNoSettings) {
  Pair pair(NetworkKind::kRawTcp, LineConfig{9600, Parity::kOdd, 8, 1});
  ASSERT_NE(pair.port, nullptr);
  pair.port->Purge();
  pair.port->SetDtr(true);
  const Bytes request = {1, 0xFF, 2};
  pair.port->Write(request.data(), request.size());
  EXPECT_EQ(pair.Take(), request);
}

TEST(NetworkPortTest, ADroppedConnectionIsGoneAndSaysSo) {
  Pair pair(NetworkKind::kRawTcp);
  ASSERT_NE(pair.port, nullptr);
  ::close(pair.peer);
  pair.peer = -1;
  uint8_t got[8];
  EXPECT_EQ(pair.port->Read(got, sizeof got, nullptr), 0u);
  EXPECT_TRUE(pair.port->Gone());
  EXPECT_EQ(pair.port->GoneCause(), kConnectionBroken);
}

// A loopback TCP port nobody listens on.
uint16_t ClosedLoopbackPort() {
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

TEST(NetworkPortProviderTest, ListedNumbersLeadToTheirAddressOthersToTheLocalPorts) {
  test::NoPortProvider local;
  NetworkPortProvider ports(local);
  ports.SetEntries({{20, {NetworkKind::kRfc2217, "10.0.0.5", 4001}, 0},
                    {21, {NetworkKind::kRawTcp, "10.0.0.6", 4002}, 0}});
  EXPECT_EQ(PortLineText(20, ports.Describe(20), false), "COM20 — rfc2217://10.0.0.5:4001");
  EXPECT_EQ(ports.DevicePath(21), "tcp://10.0.0.6:4002");
  EXPECT_FALSE(ports.LineFixed(20));
  EXPECT_TRUE(ports.LineFixed(21));
  EXPECT_FALSE(ports.LineFixed(1));
  EXPECT_EQ(ports.Probe(20), PortFault::kNone);
}

TEST(NetworkPortProviderTest, ARefusedConnectReachesTheOperatorThroughTheLink) {
  test::NoPortProvider local;
  NetworkPortProvider ports(local);
  const uint16_t tcp_port = ClosedLoopbackPort();
  ports.SetEntries({{20, {NetworkKind::kRawTcp, "127.0.0.1", tcp_port}, 0}});
  VirtualClock clock;
  Link link(ports, clock);
  link.line().port_number = 20;
  link.OpenCurrentPort(0);
  uint16_t values[1] = {};
  uint16_t exception = 0;
  EXPECT_NE(link.ReadHoldingRegisters(0, 1, values, &exception), 0);
  const PortFailure* failure = link.port_failure();
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->fault, PortFault::kNoConnection);
  EXPECT_EQ(failure->cause, kConnectionRefused);
  EXPECT_EQ(failure->device, "tcp://127.0.0.1:" + std::to_string(tcp_port));
}

}  // namespace
}  // namespace qmx
