// Time for the link: a monotonic millisecond clock, the local wall time for
// logs and records, and the pause that keeps the window alive.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace qmx {

// Called wherever the program lets the window process pending events while it
// waits for the instrument.  An empty pump does nothing.
using EventPump = std::function<void()>;

struct LocalTime {
  unsigned year = 2000;
  unsigned month = 1;  // 1..12
  unsigned day = 1;    // 1..31
  unsigned hour = 0;
  unsigned minute = 0;
  unsigned second = 0;
  unsigned millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic milliseconds since an arbitrary origin.
  virtual int64_t NowMs() = 0;
  // Local date and time with milliseconds.
  virtual LocalTime LocalNow() = 0;
  // Pause of `ms` milliseconds that calls `pump` at least once and between
  // slices of at most 10 ms.
  virtual void WaitMs(int64_t ms, const EventPump& pump) = 0;
  // Blocks without pumping (used by the port while it polls the device).
  virtual void SleepMs(int64_t ms) = 0;
};

class SystemClock final : public Clock {
 public:
  int64_t NowMs() override;
  LocalTime LocalNow() override;
  void WaitMs(int64_t ms, const EventPump& pump) override;
  void SleepMs(int64_t ms) override;
};

// Waits that cost nothing: the caller sleeps until a descriptor is ready or
// the time is up, instead of waking every 10 ms to let the window breathe.
// The window's waiter turns the event loop on a socket notifier and a
// timer, so the window serves its events while the link waits; the
// command-line tool's is poll(); the tests' moves a virtual clock.
class Waiter {
 public:
  virtual ~Waiter() = default;
  // Until `fd` is ready for `events` (poll() bits POLLIN / POLLOUT) or `ms`
  // milliseconds have passed; fd < 0 only waits.  True when the descriptor
  // became ready (a descriptor that hung up counts as ready: the read that
  // follows finds out).
  virtual bool WaitFor(int fd, short events, int64_t ms) = 0;
  // The descriptor of the last waits is about to be closed: a waiter that
  // keeps watching it from one wait to the next lets go of it.
  virtual void Release() {}
};

// poll(), for a program with no window to serve.
class PollWaiter final : public Waiter {
 public:
  bool WaitFor(int fd, short events, int64_t ms) override;
};

// Time that only moves when somebody waits: unit tests run retry pauses and
// read time-outs in no real time at all.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(LocalTime origin = {2025, 3, 6, 14, 5, 7, 250}) : origin_(origin) {}
  int64_t NowMs() override { return now_ms_; }
  LocalTime LocalNow() override;
  void WaitMs(int64_t ms, const EventPump& pump) override;
  void SleepMs(int64_t ms) override { Advance(ms); }
  void Advance(int64_t ms) {
    if (ms > 0) now_ms_ += ms;
  }
  void SetLocalOrigin(LocalTime origin) { origin_ = origin; }

 private:
  int64_t now_ms_ = 0;
  LocalTime origin_;
};

// The tests' waiter: the whole wait passes at once on a virtual clock and no
// descriptor ever becomes ready; every wait is recorded.
class VirtualWaiter final : public Waiter {
 public:
  struct Call {
    int fd;
    short events;
    int64_t ms;
  };
  explicit VirtualWaiter(VirtualClock& clock) : clock_(clock) {}
  bool WaitFor(int fd, short events, int64_t ms) override {
    calls_.push_back({fd, events, ms});
    clock_.Advance(ms);
    return false;
  }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  VirtualClock& clock_;
  std::vector<Call> calls_;
};

// Microseconds of the monotonic clock, for the ports' own deadlines.
int64_t MonotonicNowUs();
// The whole milliseconds poll() waits for `left_us`, at most `slice_us`:
// rounded up, so that a slice never ends early and a wait never turns into a
// spin of zero-length polls.
int PollSliceMs(int64_t left_us, int64_t slice_us);

}  // namespace qmx
