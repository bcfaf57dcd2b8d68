#include "link/network_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "link/clock.h"
#include "link/crc16.h"

namespace qmx {
namespace {

// Longest single wait, so the window keeps breathing during a long read.
constexpr int64_t kSliceUs = 10'000;
// A read whose time-outs set no total gets this much.
constexpr int64_t kFallbackTotalMs = 2000;
// The margin taken from the connect's round trip: a few round trips for the
// request and the answer, never less than the floor, never more than the cap.
constexpr int64_t kMarginFloorMs = 50;
constexpr int64_t kMarginCapMs = 1000;
constexpr int64_t kMarginRoundTrips = 4;
// Keepalive: a connection silent this long is probed, and given up after
// the probes go unanswered.
constexpr int kKeepIdleS = 10;
constexpr int kKeepIntervalS = 5;
constexpr int kKeepCount = 3;

int64_t NowUs() {
  return MonotonicNowUs();
}

int SliceMs(int64_t left_us) {
  return PollSliceMs(left_us, kSliceUs);
}

const char* CauseOfErrno(int err) {
  switch (err) {
    case ECONNREFUSED:
      return kConnectionRefused;
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
    case ENETDOWN:
      return kConnectionNoAnswer;
    default:
      return kConnectionBroken;
  }
}

void SetSocketOptions(int fd) {
  // Options a socketpair in the tests refuses are simply not there.
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
#ifdef TCP_KEEPIDLE
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleS, sizeof kKeepIdleS);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalS, sizeof kKeepIntervalS);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepCount, sizeof kKeepCount);
#endif
}

// Answer lengths by function code: reads carry their byte count in the
// third byte, writes echo eight bytes; 0 = not known here.
size_t RtuAnswerLength(const uint8_t* bytes, size_t size) {
  if (size < 2) return 0;
  const uint8_t function = bytes[1];
  if (function & 0x80) return 5;
  switch (function) {
    case 1:
    case 2:
    case 3:
    case 4:
      return size < 3 ? 0 : 5u + bytes[2];
    case 5:
    case 6:
    case 15:
    case 16:
      return 8;
    default:
      return 0;
  }
}

}  // namespace

std::optional<NetworkAddress> ParseNetworkAddress(const std::string& text) {
  NetworkAddress address;
  std::string rest;
  for (const auto& [scheme, kind] :
       {std::pair<const char*, NetworkKind>{"tcp://", NetworkKind::kRawTcp},
        {"rfc2217://", NetworkKind::kRfc2217}}) {
    if (text.rfind(scheme, 0) == 0) {
      address.kind = kind;
      rest = text.substr(std::strlen(scheme));
      break;
    }
  }
  if (rest.empty()) return std::nullopt;
  size_t colon = 0;
  if (rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
      return std::nullopt;
    }
    address.host = rest.substr(1, close - 1);
    colon = close + 1;
  } else {
    colon = rest.rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    address.host = rest.substr(0, colon);
    if (address.host.find(':') != std::string::npos) return std::nullopt;
  }
  const std::string digits = rest.substr(colon + 1);
  if (address.host.empty() || digits.empty() || digits.size() > 5 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const unsigned long port = std::stoul(digits);
  if (port == 0 || port > 65535) return std::nullopt;
  address.port = static_cast<uint16_t>(port);
  return address;
}

std::string NetworkAddressText(const NetworkAddress& address) {
  const std::string host =
      address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
  return std::string(address.kind == NetworkKind::kRfc2217 ? "rfc2217://" : "tcp://") + host + ":" +
         std::to_string(address.port);
}

bool IsWholeRtuAnswer(const uint8_t* bytes, size_t size) {
  const size_t length = RtuAnswerLength(bytes, size);
  if (length < 4 || size != length) return false;
  const uint16_t crc = Crc16(bytes, length - 2);
  return bytes[length - 2] == (crc & 0xFF) && bytes[length - 1] == (crc >> 8);
}

