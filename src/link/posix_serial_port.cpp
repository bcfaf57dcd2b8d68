#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "link/clock.h"

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace qmx {
namespace {

// Longest single wait, so the window keeps breathing during a long read.
constexpr int64_t kSliceUs = 10'000;
// Allowance for a write on top of twice its transmission time.
constexpr int64_t kWriteGraceUs = 1'000'000;
// Batching of a streaming answer: the shortest nap worth taking.  The
// longest is half the interval time-out.
constexpr int64_t kMinNapChars = 3;
// A wait through the waiter on a read without any time limit.
constexpr int64_t kUnlimitedWaitUs = 1'000'000;

int64_t NowUs() {
  return MonotonicNowUs();
}

int SliceMs(int64_t left_us) {
  return PollSliceMs(left_us, kSliceUs);
}

bool IsVanishedErrno(int err) {
  // EIO: the tty was hung up or the far end of a pseudo-terminal closed;
  // ENXIO / ENODEV: the USB device is gone.
  return err == EIO || err == ENXIO || err == ENODEV || err == EBADF || err == EPIPE;
}

struct SpeedCode {
  uint32_t baud;
  speed_t code;
};
constexpr SpeedCode kSpeeds[] = {{110, B110},     {300, B300},      {600, B600},
                                 {1200, B1200},   {2400, B2400},    {4800, B4800},
                                 {9600, B9600},   {19200, B19200},  {38400, B38400},
                                 {57600, B57600}, {115200, B115200}};

speed_t SpeedOf(uint32_t baud) {
  for (const SpeedCode& speed : kSpeeds) {
    if (speed.baud == baud) return speed.code;
  }
  return 0;
}

tcflag_t ByteSizeFlag(uint8_t byte_size) {
  switch (byte_size) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

std::string OpenFailureCause(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return "permission denied; the user must be a member of the 'dialout' group";
    case EBUSY:
    case EWOULDBLOCK:
      return "in use by another program";
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:  // a built-in port node without a UART behind it
      return "no such port";
    case ENOTTY:
    case EINVAL:
      return "not a serial port";
    default: {
      char buffer[256];
      return std::string(strerror_r(err, buffer, sizeof buffer));
    }
  }
}

void SetError(std::string* error, PortFault* fault, const std::string& path, int err) {
  if (error != nullptr) *error = path + ": " + OpenFailureCause(err);
  if (fault != nullptr) *fault = PortFaultOfErrno(err);
}

// The PID a lock file holds: ASCII (often padded to ten places) as the UUCP
// convention has it, or the four bytes of a binary int as some old programs
// write it.  0 when neither.
pid_t LockFilePid(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buffer[64];
  const ssize_t size = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (size <= 0) return 0;
  buffer[size] = '\0';
  const char* text = buffer;
  while (*text == ' ' || *text == '\t') ++text;
  if (std::isdigit(static_cast<unsigned char>(*text))) {
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    if (*end == '\0' || std::isspace(static_cast<unsigned char>(*end))) {
      return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
    }
  }
  if (size == static_cast<ssize_t>(sizeof(int32_t))) {
    int32_t pid = 0;
    std::memcpy(&pid, buffer, sizeof pid);
    return pid > 0 ? static_cast<pid_t>(pid) : 0;
  }
  return 0;
}

bool ProcessAlive(pid_t pid) {
  // EPERM: the process is there, it is only somebody else's.
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

void EnableLowLatency(int fd) {
#if defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
  // Hands received bytes to the reader at once instead of in driver ticks;
  // inter-byte gaps are then measured on what really arrived.  Ports that
  // refuse (ptys, some converters) simply work with their own latency.
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
  }
#else
  (void)fd;
#endif
}

}  // namespace

PortFault PortFaultOfErrno(int err) {
  switch (err) {
    case 0:
      return PortFault::kNone;
    case EACCES:
    case EPERM:
      return PortFault::kNoPermission;
    case EBUSY:
    case EWOULDBLOCK:
      return PortFault::kBusy;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:
      return PortFault::kMissing;
    default:
      return PortFault::kOther;
  }
}

std::vector<std::string> LockDirsFromEnvironment() {
  const char* dir = std::getenv(kLockDirVariable);
  if (dir != nullptr && *dir != '\0') return {dir};
  return {"/var/lock", "/run/lock"};
}

pid_t UucpLockOwner(const std::string& path, const std::vector<std::string>& lock_dirs) {
  // Lock files are named after the device node itself, whatever link led
  // to it: COM5 -> /dev/serial/by-id/... -> /dev/ttyUSB0 is "LCK..ttyUSB0".
  std::string device = path;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    device = real;
    std::free(real);
  }
  const std::string name = "LCK.." + device.substr(device.rfind('/') + 1);
  for (const std::string& dir : lock_dirs) {
    const pid_t pid = LockFilePid(dir + "/" + name);
    if (pid > 0 && pid != ::getpid() && ProcessAlive(pid)) return pid;
  }
  return 0;
}

