#include "sim/bus.h"

#include <algorithm>
#include <cstdio>

#include "sim/register_map.h"

namespace qmx::sim {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char buf[4];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    if (!text.empty()) text += ' ';
    text += buf;
  }
  return text;
}

const char* ParityText(Parity parity) {
  switch (parity) {
    case Parity::kOdd:
      return "odd";
    case Parity::kEven:
      return "even";
    default:
      return "none";
  }
}

}  // namespace

int64_t CharTimeUs(uint32_t baud) {
  return baud == 0 ? 0 : (11'000'000 + baud - 1) / baud;
}

std::string JournalEntry::Describe() const {
  if (!crc_ok || request.size() < 4) return "noise";
  std::string text;
  if (function == kFunctionReadHolding) {
    text = "read " + std::to_string(start) + " x" + std::to_string(count);
  } else if (function == kFunctionWriteMultiple) {
    text = "write " + std::to_string(start) + " x" + std::to_string(count);
    for (size_t i = 0; i < values.size(); ++i) {
      text += (i == 0 ? " = " : ", ") + std::to_string(values[i]);
    }
  } else {
    text = "function " + std::to_string(function);
  }
  return text;
}

std::string JournalEntry::ToText() const {
  char head[96];
  std::snprintf(head, sizeof head, "%lld ms %u %s @%u: ", static_cast<long long>(time_ms),
                line.baud, ParityText(line.parity), address);
  std::string text = head + Describe() + " | " + OutcomeName(outcome);
  if (exception != 0) text += " " + std::to_string(exception);
  if (instrument >= 0) text += " by #" + std::to_string(instrument + 1);
  if (!faults.empty()) text += " [" + faults + "]";
  text += " | req " + Hex(request);
  if (!answer.empty()) text += " | ans " + Hex(answer);
  return text;
}

Instrument& Bus::AddInstrument(const InstrumentSettings& settings) {
  instruments_.push_back(std::make_unique<Instrument>(clock_, settings));
  return *instruments_.back();
}

int64_t Bus::SilenceUs(int64_t char_us) {
  // 3.5 characters; above 19200 baud the usual fixed 1.75 ms.
  return std::max<int64_t>(char_us * 7 / 2, 1750);
}

std::vector<TimedByte> Bus::Receive(const uint8_t* data, size_t size, const LineConfig& line,
                                    int64_t first_at_us, int64_t char_us) {
  std::vector<TimedByte> out;
  for (size_t i = 0; i < size; ++i) {
    const int64_t at = first_at_us + static_cast<int64_t>(i) * char_us;
    if ((!pending_.empty() || discarding_) && at - pending_last_us_ > SilenceUs(pending_char_us_)) {
      auto answer = FlushPending(pending_last_us_ + SilenceUs(pending_char_us_));
      out.insert(out.end(), answer.begin(), answer.end());
    }
    pending_last_us_ = at;
    pending_char_us_ = char_us;
    pending_line_ = line;
    if (discarding_) continue;
    pending_.push_back(data[i]);
    const size_t length = RequestLength(pending_.data(), pending_.size());
    if (length != 0 && length != kLengthBySilence && pending_.size() >= length) {
      std::vector<uint8_t> frame;
      frame.swap(pending_);
      auto answer = Process(frame, line, at);
      out.insert(out.end(), answer.begin(), answer.end());
    } else if (pending_.size() > kMaxFrameSize) {
      pending_.clear();
      discarding_ = true;
    }
  }
  // Stable: without pacing every byte of an answer carries the same time,
  // and only their order in the answer says which comes first.
  std::stable_sort(out.begin(), out.end(),
                   [](const TimedByte& a, const TimedByte& b) { return a.at_us < b.at_us; });
  return out;
}

std::vector<TimedByte> Bus::Quiet(int64_t now_us) {
  const int64_t deadline = SilenceDeadlineUs();
  if (deadline < 0 || now_us < deadline) return {};
  return FlushPending(deadline);
}