std::unique_ptr<NetworkSerialPort> NetworkSerialPort::Connect(const NetworkPortEntry& entry,
                                                              const LineConfig& config,
                                                              std::string* error,
                                                              std::string* cause) {
  const std::string where = NetworkAddressText(entry.address);
  auto fail = [&](const char* why, const std::string& detail) {
    if (cause != nullptr) *cause = why;
    if (error != nullptr) *error = where + ": " + detail;
    return nullptr;
  };
  std::unique_ptr<NetworkSerialPort> port(new NetworkSerialPort(-1, entry.address.kind));
  port->connect_started_us_ = NowUs();
  port->deadline_us_ = port->connect_started_us_ + kConnectTimeoutMs * 1000;
  port->margin_ms_ = entry.margin_ms;
  port->auto_margin_ = entry.margin_ms == 0;
  if (port->kind_ == NetworkKind::kRfc2217) port->Queue(telnet::OpeningNegotiation());
  port->Configure(config);
  port->lookup_ =
      std::make_unique<NameLookup>(entry.address.host, std::to_string(entry.address.port));
  // An address in figures connects here and says at once what went wrong; a
  // name is looked up while the first exchange waits for the connection.
  if (port->lookup_->Done()) {
    const char* why = nullptr;
    std::string detail;
    if (!port->StartConnect(&why, &detail)) return fail(why, detail);
  }
  if (error != nullptr) error->clear();
  return port;
}

bool NetworkSerialPort::StartConnect(const char** cause, std::string* detail) {
  const std::unique_ptr<NameLookup> lookup = std::move(lookup_);
  const addrinfo* found = lookup->Result(detail);
  if (found == nullptr) {
    *cause = kConnectionNoHost;
    return false;
  }
  const int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          found->ai_protocol);
  if (fd < 0) {
    *cause = kConnectionBroken;
    *detail = std::strerror(errno);
    return false;
  }
  fd_ = fd;
  SetSocketOptions(fd);
  connect_started_us_ = NowUs();
  const int rc = ::connect(fd, found->ai_addr, found->ai_addrlen);
  const int err = errno;
  if (rc != 0 && err != EINPROGRESS) {
    *cause = CauseOfErrno(err);
    *detail = std::strerror(err);
    return false;
  }
  if (rc == 0) Connected();
  return true;
}

std::unique_ptr<NetworkSerialPort> NetworkSerialPort::Adopt(int fd, NetworkKind kind,
                                                            uint32_t margin_ms,
                                                            const LineConfig& config) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  SetSocketOptions(fd);
  std::unique_ptr<NetworkSerialPort> port(new NetworkSerialPort(fd, kind));
  port->margin_ms_ = margin_ms;
  if (kind == NetworkKind::kRfc2217) port->Queue(telnet::OpeningNegotiation());
  port->Configure(config);
  port->connected_ = true;
  port->Flush();
  return port;
}

NetworkSerialPort::~NetworkSerialPort() {
  if (fd_ >= 0) ::close(fd_);
}

void NetworkSerialPort::Connected() {
  connected_ = true;
  if (auto_margin_) {
    const int64_t round_trip_ms = (NowUs() - connect_started_us_ + 999) / 1000;
    margin_ms_ = static_cast<uint32_t>(std::clamp(
        kMarginFloorMs + kMarginRoundTrips * round_trip_ms, kMarginFloorMs, kMarginCapMs));
  }
  Flush();
}

void NetworkSerialPort::Lose(const char* cause) {
  if (!gone_) cause_ = cause;
  gone_ = true;
}

bool NetworkSerialPort::WaitReady(int fd, short events, int64_t left_us) {
  pollfd pfd{fd, events, 0};
  if (::poll(&pfd, 1, 0) > 0) return true;
  if (left_us <= 0) return false;
  if (waiter_ == nullptr) return ::poll(&pfd, 1, SliceMs(left_us)) > 0;
  waiter_->WaitFor(fd, events, (left_us + 999) / 1000);
  return ::poll(&pfd, 1, 0) > 0;
}

