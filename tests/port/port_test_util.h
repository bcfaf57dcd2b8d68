// Small helpers for the port tests: a scratch directory for COMn links and
// fake device roots, and the two clocks the timing checks read.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace qmx::test {

class ScratchDir {
 public:
  ScratchDir() {
    char name[] = "/tmp/qmx-port-XXXXXX";
    if (mkdtemp(name) != nullptr) path_ = name;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string At(const std::string& name) const { return path_ + "/" + name; }
  bool Link(const std::string& name, const std::string& target) const {
    return symlink(target.c_str(), At(name).c_str()) == 0;
  }
  bool Touch(const std::string& name) const {
    std::ofstream out(At(name));
    return static_cast<bool>(out);
  }
  bool MakeDir(const std::string& name) const { return mkdir(At(name).c_str(), 0755) == 0; }

 private:
  std::string path_;
};

// A loopback TCP port nobody uses (nor listens on) now.
inline uint16_t FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

inline double ClockMs(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}
inline double MonotonicMs() {
  return ClockMs(CLOCK_MONOTONIC);
}
// CPU time this process has used: a waiting read must not burn it.
inline double CpuMs() {
  return ClockMs(CLOCK_PROCESS_CPUTIME_ID);
}

}  // namespace qmx::test
