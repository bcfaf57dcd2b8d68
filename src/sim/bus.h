// One RS-485 pair with instruments on it: frames the master's bytes into
// requests (by their length, or by 3.5 character times of silence), offers
// each request to every instrument that hears its baud rate and parity,
// times the answer on the line, and keeps the journal of everything heard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "sim/instrument.h"

namespace qmx::sim {

// One byte on the line: when it has fully arrived at the other end.
struct TimedByte {
  uint8_t value = 0;
  int64_t at_us = 0;
  bool line_error = false;
};

// Time of one character of 11 bits at `baud`, in microseconds.
int64_t CharTimeUs(uint32_t baud);

struct BusTiming {
  // From the end of the request to the start of the answer.
  int64_t turnaround_us = 5000;
  // Space the answer's bytes at the line's character time.  Off, the whole
  // answer arrives at once after the turnaround (fast tests).
  bool pacing = true;
};

// Everything the journal knows of one request.
struct JournalEntry {
  int64_t time_ms = 0;  // when the request was complete on the line
  int64_t time_us = 0;  // the same, finer
  std::vector<uint8_t> request;
  LineConfig line;
  bool crc_ok = false;
  uint8_t address = 0;
  uint8_t function = 0;
  uint16_t start = 0;
  uint16_t count = 0;
  std::vector<uint16_t> values;  // written values
  Outcome outcome = Outcome::kMalformed;
  int instrument = -1;  // index on the bus of the instrument that took it
  uint8_t exception = 0;
  std::vector<uint8_t> answer;  // as it went on the line
  std::string faults;

  // "read 300 x1", "write 1278 x2 = 1, 1", "function 6" or "noise".
  std::string Describe() const;
  // One line with everything, for dumps.
  std::string ToText() const;
};

class Bus {
 public:
  explicit Bus(Clock& clock) : clock_(clock) {}
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  Instrument& AddInstrument(const InstrumentSettings& settings = {});
  size_t instrument_count() const { return instruments_.size(); }
  Instrument& instrument(size_t index) { return *instruments_.at(index); }
  Clock& clock() { return clock_; }

  BusTiming& timing() { return timing_; }

  // Bytes from the master made with `line`.  The first has fully arrived at
  // `first_at_us`, each further one `char_us` later.  Returns the answer
  // bytes that complete requests put on the line, in time order.
  std::vector<TimedByte> Receive(const uint8_t* data, size_t size, const LineConfig& line,
                                 int64_t first_at_us, int64_t char_us);
  // The line stayed quiet up to `now_us`: a frame whose end only silence
  // can tell is complete once 3.5 character times have passed.
  std::vector<TimedByte> Quiet(int64_t now_us);
  // When the pending frame ends by silence; -1 when nothing is pending.
  int64_t SilenceDeadlineUs() const;

  const std::vector<JournalEntry>& journal() const { return journal_; }
  void ClearJournal() { journal_.clear(); }
  // Describe() of every entry, for exact sequence checks.
  std::vector<std::string> JournalSummary() const;

 private:
  std::vector<TimedByte> Process(const std::vector<uint8_t>& frame, const LineConfig& line,
                                 int64_t end_us);
  std::vector<TimedByte> FlushPending(int64_t end_us);
  static int64_t SilenceUs(int64_t char_us);

  Clock& clock_;
  BusTiming timing_;
  std::vector<std::unique_ptr<Instrument>> instruments_;
  std::vector<JournalEntry> journal_;
  // The frame being received.
  std::vector<uint8_t> pending_;
  LineConfig pending_line_;
  int64_t pending_last_us_ = 0;
  int64_t pending_char_us_ = 0;
  bool discarding_ = false;  // an oversized frame: drop all until silence
};

}  // namespace qmx::sim
