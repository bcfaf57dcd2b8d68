// Serial lines behind a network serial server: raw TCP ("tcp://HOST:PORT",
// the bytes of the line and nothing else; the line settings are the
// gateway's) and RFC 2217 ("rfc2217://HOST:PORT", Telnet with
// COM-PORT-CONTROL: the program sets the remote line and purges it as it
// does a local port).  The operator reaches them by COM number from a list
// kept in the program's settings; the master and everything above it see
// an ordinary SerialPort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/name_lookup.h"
#include "link/port_naming.h"
#include "link/serial_port.h"
#include "link/telnet.h"

namespace qmx {

enum class NetworkKind : uint8_t { kRawTcp, kRfc2217 };

struct NetworkAddress {
  NetworkKind kind = NetworkKind::kRawTcp;
  std::string host;
  uint16_t port = 0;
  bool operator==(const NetworkAddress&) const = default;
};

// "tcp://10.0.0.5:4001", "rfc2217://gw.local:4001", "tcp://[::1]:4001";
// nothing for any other text (no scheme, no port, port 0 or above 65535).
std::optional<NetworkAddress> ParseNetworkAddress(const std::string& text);
std::string NetworkAddressText(const NetworkAddress& address);

// One network port of the settings: the COM number the operator uses and
// where it leads.  margin_ms is added to every read's total time-out; 0 lets
// the port take it from the round trip of its connect.
struct NetworkPortEntry {
  uint16_t number = 0;
  NetworkAddress address;
  uint32_t margin_ms = 0;
  bool operator==(const NetworkPortEntry&) const = default;
};

// Whether the first `size` bytes are a whole Modbus RTU answer: the length
// its function code (or exception bit) gives, and a CRC that agrees.
bool IsWholeRtuAnswer(const uint8_t* bytes, size_t size);

// Why a connection is not there, as the operator reads it after "нет
// соединения с ...".
inline constexpr char kConnectionRefused[] = "отказано";
inline constexpr char kConnectionNoAnswer[] = "нет ответа";
inline constexpr char kConnectionBroken[] = "разорвано";
inline constexpr char kConnectionNoHost[] = "адрес не найден";

// Time given to a connect before it counts as "нет ответа".
inline constexpr int64_t kConnectTimeoutMs = 3000;

class NetworkSerialPort final : public SerialPort {
 public:
  // Starts the connect without waiting for it: the first read completes it
  // (pumping the window meanwhile), a write before that is held back until
  // then.  Null only when the connect fails at once (no such host, refused
  // on the spot), with the cause in `error` and the operator's word for it
  // in `cause`.
  static std::unique_ptr<NetworkSerialPort> Connect(const NetworkPortEntry& entry,
                                                    const LineConfig& config, std::string* error,
                                                    std::string* cause);
  // A port over an already connected stream socket (tests: a socketpair).
  static std::unique_ptr<NetworkSerialPort> Adopt(int fd, NetworkKind kind, uint32_t margin_ms,
                                                  const LineConfig& config);
  ~NetworkSerialPort() override;
  NetworkSerialPort(const NetworkSerialPort&) = delete;
  NetworkSerialPort& operator=(const NetworkSerialPort&) = delete;

  // RFC 2217: sends the line to the server.  Raw TCP: the line is the
  // gateway's, nothing can be sent.
  bool Configure(const LineConfig& config) override;
  void SetTimeouts(const ReadTimeouts& timeouts) override { timeouts_ = timeouts; }
  // Drops what has been received; RFC 2217 also purges the server's buffers.
  void Purge() override;
  void SetBufferSizes(size_t, size_t) override {}
  // A network server reports no line errors here.
  uint32_t ClearErrors() override { return 0; }
  size_t Write(const uint8_t* data, size_t size) override;
  // Ends when a whole Modbus RTU answer is in, `size` bytes are in, or the
  // total time-out (plus the margin) runs out; the interval time-out means
  // nothing over a network, whose gaps say nothing about the line.
  size_t Read(uint8_t* data, size_t size, const EventPump* pump) override;
  void SetWaiter(Waiter* waiter) override { waiter_ = waiter; }
  void SetRts(bool on) override;
  void SetDtr(bool on) override;
  bool Gone() override;
  std::string GoneCause() const override { return gone_ ? cause_ : std::string(); }

  NetworkKind kind() const { return kind_; }
  uint32_t margin_ms() const { return margin_ms_; }
  bool connected() const { return connected_; }

 private:
  NetworkSerialPort(int fd, NetworkKind kind) : fd_(fd), kind_(kind) {}
  // Whether `fd` is ready for `events`, waiting at most `left_us` for it:
  // the whole time through the waiter, else one slice of poll().
  bool WaitReady(int fd, short events, int64_t left_us);
  // Completes a connect in progress within `wait_ms` (0: only looks).
  bool FinishConnect(int64_t wait_ms, const EventPump* pump);
  // The socket and its connect, once the name is known; false with the
  // cause when it failed at once.
  bool StartConnect(const char** cause, std::string* detail);
  void Connected();
  void Queue(const std::vector<uint8_t>& bytes);
  // Sends what waits, without blocking; false when the connection broke.
  bool Flush();
  // Takes whatever the socket holds now into rx_; false on a broken one.
  bool Receive();
  void Lose(const char* cause);

  int fd_;
  NetworkKind kind_;
  bool connected_ = false;
  bool gone_ = false;
  std::string cause_;
  int64_t connect_started_us_ = 0;
  int64_t deadline_us_ = 0;             // of the connect, name lookup included
  std::unique_ptr<NameLookup> lookup_;  // while the name is looked up
  uint32_t margin_ms_ = 0;
  bool auto_margin_ = false;
  ReadTimeouts timeouts_;
  std::vector<uint8_t> out_;
  std::vector<uint8_t> rx_;
  telnet::Parser parser_;
  telnet::Negotiator negotiator_;
  Waiter* waiter_ = nullptr;
};

// The network ports of the settings over the local ports: a COM number in
// the list is its network port, any other goes to `local`.  Listing a
// network port connects to nothing.
class NetworkPortProvider final : public PortProvider, public PortInspector {
 public:
  explicit NetworkPortProvider(PortProvider& local) : local_(local) {}

  void SetEntries(std::vector<NetworkPortEntry> entries) { entries_ = std::move(entries); }
  const std::vector<NetworkPortEntry>& entries() const { return entries_; }
  const NetworkPortEntry* Find(uint16_t number) const;

  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override;
  std::string DevicePath(uint16_t number) override;
  bool LineFixed(uint16_t number) override;

  PortFault Probe(uint16_t number) override;
  PortFault last_open_fault() const override { return last_open_fault_; }
  std::string last_open_cause() const override { return last_open_cause_; }
  PortDevice Describe(uint16_t number) override;

 private:
  PortProvider& local_;
  std::vector<NetworkPortEntry> entries_;
  PortFault last_open_fault_ = PortFault::kNone;
  std::string last_open_cause_;
};

}  // namespace qmx