bool NetworkSerialPort::FinishConnect(int64_t wait_ms, const EventPump* pump) {
  if (connected_) return true;
  if (gone_) return false;
  const int64_t deadline = deadline_us_;
  const int64_t wait_end = NowUs() + wait_ms * 1000;
  // The name first, within the same time-out.
  while (lookup_ != nullptr && !lookup_->Done()) {
    const int64_t left = std::min(deadline, wait_end) - NowUs();
    if (left <= 0) {
      if (NowUs() >= deadline) Lose(kConnectionNoAnswer);
      return false;
    }
    WaitReady(lookup_->fd(), POLLIN, left);
    if (waiter_ == nullptr && pump != nullptr && *pump) (*pump)();
  }
  if (lookup_ != nullptr) {
    const char* why = nullptr;
    std::string detail;
    if (!StartConnect(&why, &detail)) {
      Lose(why);
      return false;
    }
    if (connected_) return !gone_;
  }
  for (;;) {
    const int64_t now = NowUs();
    const int64_t left = std::min(deadline, wait_end) - now;
    if (WaitReady(fd_, POLLOUT, left)) {
      int err = 0;
      socklen_t length = sizeof err;
      if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &length) != 0) err = errno;
      if (err != 0) {
        Lose(CauseOfErrno(err));
        return false;
      }
      Connected();
      return !gone_;
    }
    if (NowUs() >= deadline) {
      Lose(kConnectionNoAnswer);
      return false;
    }
    if (NowUs() >= wait_end) return false;
    if (waiter_ == nullptr && pump != nullptr && *pump) (*pump)();
  }
}

void NetworkSerialPort::Queue(const std::vector<uint8_t>& bytes) {
  out_.insert(out_.end(), bytes.begin(), bytes.end());
}

bool NetworkSerialPort::Flush() {
  if (!connected_ || gone_) return !gone_;
  size_t sent = 0;
  while (sent < out_.size()) {
    const ssize_t n = ::send(fd_, out_.data() + sent, out_.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    Lose(kConnectionBroken);
    return false;
  }
  out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(sent));
  return true;
}

bool NetworkSerialPort::Receive() {
  uint8_t buffer[512];
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) {
      if (kind_ == NetworkKind::kRfc2217) {
        std::vector<telnet::Command> commands;
        parser_.Feed(buffer, static_cast<size_t>(n), &rx_, &commands);
        for (const telnet::Command& command : commands) Queue(negotiator_.Answer(command));
        if (!commands.empty() && !Flush()) return false;
      } else {
        rx_.insert(rx_.end(), buffer, buffer + n);
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    Lose(n == 0 ? kConnectionBroken : CauseOfErrno(errno));
    return false;
  }
}

bool NetworkSerialPort::Configure(const LineConfig& config) {
  if (kind_ != NetworkKind::kRfc2217) return true;
  Queue(telnet::LineRequests(config));
  return Flush();
}

void NetworkSerialPort::Purge() {
  if (gone_) return;
  if (connected_) Receive();
  rx_.clear();
  if (kind_ == NetworkKind::kRfc2217 && connected_) {
    Queue(telnet::ComPortRequest(telnet::kPurgeData, {telnet::kPurgeBoth}));
    Flush();
  }
}

size_t NetworkSerialPort::Write(const uint8_t* data, size_t size) {
  if (gone_) return 0;
  if (kind_ == NetworkKind::kRfc2217) {
    telnet::AppendEscaped(data, size, &out_);
  } else {
    out_.insert(out_.end(), data, data + size);
  }
  // Before the connect is through the bytes wait; the read sends them.
  if (!FinishConnect(0, nullptr)) return gone_ ? 0 : size;
  return Flush() ? size : 0;
}

size_t NetworkSerialPort::Read(uint8_t* data, size_t size, const EventPump* pump) {
  if (gone_ || size == 0) return 0;
  if (!connected_ && !FinishConnect(kConnectTimeoutMs, pump)) return 0;
  // The time-outs count from the moment the request is on its way.
  const int64_t start = NowUs();
  int64_t total_ms = static_cast<int64_t>(timeouts_.multiplier_ms) * static_cast<int64_t>(size) +
                     timeouts_.constant_ms;
  if (total_ms <= 0) total_ms = kFallbackTotalMs;
  const int64_t deadline = start + (total_ms + margin_ms_) * 1000;
  size_t got = 0;
  for (;;) {
    if (!Receive() && rx_.empty()) return got;
    // Byte by byte, so that the read stops exactly at the end of an answer;
    // anything behind it stays for the purge of the next transaction.
    size_t taken = 0;
    bool whole = false;
    while (taken < rx_.size() && got < size && !whole) {
      data[got++] = rx_[taken++];
      whole = IsWholeRtuAnswer(data, got);
    }
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(taken));
    if (whole || got == size || gone_) return got;
    const int64_t left = deadline - NowUs();
    if (left <= 0) return got;
    const short events = static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT));
    if (waiter_ != nullptr) {
      // The whole wait at once, the window serving its events inside it.
      // A peer that closed wakes it; the next receive finds out.
      waiter_->WaitFor(fd_, events, (left + 999) / 1000);
      if (!out_.empty() && !Flush()) return got;
      continue;
    }
    pollfd pfd{fd_, events, 0};
    const int ready = ::poll(&pfd, 1, SliceMs(left));
    if (ready < 0 && errno != EINTR) {
      Lose(kConnectionBroken);
      return got;
    }
    if (ready > 0 && (pfd.revents & POLLOUT) != 0 && !Flush()) return got;
    if (pump != nullptr && *pump) (*pump)();
  }
}