int64_t Bus::SilenceDeadlineUs() const {
  if (pending_.empty() && !discarding_) return -1;
  return pending_last_us_ + SilenceUs(pending_char_us_);
}

std::vector<TimedByte> Bus::FlushPending(int64_t end_us) {
  discarding_ = false;
  if (pending_.empty()) return {};
  std::vector<uint8_t> frame;
  frame.swap(pending_);
  return Process(frame, pending_line_, end_us);
}

std::vector<TimedByte> Bus::Process(const std::vector<uint8_t>& frame, const LineConfig& line,
                                    int64_t end_us) {
  JournalEntry entry;
  entry.time_ms = end_us / 1000;
  entry.time_us = end_us;
  entry.request = frame;
  entry.line = line;
  if (frame.size() >= 2) {
    entry.address = frame[0];
    entry.function = frame[1];
  }

  auto hearing = [&](const Instrument& i) { return i.Hears(line); };
  const bool anyone_hears = std::any_of(instruments_.begin(), instruments_.end(),
                                        [&](const auto& i) { return hearing(*i); });
  if (!anyone_hears) {
    // At the wrong baud rate or parity the bytes are garbage to every
    // receiver; the journal still shows what the master sent.
    entry.crc_ok = SlaveCrcMatches(frame.data(), frame.size());
    entry.outcome = Outcome::kLineMismatch;
  } else if (!SlaveCrcMatches(frame.data(), frame.size())) {
    entry.outcome = Outcome::kBadCrc;
  } else {
    entry.crc_ok = true;
  }
  std::optional<SlaveRequest> request;
  if (entry.crc_ok) request = DecodeRequest(frame.data(), frame.size());
  if (request) {
    entry.start = request->start;
    entry.count = request->count;
    entry.values = request->values;
  } else if (entry.outcome != Outcome::kLineMismatch && entry.outcome != Outcome::kBadCrc) {
    entry.outcome = Outcome::kMalformed;
  }

  std::vector<TimedByte> out;
  if (request && anyone_hears) {
    const int64_t now_ms = end_us / 1000;
    entry.outcome = Outcome::kNoInstrument;
    for (size_t index = 0; index < instruments_.size(); ++index) {
      Instrument& instrument = *instruments_[index];
      if (!instrument.Hears(line)) continue;
      const bool broadcast = request->address == 0;
      if (!broadcast && request->address != instrument.active_line().address) continue;
      if (instrument.Restarting(now_ms)) {
        if (!broadcast) {
          entry.outcome = Outcome::kRestarting;
          entry.instrument = static_cast<int>(index);
        }
        continue;
      }
      Reply reply = instrument.Handle(*request, now_ms);
      if (entry.instrument >= 0 && !broadcast) continue;  // answered already
      entry.instrument = static_cast<int>(index);
      entry.outcome = reply.outcome;
      entry.exception = reply.exception;
      entry.faults = reply.faults;
      entry.answer = reply.bytes;
      if (reply.bytes.empty()) continue;
      const int64_t char_us = timing_.pacing ? CharTimeUs(line.baud) : 0;
      int64_t at = end_us + timing_.turnaround_us + reply.delay_ms * 1000;
      for (size_t i = 0; i < reply.bytes.size(); ++i) {
        if (reply.gap_after > 0 && i == reply.gap_after) at += reply.gap_ms * 1000;
        at += char_us;
        out.push_back(TimedByte{reply.bytes[i], at, reply.line_error});
      }
    }
  }
  journal_.push_back(std::move(entry));
  return out;
}

std::vector<std::string> Bus::JournalSummary() const {
  std::vector<std::string> lines;
  lines.reserve(journal_.size());
  for (const JournalEntry& e : journal_) lines.push_back(e.Describe());
  return lines;
}

}  // namespace qmx::sim
