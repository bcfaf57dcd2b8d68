#include "sim/sim_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace qmx::sim {

SimServer::SimServer(Bus& bus) : line_(bus), interpreter_(bus), control_(interpreter_) {
  wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

SimServer::~SimServer() {
  if (wake_fd_ >= 0) close(wake_fd_);
}

void SimServer::Stop() {
  stop_ = true;
  const uint64_t one = 1;
  // Only async-signal-safe calls here.
  [[maybe_unused]] const ssize_t ignored = write(wake_fd_, &one, sizeof one);
}

void SimServer::Run() {
  std::vector<pollfd> fds;
  while (!stop_ && !interpreter_.quit_requested()) {
    int64_t now = MonotonicUs();
    fds.clear();
    fds.push_back(pollfd{wake_fd_, POLLIN, 0});
    const int line_fd = line_.WaitFd(now);
    if (line_fd >= 0) fds.push_back(pollfd{line_fd, POLLIN, 0});
    const size_t control_first = fds.size();
    for (int fd : control_.WaitFds()) fds.push_back(pollfd{fd, POLLIN, 0});

    const int64_t due = line_.NextDueUs();
    timespec timeout{};
    timespec* timeout_ptr = nullptr;
    if (due >= 0) {
      const int64_t wait_us = std::max<int64_t>(0, due - now);
      timeout.tv_sec = static_cast<time_t>(wait_us / 1'000'000);
      timeout.tv_nsec = static_cast<long>(wait_us % 1'000'000) * 1000;
      timeout_ptr = &timeout;
    }
    const int ready = ppoll(fds.data(), fds.size(), timeout_ptr, nullptr);
    if (ready < 0 && errno != EINTR) break;

    std::lock_guard<std::mutex> lock(mutex_);
    now = MonotonicUs();
    if (ready > 0) {
      if (fds[0].revents != 0) {
        uint64_t value;
        [[maybe_unused]] const ssize_t ignored = read(wake_fd_, &value, sizeof value);
      }
      if (line_fd >= 0 && fds[1].revents != 0) line_.OnReadable(now);
      for (size_t i = control_first; i < fds.size(); ++i) {
        if (fds[i].revents != 0) control_.OnReadable(fds[i].fd);
      }
    }
    line_.OnTime(MonotonicUs());
  }
}

}  // namespace qmx::sim
