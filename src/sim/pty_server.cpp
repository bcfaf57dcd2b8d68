#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace qmx::sim {
namespace {

// While the program has its side closed the pseudo-terminal reports a
// hang-up without end; look again this much later.
constexpr int64_t kHangupRetryUs = 5'000;

constexpr std::array<std::pair<speed_t, uint32_t>, 11> kSpeeds = {{{B110, 110},
                                                                   {B300, 300},
                                                                   {B600, 600},
                                                                   {B1200, 1200},
                                                                   {B2400, 2400},
                                                                   {B4800, 4800},
                                                                   {B9600, 9600},
                                                                   {B19200, 19200},
                                                                   {B38400, 38400},
                                                                   {B57600, 57600},
                                                                   {B115200, 115200}}};

uint32_t BaudOfSpeed(speed_t speed) {
  for (const auto& [s, baud] : kSpeeds) {
    if (s == speed) return baud;
  }
  return 0;
}

speed_t SpeedOfBaud(uint32_t baud) {
  for (const auto& [s, b] : kSpeeds) {
    if (b == baud) return s;
  }
  return B19200;
}

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

int64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1'000'000 + ts.tv_nsec / 1000;
}

LineServer::~LineServer() {
  Close();
}

bool LineServer::Open(const LineOptions& options, std::string* error) {
  Close();
  com_ = options.com;
  if (!options.device.empty()) {
    pty_ = false;
    fd_ = open(options.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
      if (error) *error = Errno("cannot open " + options.device);
      return false;
    }
    ioctl(fd_, TIOCEXCL);
    device_path_ = options.device;
    const InstrumentSettings first =
        bus_.instrument_count() > 0 ? bus_.instrument(0).active_line() : InstrumentSettings{};
    if (!ConfigureDevice(first)) {
      if (error) *error = Errno("cannot configure " + options.device);
      Close();
      return false;
    }
    return true;
  }

  pty_ = true;
  fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
    if (error) *error = Errno("cannot create a pseudo-terminal");
    Close();
    return false;
  }
  char name[128];
  if (ptsname_r(fd_, name, sizeof name) != 0) {
    if (error) *error = Errno("cannot name the pseudo-terminal");
    Close();
    return false;
  }
  device_path_ = name;
  // Raw from the start, at the instruments' factory line, so that nothing
  // is echoed or translated before the program sets the line itself.
  termios tio{};
  if (tcgetattr(fd_, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tio.c_cflag |= CSTOPB | CLOCAL | CREAD;
    tcsetattr(fd_, TCSANOW, &tio);
  }

  if (options.ports_dir.empty()) {
    char dir[] = "/tmp/qmx41-sim.XXXXXX";
    if (mkdtemp(dir) == nullptr) {
      if (error) *error = Errno("cannot make a ports directory");
      Close();
      return false;
    }
    ports_dir_ = dir;
    own_ports_dir_ = true;
  } else {
    ports_dir_ = options.ports_dir;
    std::error_code ec;
    std::filesystem::create_directories(ports_dir_, ec);
  }
  link_path_ = ports_dir_ + "/COM" + std::to_string(com_);
  std::error_code ec;
  std::filesystem::remove(link_path_, ec);
  if (symlink(device_path_.c_str(), link_path_.c_str()) != 0) {
    if (error) *error = Errno("cannot publish " + link_path_);
    Close();
    return false;
  }
  return true;
}

void LineServer::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  std::error_code ec;
  if (!link_path_.empty()) std::filesystem::remove(link_path_, ec);
  if (own_ports_dir_) std::filesystem::remove(ports_dir_, ec);
  link_path_.clear();
  own_ports_dir_ = false;
  outgoing_.clear();
}

bool LineServer::ConfigureDevice(const InstrumentSettings& settings) {
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return false;
  cfmakeraw(&tio);
  cfsetispeed(&tio, SpeedOfBaud(settings.baud));
  cfsetospeed(&tio, SpeedOfBaud(settings.baud));
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~(PARENB | PARODD | CSTOPB | CRTSCTS);
  if (settings.parity == Parity::kNone) {
    tio.c_cflag |= CSTOPB;
  } else {
    tio.c_cflag |= PARENB | (settings.parity == Parity::kOdd ? PARODD : 0);
    tio.c_iflag |= INPCK;
  }
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  device_line_ = settings;
  return true;
}