PortFault ProbePath(const std::string& path, const std::vector<std::string>& lock_dirs) {
  if (UucpLockOwner(path, lock_dirs) != 0) return PortFault::kBusy;
  // Only looks: no line settings, no modem lines, no driver flags.  The
  // descriptor is not the last one of a port another program holds, so its
  // close does not hang up that program's line either.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return PortFaultOfErrno(errno);
  PortFault fault = PortFault::kNone;
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    fault = PortFaultOfErrno(errno);
  } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    fault = errno == EWOULDBLOCK ? PortFault::kBusy : PortFaultOfErrno(errno);
  } else {
    ::flock(fd, LOCK_UN);
#if defined(TIOCGEXCL)
    // Root's open passes a port made exclusive by its user; the flag still
    // tells that somebody holds it.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) fault = PortFault::kBusy;
#endif
  }
  ::close(fd);
  return fault;
}

std::unique_ptr<PosixSerialPort> PosixSerialPort::OpenPath(const std::string& path,
                                                           const LineConfig& config,
                                                           std::string* error, PortFault* fault) {
  // Non-blocking: a port that waits for carrier must not hang the open, and
  // reads wait in poll() slices anyway.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, fault, path, errno);
    return nullptr;
  }
  // Exclusive use.  The lock keeps out every other program that locks too,
  // and our own enumeration; it holds against root, which TIOCEXCL does not.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    SetError(error, fault, path, err == EWOULDBLOCK ? EBUSY : err);
    return nullptr;
  }
  termios probe{};
  if (::tcgetattr(fd, &probe) != 0) {
    const int err = errno;
    ::close(fd);
    SetError(error, fault, path, err);
    return nullptr;
  }
  // Keeps out programs that open the device without locking it.
  ::ioctl(fd, TIOCEXCL);

  std::unique_ptr<PosixSerialPort> port(new PosixSerialPort(fd, path));
  // Errors while setting the line are not a failed open: the device is ours.
  port->Configure(config);
  EnableLowLatency(fd);
  port->ReadErrorCounts(&port->last_counts_);
  if (error != nullptr) error->clear();
  if (fault != nullptr) *fault = PortFault::kNone;
  return port;
}

PosixSerialPort::~PosixSerialPort() {
  // The exclusive flag stays on the tty while anybody else still holds it
  // open; cleared, the next program (or our own re-open) is not refused.
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
}