void NetworkSerialPort::SetRts(bool on) {
  if (kind_ != NetworkKind::kRfc2217 || gone_) return;
  Queue(telnet::ComPortRequest(telnet::kSetControl,
                               {on ? telnet::kControlRtsOn : telnet::kControlRtsOff}));
  Flush();
}

void NetworkSerialPort::SetDtr(bool on) {
  if (kind_ != NetworkKind::kRfc2217 || gone_) return;
  Queue(telnet::ComPortRequest(telnet::kSetControl,
                               {on ? telnet::kControlDtrOn : telnet::kControlDtrOff}));
  Flush();
}

bool NetworkSerialPort::Gone() {
  if (gone_) return true;
  if (!connected_) {
    FinishConnect(0, nullptr);
    return gone_;
  }
  // A gateway that closed the connection while the program was idle says
  // so to poll(); whatever it sent before is taken first.
  pollfd pfd{fd_, POLLIN | POLLRDHUP, 0};
  if (::poll(&pfd, 1, 0) > 0) {
    if ((pfd.revents & (POLLHUP | POLLERR | POLLRDHUP)) != 0) {
      Receive();
      Lose(kConnectionBroken);
    } else if ((pfd.revents & POLLIN) != 0) {
      Receive();
    }
  }
  return gone_;
}

const NetworkPortEntry* NetworkPortProvider::Find(uint16_t number) const {
  for (const NetworkPortEntry& entry : entries_) {
    if (entry.number == number) return &entry;
  }
  return nullptr;
}

std::unique_ptr<SerialPort> NetworkPortProvider::Open(uint16_t number, const LineConfig& config,
                                                      std::string* error) {
  const NetworkPortEntry* entry = Find(number);
  if (entry == nullptr) {
    std::unique_ptr<SerialPort> port = local_.Open(number, config, error);
    const auto* inspector = dynamic_cast<const PortInspector*>(&local_);
    last_open_fault_ = inspector != nullptr ? inspector->last_open_fault() : PortFault::kNone;
    last_open_cause_.clear();
    return port;
  }
  std::string detail;
  std::string cause;
  std::unique_ptr<SerialPort> port = NetworkSerialPort::Connect(*entry, config, &detail, &cause);
  last_open_fault_ = port ? PortFault::kNone : PortFault::kNoConnection;
  last_open_cause_ = port ? std::string() : cause;
  if (error != nullptr) *error = port ? std::string() : PortName(number) + ": " + detail;
  return port;
}

std::string NetworkPortProvider::DevicePath(uint16_t number) {
  const NetworkPortEntry* entry = Find(number);
  return entry != nullptr ? NetworkAddressText(entry->address) : local_.DevicePath(number);
}

bool NetworkPortProvider::LineFixed(uint16_t number) {
  const NetworkPortEntry* entry = Find(number);
  return entry != nullptr ? entry->address.kind == NetworkKind::kRawTcp : local_.LineFixed(number);
}

PortFault NetworkPortProvider::Probe(uint16_t number) {
  if (Find(number) != nullptr) return PortFault::kNone;
  auto* inspector = dynamic_cast<PortInspector*>(&local_);
  if (inspector != nullptr) return inspector->Probe(number);
  return local_.Open(number, LineConfig{}, nullptr) != nullptr ? PortFault::kNone
                                                               : PortFault::kMissing;
}

PortDevice NetworkPortProvider::Describe(uint16_t number) {
  if (const NetworkPortEntry* entry = Find(number)) {
    return PortDevice{NetworkAddressText(entry->address), ""};
  }
  auto* inspector = dynamic_cast<PortInspector*>(&local_);
  return inspector != nullptr ? inspector->Describe(number) : PortDevice{};
}

}  // namespace qmx
