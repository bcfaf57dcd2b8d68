#include "integration/pty_bridge.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>

namespace qmx::testing {
namespace {

int OpenMaster(std::string* slave_path, int* hold) {
  int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  if (grantpt(fd) != 0 || unlockpt(fd) != 0) {
    close(fd);
    return -1;
  }
  char name[128];
  if (ptsname_r(fd, name, sizeof name) != 0) {
    close(fd);
    return -1;
  }
  *slave_path = name;
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  tcsetattr(fd, TCSANOW, &tio);
  *hold = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (*hold >= 0) {
    tcgetattr(*hold, &tio);
    cfmakeraw(&tio);
    tcsetattr(*hold, TCSANOW, &tio);
  }
  return fd;
}

}  // namespace

PtyBridge::PtyBridge() {
  master_a_ = OpenMaster(&path_a_, &hold_a_);
  master_b_ = OpenMaster(&path_b_, &hold_b_);
  ok_ = master_a_ >= 0 && master_b_ >= 0 && hold_a_ >= 0 && hold_b_ >= 0;
  if (ok_) relay_ = std::thread([this] { Relay(); });
}

PtyBridge::~PtyBridge() {
  stop_ = true;
  if (relay_.joinable()) relay_.join();
  for (int fd : {master_a_, master_b_, hold_a_, hold_b_})
    if (fd >= 0) close(fd);
}

void PtyBridge::Relay() {
  unsigned char buf[512];
  while (!stop_) {
    pollfd fds[2] = {{master_a_, POLLIN, 0}, {master_b_, POLLIN, 0}};
    if (poll(fds, 2, 20) <= 0) continue;
    if (fds[0].revents & POLLIN) {
      ssize_t n = read(master_a_, buf, sizeof buf);
      if (n > 0) (void)!write(master_b_, buf, static_cast<size_t>(n));
    }
    if (fds[1].revents & POLLIN) {
      ssize_t n = read(master_b_, buf, sizeof buf);
      if (n > 0 && !mute_b_to_a_) (void)!write(master_a_, buf, static_cast<size_t>(n));
    }
    // A side whose every slave handle is closed reports a hang-up; the
    // holding handles prevent that, so a short sleep is not needed here.
  }
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/qmx41-test-XXXXXX";
  if (mkdtemp(tmpl) != nullptr) path_ = tmpl;
}

TempDir::~TempDir() {
  if (!path_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
}

}  // namespace qmx::testing