bool PosixSerialPort::Configure(const LineConfig& config) {
  const speed_t speed = SpeedOf(config.baud);
  termios tio{};
  if (speed == 0 || ::tcgetattr(fd_, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  // Every byte must reach the Modbus framing untouched: no flow control
  // characters, no marking or replacing of bytes with receive errors (those
  // are counted by the driver and reported through ClearErrors).
  tio.c_iflag &= ~(INPCK | IGNPAR | PARMRK | IXON | IXOFF | IXANY);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= CLOCAL | CREAD | ByteSizeFlag(config.byte_size);
  if (config.parity == Parity::kOdd) tio.c_cflag |= PARENB | PARODD;
  if (config.parity == Parity::kEven) tio.c_cflag |= PARENB;
  if (config.stop_bits == 2) tio.c_cflag |= CSTOPB;
  // VMIN 1 with O_NONBLOCK: an empty buffer reads as EAGAIN and a read of 0
  // means the tty was hung up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  const bool ok = ::tcsetattr(fd_, TCSANOW, &tio) == 0;
  if (ok) config_ = config;
  // The line state leaves both modem lines low; only the start-up modem
  // operation raises DTR.
  SetModemLine(TIOCM_DTR, false);
  SetModemLine(TIOCM_RTS, false);
  return ok;
}

void PosixSerialPort::Purge() {
  if (!vanished_ && ::tcflush(fd_, TCIOFLUSH) != 0 && IsVanishedErrno(errno)) vanished_ = true;
}

bool PosixSerialPort::Gone() {
  if (vanished_) return true;
  pollfd pfd{fd_, POLLIN, 0};
  // A tty with CLOCAL set is only hung up when its device has gone; a
  // receive error never shows here, it is counted by the driver.
  if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    vanished_ = true;
  }
  return vanished_;
}

uint32_t LineErrorsBetween(const LineErrorCounts& before, const LineErrorCounts& now) {
  uint32_t mask = 0;
  if (now.overrun != before.overrun || now.buf_overrun != before.buf_overrun) {
    mask |= kLineErrorOverrun;
  }
  if (now.parity != before.parity) mask |= kLineErrorParity;
  if (now.frame != before.frame) mask |= kLineErrorFraming;
  if (now.brk != before.brk) mask |= kLineErrorBreak;
  return mask;
}

bool PosixSerialPort::ReadErrorCounts(LineErrorCounts* counts) const {
#if defined(TIOCGICOUNT)
  serial_icounter_struct icount{};
  if (::ioctl(fd_, TIOCGICOUNT, &icount) != 0) return false;
  counts->frame = icount.frame;
  counts->overrun = icount.overrun;
  counts->parity = icount.parity;
  counts->brk = icount.brk;
  counts->buf_overrun = icount.buf_overrun;
  return true;
#else
  (void)counts;
  return false;
#endif
}

uint32_t PosixSerialPort::ClearErrors() {
  LineErrorCounts now;
  if (vanished_ || !ReadErrorCounts(&now)) return 0;
  const uint32_t mask = LineErrorsBetween(last_counts_, now);
  last_counts_ = now;
  return mask;
}

int64_t PosixSerialPort::CharTimeUs() const {
  const uint32_t baud = config_.baud != 0 ? config_.baud : 19200;
  const unsigned bits =
      1u + config_.byte_size + (config_.parity != Parity::kNone ? 1u : 0u) + config_.stop_bits;
  return static_cast<int64_t>(bits) * 1'000'000 / baud + 1;
}

size_t PosixSerialPort::Write(const uint8_t* data, size_t size) {
  if (vanished_ || size == 0) return 0;
  const int64_t deadline = NowUs() + kWriteGraceUs + 2 * static_cast<int64_t>(size) * CharTimeUs();
  size_t written = 0;
  while (written < size) {
    const ssize_t n = ::write(fd_, data + written, size - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      if (IsVanishedErrno(errno)) vanished_ = true;
      return written;
    }
    // Output buffer full: wait for room, but not for ever.
    const int64_t left = deadline - NowUs();
    if (left <= 0) return written;
    pollfd pfd{fd_, POLLOUT, 0};
    if (::poll(&pfd, 1, SliceMs(left)) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      vanished_ = true;
      return written;
    }
  }
  DrainOutput(deadline);
  return written;
}

void PosixSerialPort::DrainOutput(int64_t deadline_us) {
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
    const int64_t left = deadline_us - NowUs();
    if (left <= 0) return;
    ::poll(nullptr, 0, SliceMs(std::min<int64_t>(left, queued * CharTimeUs())));
  }
}

