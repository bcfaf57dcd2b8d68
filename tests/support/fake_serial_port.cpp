#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "link/crc16.h"

namespace qmx::test {

FakeReply Reply(std::vector<uint8_t> bytes) {
  FakeReply reply;
  reply.bytes = std::move(bytes);
  return reply;
}

std::vector<uint8_t> WithCrc(std::vector<uint8_t> frame) {
  const uint16_t crc = Crc16(frame.data(), frame.size());
  frame.push_back(static_cast<uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
  return frame;
}

bool FakeSerialPort::Configure(const LineConfig& config) {
  calls_.push_back("configure");
  config_ = config;
  return true;
}

void FakeSerialPort::SetTimeouts(const ReadTimeouts& timeouts) {
  calls_.push_back("timeouts");
  current_ = timeouts;
  timeouts_.push_back(timeouts);
}

void FakeSerialPort::Purge() {
  calls_.push_back("purge");
  // Only what has already arrived is discarded; a late answer still on its
  // way lands in the buffer afterwards, as on a real line.
  const int64_t now = clock_.NowMs();
  while (!pending_.empty() && pending_.front().at_ms <= now) TakeByte();
}

void FakeSerialPort::SetBufferSizes(size_t, size_t) {
  calls_.push_back("buffers");
}

uint32_t FakeSerialPort::ClearErrors() {
  calls_.push_back("errors");
  const int64_t now = clock_.NowMs();
  uint32_t mask = 0;
  std::erase_if(errors_, [&](const PendingError& e) {
    if (e.at_ms > now) return false;
    mask |= e.mask;
    return true;
  });
  return mask;
}

size_t FakeSerialPort::Write(const uint8_t* data, size_t size) {
  calls_.push_back("write");
  const int64_t now = clock_.NowMs();
  writes_.push_back({now, std::vector<uint8_t>(data, data + size)});
  if (script_.empty()) return size;

  FakeReply reply = std::move(script_.front());
  script_.pop_front();
  int64_t at = now + reply.delay_ms;
  if (reply.bytes.empty() && reply.line_errors != 0) errors_.push_back({at, reply.line_errors});
  for (size_t i = 0; i < reply.bytes.size(); ++i) {
    if (i > 0) at += reply.byte_ms;
    for (const auto& [index, ms] : reply.gaps) {
      if (index == i) at += ms;
    }
    pending_.push_back({at, reply.bytes[i], i == 0 ? reply.line_errors : 0u});
  }
  // Bytes of an earlier, late answer still on the way stay ahead of these.
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const Arrival& a, const Arrival& b) { return a.at_ms < b.at_ms; });
  return size;
}

size_t FakeSerialPort::Read(uint8_t* data, size_t size, const EventPump* pump) {
  calls_.push_back("read");
  constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
  const int64_t start = clock_.NowMs();
  const bool total_on = current_.multiplier_ms != 0 || current_.constant_ms != 0;
  const int64_t deadline =
      total_on ? start + int64_t{current_.multiplier_ms} * static_cast<int64_t>(size) +
                     current_.constant_ms
               : kNever;

  size_t got = 0;
  int64_t last = start;
  int64_t end = kNever;
  while (got < size) {
    // The interval only runs once a byte has come in.
    const int64_t interval_end =
        got > 0 && current_.interval_ms != 0 ? last + current_.interval_ms : kNever;
    const int64_t limit = std::min(deadline, interval_end);
    if (pending_.empty()) {
      end = limit;
      break;
    }
    // A byte already in the buffer counts as arriving when the read starts.
    const int64_t t = std::max(pending_.front().at_ms, start);
    if (t > limit) {
      end = limit;
      break;
    }
    last = t;
    data[got++] = TakeByte();
  }
  if (got == size) end = last;
  if (end == kNever) {
    ADD_FAILURE() << "read of " << size << " bytes with no time-out would never return";
    end = last;
  }

  WaitUntil(end, pump);
  reads_.push_back({size, start, end, got, pump != nullptr && *pump});
  return got;
}

uint8_t FakeSerialPort::TakeByte() {
  const Arrival arrival = pending_.front();
  pending_.pop_front();
  if (arrival.errors != 0) errors_.push_back({arrival.at_ms, arrival.errors});
  return arrival.byte;
}

void FakeSerialPort::WaitUntil(int64_t end_ms, const EventPump* pump) {
  const bool pumping = pump != nullptr && *pump;
  in_read_ = true;
  if (pumping) (*pump)();
  while (clock_.NowMs() < end_ms) {
    clock_.Advance(std::min<int64_t>(10, end_ms - clock_.NowMs()));
    if (pumping) (*pump)();
  }
  in_read_ = false;
}

void FakeSerialPort::SetRts(bool on) {
  calls_.push_back(on ? "rts on" : "rts off");
}
void FakeSerialPort::SetDtr(bool on) {
  calls_.push_back(on ? "dtr on" : "dtr off");
}

}  // namespace qmx::test
