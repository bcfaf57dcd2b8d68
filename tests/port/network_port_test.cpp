// Network serial ports over a socketpair and loopback: addresses, the end
// of a read at a whole Modbus answer, the Telnet bytes on the wire, and a
// connection that is dropped or refused.
#include "link/network_port.h"

#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "link/link.h"
#include "link/port_description.h"
#include "port_test_util.h"
#include "support/fake_serial_port.h"

namespace qmx {
namespace {

using Bytes = std::vector<uint8_t>;
using test::WithCrc;

TEST(NetworkAddressTest, ParsesTheTwoKindsAndRefusesEverythingElse) {
  const std::pair<const char*, std::optional<NetworkAddress>> rows[] = {
      {"tcp://10.0.0.5:4001", NetworkAddress{NetworkKind::kRawTcp, "10.0.0.5", 4001}},
      {"rfc2217://gw.local:65535", NetworkAddress{NetworkKind::kRfc2217, "gw.local", 65535}},
      {"tcp://[::1]:23", NetworkAddress{NetworkKind::kRawTcp, "::1", 23}},
      {"tcp://10.0.0.5", std::nullopt},
      {"tcp://10.0.0.5:0", std::nullopt},
      {"tcp://10.0.0.5:65536", std::nullopt},
      {"tcp://:4001", std::nullopt},
      {"tcp://10.0.0.5:40a1", std::nullopt},
      {"telnet://10.0.0.5:4001", std::nullopt},
      {"tcp://::1:23", std::nullopt},
  };
  for (const auto& [text, address] : rows) {
    EXPECT_EQ(ParseNetworkAddress(text), address) << text;
    if (address) {
      EXPECT_EQ(NetworkAddressText(*address), text);
    }
  }
}

TEST(RtuAnswerTest, WholeAtTheLengthOfItsFunctionWithAGoodCrc) {
  for (const Bytes& frame :
       {WithCrc({1, 3, 4, 0, 1, 0, 2}), WithCrc({1, 0x83, 2}), WithCrc({1, 16, 0, 5, 0, 2})}) {
    EXPECT_TRUE(IsWholeRtuAnswer(frame.data(), frame.size()));
    EXPECT_FALSE(IsWholeRtuAnswer(frame.data(), frame.size() - 1));
    Bytes bad = frame;
    bad.back() ^= 1;
    EXPECT_FALSE(IsWholeRtuAnswer(bad.data(), bad.size()));
  }
}

// Our end of a socketpair as a network port, the other end the test's.
struct Pair {
  explicit Pair(NetworkKind kind, LineConfig config = {}) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return;
    peer = fds[1];
    port = NetworkSerialPort::Adopt(fds[0], kind, 0, config);
    port->SetTimeouts(ReadTimeouts{5, 0, 20000});
  }
  ~Pair() { ::close(peer); }
  void Send(const Bytes& bytes) const { ::send(peer, bytes.data(), bytes.size(), 0); }
  Bytes Take() const {  // all the port has sent so far
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
    const Bytes answer = WithCrc({1, 3, 4, 0x12, 0x34, 0x56, 0x78});
    std::thread sender([&] {  // a gap of twenty read intervals in the middle
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
    EXPECT_LT(took, std::chrono::seconds(10));  // long before the 20 s total
  }
}

TEST(NetworkPortTest, Rfc2217EscapesTheLineBothWaysAndSpeaksComPortControl) {
  const LineConfig line{9600, Parity::kOdd, 8, 1};
  Pair pair(NetworkKind::kRfc2217, line);
  Bytes expected = telnet::OpeningNegotiation();
  const Bytes requests = telnet::LineRequests(line);
  expected.insert(expected.end(), requests.begin(), requests.end());
  EXPECT_EQ(pair.Take(), expected);
  pair.port->Purge();
  EXPECT_EQ(pair.Take(), telnet::ComPortRequest(telnet::kPurgeData, {telnet::kPurgeBoth}));
  const Bytes request = {1, 0xFF, 2};
  EXPECT_EQ(pair.port->Write(request.data(), request.size()), 3u);
  EXPECT_EQ(pair.Take(), (Bytes{1, 0xFF, 0xFF, 2}));

  // The server asks for echo inside an answer holding an escaped 255: the
  // answer comes whole, the echo is refused.
  const Bytes answer = WithCrc({1, 3, 2, 0xFF, 0x01});
  Bytes wire = {answer[0], answer[1], telnet::kIac, telnet::kDo, 1};
  telnet::AppendEscaped(answer.data() + 2, answer.size() - 2, &wire);
  pair.Send(wire);
  uint8_t got[16] = {};
  const size_t n = pair.port->Read(got, answer.size() + 2, nullptr);
  EXPECT_EQ(Bytes(got, got + n), answer);
  EXPECT_EQ(pair.Take(), (Bytes{telnet::kIac, telnet::kWont, 1}));

  // Raw TCP: the bytes as they are, no line settings, no purge request.
  Pair raw(NetworkKind::kRawTcp, line);
  raw.port->Purge();
  raw.port->Write(request.data(), request.size());
  EXPECT_EQ(raw.Take(), request);
}

TEST(NetworkPortTest, ADroppedConnectionIsGoneAndSaysSo) {
  Pair pair(NetworkKind::kRawTcp);
  ::close(pair.peer);
  pair.peer = -1;
  uint8_t got[8];
  EXPECT_EQ(pair.port->Read(got, sizeof got, nullptr), 0u);
  EXPECT_TRUE(pair.port->Gone());
  EXPECT_EQ(pair.port->GoneCause(), kConnectionBroken);
}

// A gateway given by name: the name is looked up beside the caller, who
// waits for it through its waiter, then the exchange runs as by address.
TEST(NetworkPortTest, AGatewayByNameIsLookedUpWhileTheFirstExchangeWaits) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* local = nullptr;
  ASSERT_EQ(::getaddrinfo("localhost", "0", &hints, &local), 0);
  const int listener = ::socket(local->ai_family, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(listener, local->ai_addr, local->ai_addrlen), 0);
  ::freeaddrinfo(local);
  ASSERT_EQ(::listen(listener, 1), 0);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &length);
  const uint16_t tcp_port =
      ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                        : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);

