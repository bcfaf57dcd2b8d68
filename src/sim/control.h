// The line-based control channel of the virtual instrument: one command per
// line, answered by zero or more lines of data and a last line "ok" or
// "error: <cause>".  The same commands come from a Unix socket (several
// clients at a time) or from standard input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/bus.h"

namespace qmx::sim {

class ControlInterpreter {
 public:
  explicit ControlInterpreter(Bus& bus) : bus_(bus) {}

  // Runs one command line; returns the whole reply, every line ending in
  // "\n".  Empty lines and lines starting with '#' get an empty reply.
  std::string Execute(std::string_view line);
  bool quit_requested() const { return quit_; }
  // The instrument the register and switch commands act on (0-based).
  size_t selected() const { return selected_; }

  static const char* HelpText();

 private:
  Instrument& Current() { return bus_.instrument(selected_); }
  std::string Run(const std::vector<std::string>& words);

  Bus& bus_;
  size_t selected_ = 0;
  bool quit_ = false;
};

// Parses "address=5,baud=9600,parity=even" (any subset, any order) over
// `settings`.  False, with the cause, on anything it does not know.
bool ParseInstrumentSettings(std::string_view text_in, InstrumentSettings* settings,
                             std::string* error);

// Sockets and standard input, wired to an interpreter.
class ControlChannel {
 public:
  explicit ControlChannel(ControlInterpreter& interpreter) : interpreter_(interpreter) {}
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // Listens on a Unix socket at `path` (an old socket file there is
  // replaced).
  bool Listen(const std::string& path, std::string* error);
  // Takes commands from `in_fd`, replies to `out_fd` (standard input and
  // output).
  void UseStream(int in_fd, int out_fd);

  // Descriptors to wait on for reading.
  std::vector<int> WaitFds() const;
  // Serves whatever is readable on `fd`.
  void OnReadable(int fd);

 private:
  struct Client {
    int in_fd;
    int out_fd;
    std::string pending;
  };
  void Serve(Client& client);
  void CloseClient(size_t index);

  ControlInterpreter& interpreter_;
  int listen_fd_ = -1;
  std::string socket_path_;
  std::vector<Client> clients_;
};

}  // namespace qmx::sim
