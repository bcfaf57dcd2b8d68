#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace qmx::sim::test {
namespace {

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1'000'000;
}

// Starts `argv` with standard output and error into a pipe; returns the pid.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& directory, int* out_fd) {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (pid < 0) {
    close(pipe_fds[0]);
    return -1;
  }
  *out_fd = pipe_fds[0];
  return pid;
}

// Reads from `fd` until `done` says so or the time is up.
template <typename Done>
bool ReadUntil(int fd, std::string* text, int64_t deadline_ms, Done done) {
  while (!done(*text)) {
    const int64_t left = deadline_ms - NowMs();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return done(*text);
    text->append(buffer, static_cast<size_t>(n));
  }
  return true;
}

std::string ValueAfter(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
  }
  return "";
}

}  // namespace

std::string BuiltProgram(const std::string& name) {
  const char* root = std::getenv("QMX_BINARY_DIR");
  return root == nullptr ? "" : std::string(root) + "/src/" + name;
}

ToolResult RunTool(const std::vector<std::string>& argv, const std::string& directory,
                   int timeout_ms) {
  ToolResult result;
  int fd = -1;
  const pid_t pid = Spawn(argv, directory, &fd);
  if (pid < 0) return result;
  const int64_t deadline = NowMs() + timeout_ms;
  // Until the program closes its output (it has ended) or the time is up.
  ReadUntil(fd, &result.output, deadline, [](const std::string&) { return false; });
  close(fd);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (NowMs() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return result;
    }
    usleep(2000);
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  return result;
}

SimProcess::~SimProcess() {
  Stop();
}

bool SimProcess::Start(const std::vector<std::string>& options, std::string* error) {
  const std::string program = BuiltProgram("qmx41-sim");
  if (program.empty() || access(program.c_str(), X_OK) != 0) {
    *error = "qmx41-sim not built (QMX_BINARY_DIR unset?)";
    return false;
  }
  if (work_dir_.empty()) {
    char dir[] = "/tmp/qmx41-sim-test.XXXXXX";
    if (mkdtemp(dir) == nullptr) {
      *error = "no temporary directory";
      return false;
    }
    work_dir_ = dir;
  }
  const std::string socket_path = work_dir_ + "/control";
  std::vector<std::string> argv{program, "--ports-dir", work_dir_ + "/ports", "--control",
                                socket_path};
  argv.insert(argv.end(), options.begin(), options.end());
  pid_ = Spawn(argv, "", &out_fd_);
  if (pid_ < 0) {
    *error = "cannot start " + program;
    return false;
  }
  std::string banner;
  if (!ReadUntil(out_fd_, &banner, NowMs() + 5000,
                 [](const std::string& t) { return t.find("ready\n") != std::string::npos; })) {
    *error = "no ready from qmx41-sim: " + banner;
    return false;
  }
  ports_dir_ = ValueAfter(banner, "ports-dir");
  device_ = ValueAfter(banner, "device");

  control_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
  if (connect(control_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = "cannot connect to the control socket";
    return false;
  }
  return true;
}

std::string SimProcess::Command(const std::string& line) {
  const std::string text = line + "\n";
  if (write(control_fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    return "error: control socket";
  }
  std::string reply;
  auto complete = [](const std::string& t) {
    if (t.empty() || t.back() != '\n') return false;
    const size_t start = t.rfind('\n', t.size() - 2);
    const std::string last = t.substr(start == std::string::npos ? 0 : start + 1);
    return last == "ok\n" || last.rfind("error:", 0) == 0;
  };
  if (!ReadUntil(control_fd_, &reply, NowMs() + 5000, complete)) return "error: no reply";
  if (reply.size() >= 3 && reply.compare(reply.size() - 3, 3, "ok\n") == 0) {
    reply.resize(reply.size() - 3);
  }
  return reply;
}

std::vector<unsigned> SimProcess::Get(unsigned start, unsigned count) {
  std::istringstream in(Command("get " + std::to_string(start) + " " + std::to_string(count)));
  std::vector<unsigned> values;
  std::string line;
  while (std::getline(in, line)) {
    unsigned reg = 0;
    unsigned value = 0;
    if (std::sscanf(line.c_str(), "%u = %u", &reg, &value) == 2) values.push_back(value);
  }
  return values;
}

void SimProcess::Stop() {
  Terminate();
  if (!work_dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(work_dir_, ec);
    work_dir_.clear();
  }
}

void SimProcess::Terminate() {
  if (control_fd_ >= 0) close(control_fd_);
  control_fd_ = -1;
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    const int64_t deadline = NowMs() + 3000;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (NowMs() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      usleep(10'000);
    }
    pid_ = -1;
  }
  if (out_fd_ >= 0) close(out_fd_);
  out_fd_ = -1;
}

}  // namespace qmx::sim::test
