// Checks that a call on a FIFO nobody reads comes back at once.  A call that
// waits for a reader is a failure; the reader opened then lets it go, so the
// test program goes on instead of hanging (a test should stop there: what
// follows would wait again).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qmx::test {

// Makes a FIFO at `path`; false when the file system cannot hold one.
inline bool MakeFifo(const std::string& path) {
  return mkfifo(path.c_str(), 0644) == 0;
}

// Runs `call` and returns true when it came back within two seconds.  Any
// of `fifos` the call may wait on is then opened for reading, to let it go.
template <class Call>
bool ReturnsWithoutWaiting(std::initializer_list<std::string> fifos, Call call) {
  std::future<void> done = std::async(std::launch::async, std::move(call));
  if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) return true;
  // The readers stay open until the call is over: a write into a FIFO that
  // nobody holds any more would kill the test program with SIGPIPE.
  std::vector<int> readers;
  for (const std::string& fifo : fifos)
    readers.push_back(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
  done.wait();
  for (const int reader : readers) {
    if (reader >= 0) close(reader);
  }
  return false;
}

template <class Call>
bool ReturnsWithoutWaiting(const std::string& fifo, Call call) {
  return ReturnsWithoutWaiting({fifo}, std::move(call));
}

// For calls that must stay on this thread (the window's): after two
// seconds a watcher opens `fifos` for reading, which lets a call waiting on
// one of them go; released() then tells the test it waited.  The readers
// close with the object.
class FifoWatch {
 public:
  explicit FifoWatch(std::initializer_list<std::string> fifos)
      : fifos_(fifos), watcher_([this] { Watch(); }) {}
  ~FifoWatch() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      over_ = true;
    }
    wake_.notify_all();
    watcher_.join();
    for (const int reader : readers_) {
      if (reader >= 0) close(reader);
    }
  }
  FifoWatch(const FifoWatch&) = delete;
  FifoWatch& operator=(const FifoWatch&) = delete;

  bool released() const { return released_; }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::seconds(2), [this] { return over_; })) return;
    for (const std::string& fifo : fifos_)
      readers_.push_back(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
    released_ = true;
  }

  std::vector<std::string> fifos_;
  std::vector<int> readers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool over_ = false;
  std::atomic<bool> released_{false};
  std::thread watcher_;
};

}  // namespace qmx::test