LineConfig LineServer::CurrentLine() const {
  LineConfig line;
  if (!pty_) {
    line.baud = device_line_.baud;
    line.parity = device_line_.parity;
    line.stop_bits = line.parity == Parity::kNone ? 2 : 1;
    return line;
  }
  termios tio{};
  if (fd_ < 0 || tcgetattr(fd_, &tio) != 0) return line;
  line.baud = BaudOfSpeed(cfgetospeed(&tio));
  const bool two_stops = (tio.c_cflag & CSTOPB) != 0;
  if ((tio.c_cflag & PARENB) != 0) {
    line.parity = (tio.c_cflag & PARODD) != 0 ? Parity::kOdd : Parity::kEven;
  } else if (two_stops) {
    line.parity = Parity::kNone;
  } else {
    line.parity = (tio.c_cflag & PARODD) != 0 ? Parity::kOdd : Parity::kEven;
  }
  line.stop_bits = two_stops ? 2 : 1;
  return line;
}

int LineServer::WaitFd(int64_t now_us) {
  if (fd_ < 0 || now_us < hangup_until_us_) return -1;
  return fd_;
}

int64_t LineServer::NextDueUs() const {
  int64_t due = bus_.SilenceDeadlineUs();
  if (!outgoing_.empty()) {
    due = due < 0 ? outgoing_.front().at_us : std::min(due, outgoing_.front().at_us);
  }
  if (hangup_until_us_ > 0) due = due < 0 ? hangup_until_us_ : std::min(due, hangup_until_us_);
  return due;
}

void LineServer::Queue(std::vector<TimedByte> bytes) {
  for (const TimedByte& b : bytes) outgoing_.push_back(b);
  std::stable_sort(outgoing_.begin(), outgoing_.end(),
                   [](const TimedByte& a, const TimedByte& b) { return a.at_us < b.at_us; });
}

void LineServer::OnReadable(int64_t now_us) {
  uint8_t buffer[512];
  for (;;) {
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      closed_seen_ = false;
      const LineConfig line = CurrentLine();
      // The bytes reach the pseudo-terminal at once; the instruments
      // take them as they would come over the wire, one character time
      // each, so the answer starts when a real request would have ended.
      const bool pacing = bus_.timing().pacing;
      const int64_t char_us = pacing ? CharTimeUs(line.baud) : 0;
      const int64_t first_at = std::max(now_us, line_free_us_) + char_us;
      line_free_us_ = first_at + char_us * (n - 1);
      Queue(bus_.Receive(buffer, static_cast<size_t>(n), line, first_at, char_us));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
    // EIO: the program closed its side.
    if (pty_) OnProgramClosed(now_us);
    break;
  }
  OnTime(MonotonicUs());
}

void LineServer::OnProgramClosed(int64_t now_us) {
  outgoing_.clear();
  hangup_until_us_ = now_us + kHangupRetryUs;
  if (closed_seen_) return;
  closed_seen_ = true;
  // A pseudo-terminal keeps unread bytes for whoever opens it next, where a
  // serial port that nobody holds drops them; a program that does not purge
  // after its open (mbpoll) would take an old answer for its own.
  const int slave = open(device_path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave >= 0) {
    tcflush(slave, TCIFLUSH);
    close(slave);
  }
}

void LineServer::OnTime(int64_t now_us) {
  if (hangup_until_us_ != 0 && now_us >= hangup_until_us_) hangup_until_us_ = 0;
  Queue(bus_.Quiet(now_us));
  Send(now_us);
}

void LineServer::Send(int64_t now_us) {
  uint8_t chunk[512];
  size_t n = 0;
  while (!outgoing_.empty() && outgoing_.front().at_us <= now_us && n < sizeof chunk) {
    chunk[n++] = outgoing_.front().value;
    outgoing_.pop_front();
  }
  if (n > 0 && fd_ >= 0 && pty_) {
    pollfd p{fd_, 0, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0) {
      OnProgramClosed(now_us);
      return;
    }
  }
  if (n > 0 && fd_ >= 0) {
    size_t done = 0;
    while (done < n) {
      const ssize_t w = write(fd_, chunk + done, n - done);
      if (w > 0) {
        done += static_cast<size_t>(w);
      } else if (w < 0 && errno == EINTR) {
        continue;
      } else {
        break;  // the program's side is gone or full: the answer is lost
      }
    }
  }
  if (outgoing_.empty()) FollowInstrumentLine();
}

void LineServer::FollowInstrumentLine() {
  // A real device runs at one setting; it follows the first instrument
  // once that one has switched its exchange parameters and finished
  // answering.
  if (pty_ || fd_ < 0 || bus_.instrument_count() == 0) return;
  const InstrumentSettings wanted = bus_.instrument(0).active_line();
  if (wanted.baud == device_line_.baud && wanted.parity == device_line_.parity) return;
  tcdrain(fd_);
  ConfigureDevice(wanted);
}

}  // namespace qmx::sim
