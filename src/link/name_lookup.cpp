#include "link/name_lookup.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <system_error>
#include <thread>

namespace qmx {

namespace {

addrinfo Hints(int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
  return hints;
}

}  // namespace

struct NameLookup::Shared {
  std::string host;
  std::string service;
  int pipe_fds[2] = {-1, -1};
  int status = 0;
  addrinfo* found = nullptr;
  std::atomic<bool> done{false};

  ~Shared() {
    if (found != nullptr) ::freeaddrinfo(found);
    for (int fd : pipe_fds) {
      if (fd >= 0) ::close(fd);
    }
  }
  void Run() {
    const addrinfo hints = Hints(0);
    status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    done.store(true, std::memory_order_release);
    const char byte = 1;
    if (pipe_fds[1] >= 0) {
      [[maybe_unused]] const ssize_t n = ::write(pipe_fds[1], &byte, 1);
    }
  }
};

NameLookup::NameLookup(const std::string& host, const std::string& service)
    : shared_(std::make_shared<Shared>()) {
  shared_->host = host;
  shared_->service = service;
  const addrinfo numeric = Hints(AI_NUMERICHOST);
  if (::getaddrinfo(host.c_str(), service.c_str(), &numeric, &shared_->found) == 0) {
    shared_->done = true;
    return;
  }
  shared_->found = nullptr;
  if (::pipe2(shared_->pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    // No descriptor to wait on: the name is looked up here, as it must be.
    shared_->pipe_fds[0] = shared_->pipe_fds[1] = -1;
    shared_->Run();
    return;
  }
  try {
    std::thread([shared = shared_] { shared->Run(); }).detach();
  } catch (const std::system_error&) {
    shared_->status = EAI_AGAIN;
    shared_->done = true;
  }
}

NameLookup::~NameLookup() = default;

int NameLookup::fd() const {
  return shared_->pipe_fds[0];
}

bool NameLookup::Done() const {
  return shared_->done.load(std::memory_order_acquire);
}

const addrinfo* NameLookup::Result(std::string* error) const {
  if (!Done()) {
    if (error != nullptr) *error = "the name is still being looked up";
    return nullptr;
  }
  if (shared_->status != 0 || shared_->found == nullptr) {
    if (error != nullptr) {
      *error = shared_->status != 0 ? ::gai_strerror(shared_->status) : "no address";
    }
    return nullptr;
  }
  return shared_->found;
}

}  // namespace qmx
