// The serial port on a POSIX terminal device: raw line, exclusive use, and
// reads that end by the interval / multiplier / constant time-outs the
// instrument's timing was built around.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/port_naming.h"
#include "link/serial_port.h"

namespace qmx {

// The driver's running counts of receive errors (TIOCGICOUNT).
struct LineErrorCounts {
  int frame = 0;
  int overrun = 0;
  int parity = 0;
  int brk = 0;
  int buf_overrun = 0;
};

// The line-error bits (kLineError...) for what was counted between two
// readings; counts that wrapped around still differ and still count.
uint32_t LineErrorsBetween(const LineErrorCounts& before, const LineErrorCounts& now);

// Environment variable naming the directory of UUCP lock files ("LCK..name"),
// in place of /var/lock and /run/lock.
constexpr const char kLockDirVariable[] = "QMX41_LOCK_DIR";

// Where minicom, Qt's serial port and the other UUCP-style programs leave
// their lock files: the environment's directory, else /var/lock and /run/lock.
std::vector<std::string> LockDirsFromEnvironment();

// The live process (not this one) whose UUCP lock file in `lock_dirs` claims
// the device `path` (links followed); 0 when none.  A lock left behind by a
// process that has ended claims nothing.
pid_t UucpLockOwner(const std::string& path, const std::vector<std::string>& lock_dirs);

// Whether the device `path` is a serial port free for us, found without
// changing anything on it: open without waiting, test the locks, close.
PortFault ProbePath(const std::string& path, const std::vector<std::string>& lock_dirs);

// The fault an errno of open() or flock() stands for.
PortFault PortFaultOfErrno(int err);

class PosixSerialPort final : public SerialPort {
 public:
  // Opens `path` for exclusive use and applies `config`.  Null on failure,
  // with the cause in `error` and `fault` when given.
  static std::unique_ptr<PosixSerialPort> OpenPath(const std::string& path,
                                                   const LineConfig& config, std::string* error,
                                                   PortFault* fault = nullptr);
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool Configure(const LineConfig& config) override;
  void SetTimeouts(const ReadTimeouts& timeouts) override { timeouts_ = timeouts; }
  void Purge() override;
  void SetBufferSizes(size_t, size_t) override {}
  uint32_t ClearErrors() override;
  size_t Write(const uint8_t* data, size_t size) override;
  // Once the device has gone (a USB converter pulled out), returns 0 at once:
  // the transaction fails as "nothing received" and the master's own pauses
  // keep the program from racing through retries.
  size_t Read(uint8_t* data, size_t size, const EventPump* pump) override;
  void SetWaiter(Waiter* waiter) override { waiter_ = waiter; }
  void SetRts(bool on) override;
  void SetDtr(bool on) override;

  // Besides what the reads and writes have seen, asks the driver without
  // waiting: a tty that was hung up (the converter pulled out, the far end
  // of a pseudo-terminal closed) reports it to poll().
  bool Gone() override;

  const std::string& path() const { return path_; }
  const ReadTimeouts& timeouts() const { return timeouts_; }
  // The device reported it is gone; only a new open brings it back.
  bool vanished() const { return vanished_; }
  // Waits (polls and naps) the last read took; for tests and the benchmark.
  size_t last_read_waits() const { return last_read_waits_; }

 private:
  PosixSerialPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  bool ReadErrorCounts(LineErrorCounts* counts) const;
  void SetModemLine(int line, bool on);
  // Waits, bounded, until the driver has sent what was written, so that the
  // answer's time-outs start after the request is on the wire, as they do
  // with a synchronous write on the instrument's original platform.
  void DrainOutput(int64_t deadline_us);
  int64_t CharTimeUs() const;

  int fd_;
  std::string path_;
  ReadTimeouts timeouts_;
  LineConfig config_;
  LineErrorCounts last_counts_;
  bool vanished_ = false;
  size_t last_read_waits_ = 0;
  Waiter* waiter_ = nullptr;
};

// Opens ports by COM number through PortNaming.  A port that another program
// has claimed with a UUCP lock file is busy, as it is for minicom.
class PosixPortProvider final : public PortProvider, public PortInspector {
 public:
  // Devices under /dev, the ports directory from QMX41_PORTS_DIR.
  PosixPortProvider() : naming_("/dev", PortsDirFromEnvironment()) {}
  PosixPortProvider(std::string dev_root, std::string ports_dir)
      : naming_(std::move(dev_root), std::move(ports_dir)) {}

  void SetLockDirs(std::vector<std::string> dirs) { lock_dirs_ = std::move(dirs); }
  const std::vector<std::string>& lock_dirs() const { return lock_dirs_; }

  // The "--ports-dir" option; overrides the environment.  "" = Wine numbering.
  void SetPortsDir(std::string dir) { naming_.set_ports_dir(std::move(dir)); }
  void SetDevRoot(std::string root) { naming_.set_dev_root(std::move(root)); }
  const PortNaming& naming() const { return naming_; }

  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override;
  std::string DevicePath(uint16_t number) override { return naming_.DevicePath(number); }

  PortFault Probe(uint16_t number) override;
  PortFault last_open_fault() const override { return last_open_fault_; }
  PortDevice Describe(uint16_t number) override {
    return DescribeDevice(naming_.DevicePath(number));
  }

 private:
  PortNaming naming_;
  std::vector<std::string> lock_dirs_ = LockDirsFromEnvironment();
  PortFault last_open_fault_ = PortFault::kNone;
};

}  // namespace qmx
