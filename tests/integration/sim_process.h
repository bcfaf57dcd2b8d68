// Helpers for the tests that run the built qmx41-sim and other programs as
// separate processes: start, talk to the control socket, run a tool and
// collect its output.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qmx::sim::test {

// Path of a program built in this tree ($QMX_BINARY_DIR/src/NAME), "" when
// the variable is unset.
std::string BuiltProgram(const std::string& name);

struct ToolResult {
  int exit_code = -1;  // -1: did not finish in time or could not start
  std::string output;  // standard output and error together
};

// Runs `argv` in `directory` ("" = current), waiting at most `timeout_ms`.
ToolResult RunTool(const std::vector<std::string>& argv, const std::string& directory = "",
                   int timeout_ms = 10000);

// A running qmx41-sim with a control socket.
class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts the program with `options` besides --ports-dir and --control,
  // and waits for its "ready".  After Terminate() it serves the same ports
  // directory again, so its line comes back under the same COM number.
  bool Start(const std::vector<std::string>& options, std::string* error);
  // One control command; returns the reply without its final "ok" line,
  // or "error: ..." as it came.
  std::string Command(const std::string& line);
  // The values of `get START COUNT`.
  std::vector<unsigned> Get(unsigned start, unsigned count);
  void Stop();
  // Ends the program as an operator does (SIGTERM), keeping its working
  // directory for the next Start(); returns once the process is gone.
  void Terminate();

  const std::string& ports_dir() const { return ports_dir_; }
  const std::string& device() const { return device_; }
  const std::string& work_dir() const { return work_dir_; }

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  int control_fd_ = -1;
  std::string work_dir_;
  std::string ports_dir_;
  std::string device_;
};

}  // namespace qmx::sim::test