size_t PosixSerialPort::Read(uint8_t* data, size_t size, const EventPump* pump) {
  last_read_waits_ = 0;
  if (vanished_ || size == 0) return 0;
  const int64_t start = NowUs();
  const int64_t total_us =
      (static_cast<int64_t>(timeouts_.multiplier_ms) * static_cast<int64_t>(size) +
       timeouts_.constant_ms) *
      1000;
  const bool total_on = total_us > 0;
  const bool interval_on = timeouts_.interval_ms > 0;
  const int64_t interval_us = static_cast<int64_t>(timeouts_.interval_ms) * 1000;
  const int64_t char_us = CharTimeUs();
  size_t got = 0;
  int64_t last_byte = 0;
  // Length of the nap just taken, 0 after a poll.
  int64_t napped_us = 0;
  // The waiter's last wait ended with the descriptor ready; when the window
  // was last served.
  bool woke_ready = false;
  int64_t served_us = start;

  for (;;) {
    // Take whatever is waiting before deciding whether time is up: bytes
    // that arrived during the last wait still count.
    const size_t before = got;
    while (got < size) {
      const ssize_t n = ::read(fd_, data + got, size - got);
      if (n > 0) {
        const bool drained = static_cast<size_t>(n) < size - got;
        got += static_cast<size_t>(n);
        // A short read emptied the driver's buffer: go straight to the wait
        // instead of asking again for bytes that cannot be there yet.
        if (drained) break;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      // 0 = hung up (VMIN is 1), or a hard error.
      vanished_ = true;
      return got;
    }
    if (got == size) return got;
    const size_t arrived = got - before;
    // Woken as ready with nothing to read: the device hung up or failed.
    if (woke_ready && arrived == 0) {
      pollfd pfd{fd_, POLLIN, 0};
      if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        vanished_ = true;
        return got;
      }
    }
    woke_ready = false;
    // After a poll the newest byte has just arrived; after a nap it arrived
    // at some time during the nap, and the end of the nap is the safe guess:
    // the gap is never found shorter than it was.
    const int64_t now = NowUs();
    if (arrived > 0) last_byte = now;

    int64_t left = INT64_MAX;
    if (total_on) {
      const int64_t to_total = start + total_us - now;
      if (to_total <= 0) return got;
      left = std::min(left, to_total);
    }
    if (interval_on && got > 0) {
      const int64_t to_gap = last_byte + interval_us - now;
      if (to_gap <= 0) return got;
      left = std::min(left, to_gap);
    }

    // While an answer streams in, one wake-up per byte costs more than the
    // transfer itself.  So, while bytes keep coming, let a few characters
    // (at most half the interval, never more than are still expected) gather
    // in the driver's buffer before reading them, up to the last one.  A nap
    // that brought less than half of what the line could carry means the
    // answer slowed down or ended: the next wait is a poll, which stamps the
    // next byte exactly and sees the interval after the last one.  So a nap
    // sees the end of an answer at most half an interval late, and a gap
    // inside it as long as the interval cannot pass unseen: it would have to
    // fit into the half of a nap that brought no byte and the nap after it.
    // A wait through the waiter takes all of the time left at once; a read
    // without any limit still looks up now and then.
    const int64_t whole_wait_us = std::min(left, kUnlimitedWaitUs);
    left = std::min(left, kSliceUs);
    const bool flowing =
        arrived > 0 && (napped_us == 0 || 2 * static_cast<int64_t>(arrived) * char_us >= napped_us);
    const size_t remaining = size - got;
    int64_t nap_us = 0;
    if (flowing) {
      const int64_t longest = interval_on ? interval_us / 2 : kSliceUs;
      nap_us = std::min({whole_wait_us, longest, static_cast<int64_t>(remaining) * char_us});
      if (nap_us < kMinNapChars * char_us) nap_us = 0;
    }
    napped_us = nap_us;
    ++last_read_waits_;
    if (nap_us > 0) {
      // A long answer streams in for tens of milliseconds of naps: with a
      // waiter the window is still served every slice, by the pump.  It is
      // served before the nap, while the driver's buffer has just been
      // emptied: the waiter's notifier then finds nothing to read, and stays
      // on for the next wait.
      if (waiter_ != nullptr && now - served_us >= kSliceUs) {
        if (pump != nullptr && *pump) (*pump)();
        served_us = NowUs();
      }
      const timespec pause{0, static_cast<long>(nap_us * 1000)};
      ::clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
    } else if (waiter_ != nullptr) {
      // The window serves its events inside the wait: no pump.  A device
      // that hung up wakes the wait, and the read that follows finds it.
      woke_ready = waiter_->WaitFor(fd_, POLLIN, (whole_wait_us + 999) / 1000);
      served_us = NowUs();
      continue;
    } else {
      pollfd pfd{fd_, POLLIN, 0};
      const int ready = ::poll(&pfd, 1, SliceMs(left));
      if (ready < 0 && errno != EINTR) {
        vanished_ = true;
        return got;
      }
      if (ready > 0 && (pfd.revents & POLLIN) == 0 &&
          (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        vanished_ = true;
        return got;
      }
    }
    if (waiter_ == nullptr && pump != nullptr && *pump) (*pump)();
  }
}

void PosixSerialPort::SetModemLine(int line, bool on) {
  // Pseudo-terminals have no modem lines; they refuse and that is fine.
  if (!vanished_) ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

void PosixSerialPort::SetRts(bool on) {
  SetModemLine(TIOCM_RTS, on);
}

void PosixSerialPort::SetDtr(bool on) {
  SetModemLine(TIOCM_DTR, on);
}

std::unique_ptr<SerialPort> PosixPortProvider::Open(uint16_t number, const LineConfig& config,
                                                    std::string* error) {
  const std::string path = naming_.Resolve(number);
  if (path.empty()) {
    last_open_fault_ = PortFault::kMissing;
    if (error != nullptr) *error = PortName(number) + ": no such port";
    return nullptr;
  }
  if (const pid_t owner = UucpLockOwner(path, lock_dirs_); owner != 0) {
    last_open_fault_ = PortFault::kBusy;
    if (error != nullptr) {
      *error = PortName(number) + ": " + path + ": in use by another program (process " +
               std::to_string(owner) + " holds its lock file)";
    }
    return nullptr;
  }
  std::string cause;
  std::unique_ptr<SerialPort> port =
      PosixSerialPort::OpenPath(path, config, &cause, &last_open_fault_);
  if (error != nullptr) *error = port ? std::string() : PortName(number) + ": " + cause;
  return port;
}

PortFault PosixPortProvider::Probe(uint16_t number) {
  const std::string path = naming_.Resolve(number);
  return path.empty() ? PortFault::kMissing : ProbePath(path, lock_dirs_);
}

}  // namespace qmx
