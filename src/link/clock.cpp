#include "link/clock.h"

#include <poll.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <thread>

namespace qmx {

int64_t SystemClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

LocalTime SystemClock::LocalNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  time_t secs = tv.tv_sec;
  localtime_r(&secs, &tm);
  return LocalTime{static_cast<unsigned>(tm.tm_year + 1900), static_cast<unsigned>(tm.tm_mon + 1),
                   static_cast<unsigned>(tm.tm_mday),        static_cast<unsigned>(tm.tm_hour),
                   static_cast<unsigned>(tm.tm_min),         static_cast<unsigned>(tm.tm_sec),
                   static_cast<unsigned>(tv.tv_usec / 1000)};
}

void SystemClock::WaitMs(int64_t ms, const EventPump& pump) {
  const int64_t deadline = NowMs() + ms;
  for (;;) {
    if (pump) pump();
    const int64_t left = deadline - NowMs();
    if (left <= 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(left < 10 ? left : 10));
  }
}

bool PollWaiter::WaitFor(int fd, short events, int64_t ms) {
  const int timeout = static_cast<int>(std::clamp<int64_t>(ms, 0, INT32_MAX));
  if (fd < 0) {
    ::poll(nullptr, 0, timeout);
    return false;
  }
  pollfd pfd{fd, events, 0};
  return ::poll(&pfd, 1, timeout) > 0;
}

void SystemClock::SleepMs(int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

LocalTime VirtualClock::LocalNow() {
  // Origin plus elapsed virtual time, normalised through the C calendar.
  std::tm tm{};
  tm.tm_year = static_cast<int>(origin_.year) - 1900;
  tm.tm_mon = static_cast<int>(origin_.month) - 1;
  tm.tm_mday = static_cast<int>(origin_.day);
  tm.tm_hour = static_cast<int>(origin_.hour);
  tm.tm_min = static_cast<int>(origin_.minute);
  tm.tm_sec = static_cast<int>(origin_.second);
  const int64_t total_ms = static_cast<int64_t>(origin_.millisecond) + now_ms_;
  tm.tm_sec += static_cast<int>(total_ms / 1000);
  time_t t = timegm(&tm);
  std::tm out{};
  gmtime_r(&t, &out);
  return LocalTime{static_cast<unsigned>(out.tm_year + 1900), static_cast<unsigned>(out.tm_mon + 1),
                   static_cast<unsigned>(out.tm_mday),        static_cast<unsigned>(out.tm_hour),
                   static_cast<unsigned>(out.tm_min),         static_cast<unsigned>(out.tm_sec),
                   static_cast<unsigned>(total_ms % 1000)};
}

void VirtualClock::WaitMs(int64_t ms, const EventPump& pump) {
  // Same slicing as the real pause, so a pump probe sees the same rhythm.
  int64_t left = ms;
  do {
    if (pump) pump();
    const int64_t step = left < 10 ? left : 10;
    Advance(step);
    left -= step;
  } while (left > 0);
}

int64_t MonotonicNowUs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

int PollSliceMs(int64_t left_us, int64_t slice_us) {
  const int64_t us = std::clamp<int64_t>(left_us, 1, slice_us);
  return static_cast<int>((us + 999) / 1000);
}

}  // namespace qmx
