// The instruments' end of a real line: a pseudo-terminal whose other side
// the program opens as COMn (published as a link in a ports directory), or
// a real serial device (a second USB converter on the same RS-485 pair).
//
// On a pseudo-terminal nothing goes at a baud rate, so the line settings
// the program chose are read back from the terminal attributes each time a
// request comes in: the speed, PARODD and CSTOPB are visible there (the
// kernel drops PARENB), and since the program uses two stop bits without
// parity and one with parity, CSTOPB means none, PARODD odd, neither even.
// A request made with settings no instrument has is noise to all of them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "link/serial_port.h"
#include "sim/bus.h"

namespace qmx::sim {

struct LineOptions {
  // Directory for the COMn link; "" makes a fresh temporary one.
  std::string ports_dir;
  uint16_t com = 1;
  // A real serial device to serve instead of a pseudo-terminal.
  std::string device;
};

// Monotonic microseconds, the same time base as SystemClock's milliseconds.
int64_t MonotonicUs();

class LineServer {
 public:
  explicit LineServer(Bus& bus) : bus_(bus) {}
  ~LineServer();
  LineServer(const LineServer&) = delete;
  LineServer& operator=(const LineServer&) = delete;

  bool Open(const LineOptions& options, std::string* error);
  void Close();

  const std::string& ports_dir() const { return ports_dir_; }
  uint16_t com() const { return com_; }
  // The device the program opens (pseudo-terminal) or the one served.
  const std::string& device_path() const { return device_path_; }
  bool is_pty() const { return pty_; }

  // Descriptor to wait on for requests; -1 while the program has the
  // pseudo-terminal closed (waiting on it then would spin).
  int WaitFd(int64_t now_us);
  // When something is due without input: an answer byte or the end of a
  // frame by silence.  -1 when nothing is.
  int64_t NextDueUs() const;
  // Reads what has come in and hands it to the bus.
  void OnReadable(int64_t now_us);
  // Sends the answer bytes that are due and ends frames by silence.
  void OnTime(int64_t now_us);
  // Line settings as the program has them now.
  LineConfig CurrentLine() const;

 private:
  void Send(int64_t now_us);
  // The program has closed its side: what was on its way is lost, as it
  // would be on a port nobody holds open.
  void OnProgramClosed(int64_t now_us);
  void Queue(std::vector<TimedByte> bytes);
  void FollowInstrumentLine();
  bool ConfigureDevice(const InstrumentSettings& settings);

  Bus& bus_;
  int fd_ = -1;
  bool pty_ = true;
  std::string ports_dir_;
  bool own_ports_dir_ = false;
  std::string link_path_;
  uint16_t com_ = 1;
  std::string device_path_;
  InstrumentSettings device_line_;
  std::deque<TimedByte> outgoing_;
  int64_t line_free_us_ = 0;
  int64_t hangup_until_us_ = 0;
  bool closed_seen_ = false;
};

}  // namespace qmx::sim
