// The virtual instrument as a running service: the line (pseudo-terminal or
// device) and the control channel served from one loop, answers paced at
// the line's character time.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "sim/bus.h"
#include "sim/control.h"
#include "sim/pty_server.h"

namespace qmx::sim {

class SimServer {
 public:
  explicit SimServer(Bus& bus);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  LineServer& line() { return line_; }
  ControlInterpreter& interpreter() { return interpreter_; }
  ControlChannel& control() { return control_; }

  // Serves until "quit" or Stop().
  void Run();
  // Ends Run() from another thread or a signal handler.
  void Stop();
  // Held by Run() while it works on the instruments; another thread takes
  // it to look at or change them safely.
  std::mutex& mutex() { return mutex_; }

 private:
  LineServer line_;
  ControlInterpreter interpreter_;
  ControlChannel control_;
  std::mutex mutex_;
  int wake_fd_ = -1;
  std::atomic<bool> stop_{false};
};

}  // namespace qmx::sim