  std::string error;
  auto port = NetworkSerialPort::Connect({20, {NetworkKind::kRawTcp, "localhost", tcp_port}, 0},
                                         LineConfig{}, &error, nullptr);
  ASSERT_NE(port, nullptr) << error;
  PollWaiter waiter;
  port->SetWaiter(&waiter);
  port->SetTimeouts({0, 0, 2000});
  const Bytes request = WithCrc({1, 3, 0, 0, 0, 1});
  port->Write(request.data(), request.size());
  std::thread gateway([&] {
    const int peer = ::accept(listener, nullptr, nullptr);
    uint8_t got[8];
    if (::recv(peer, got, sizeof got, MSG_WAITALL) == 8) {
      const Bytes answer = WithCrc({1, 3, 2, 0x12, 0x34});
      ::send(peer, answer.data(), answer.size(), 0);
    }
    ::close(peer);
  });
  uint8_t answer[7];
  EXPECT_EQ(port->Read(answer, sizeof answer, nullptr), sizeof answer);
  EXPECT_EQ(answer[3], 0x12);
  gateway.join();
  ::close(listener);

  // A name that is nowhere: the port's trouble, as a refused connection is.
  auto nowhere = NetworkSerialPort::Connect(
      {21, {NetworkKind::kRawTcp, "qmx41-no-such-gateway.invalid", 4001}, 0}, LineConfig{}, &error,
      nullptr);
  ASSERT_NE(nowhere, nullptr);
  nowhere->SetWaiter(&waiter);
  EXPECT_EQ(nowhere->Read(answer, sizeof answer, nullptr), 0u);
  EXPECT_TRUE(nowhere->Gone());
  EXPECT_TRUE(nowhere->GoneCause() == kConnectionNoHost ||
              nowhere->GoneCause() == kConnectionNoAnswer)
      << nowhere->GoneCause();
}

TEST(NetworkPortProviderTest, ARefusedConnectReachesTheOperatorThroughTheLink) {
  test::NoPortProvider local;
  NetworkPortProvider ports(local);
  const uint16_t tcp_port = test::FreeLoopbackPort();
  ports.SetEntries({{20, {NetworkKind::kRawTcp, "127.0.0.1", tcp_port}, 0},
                    {21, {NetworkKind::kRfc2217, "10.0.0.5", 4001}, 0}});
  EXPECT_EQ(PortLineText(21, ports.Describe(21), false), "COM21 — rfc2217://10.0.0.5:4001");
  EXPECT_EQ(ports.Probe(21), PortFault::kNone);  // listed without a connection
  EXPECT_TRUE(ports.LineFixed(20));
  EXPECT_FALSE(ports.LineFixed(21));
  EXPECT_FALSE(ports.LineFixed(1));

  VirtualClock clock;
  Link link(ports, clock);
  link.line().port_number = 20;
  link.OpenCurrentPort(0);
  uint16_t value = 0, exception = 0;
  EXPECT_NE(link.ReadHoldingRegisters(0, 1, &value, &exception), 0);
  const PortFailure* failure = link.port_failure();
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->fault, PortFault::kNoConnection);
  EXPECT_EQ(failure->cause, kConnectionRefused);
  EXPECT_EQ(failure->device, "tcp://127.0.0.1:" + std::to_string(tcp_port));
}

}  // namespace
}  // namespace qmx
