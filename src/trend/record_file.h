// The measurement record files read back as trend points: "izm.txt" and
// "all_izm.txt" (the measurement line) and "izm_modul.txt" (the module's
// line).  A line is six numbers (day, month, year, hour, minute, second) and
// then fields NAME=VALUE; every field becomes a channel, the state and error
// words (hexadecimal) included, in the order they first appear.  A line that
// does not have that shape is skipped and counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "trend/trend_store.h"

namespace qmx {

struct RecordFileChart {
  TrendStore store{{}, 1u << 20};
  size_t lines = 0;          // lines with anything on them
  size_t skipped_lines = 0;  // of those, not understood
};

// Takes a file piece by piece (the pieces may cut lines anywhere), so that a
// large file can be read and shown with progress.
class RecordFileParser {
 public:
  // At most this many channels; a line with more new fields is skipped.
  static constexpr size_t kMaxChannels = 32;
  // A longer line is no record line; it is skipped without being kept.
  static constexpr size_t kMaxLineBytes = 4096;

  void Feed(std::string_view bytes);
  // The last line, when the file does not end with a line end.
  void Finish();
  RecordFileChart& chart() { return chart_; }

 private:
  void Line(std::string_view line);
  int64_t LocalToEpochMs(unsigned year, unsigned month, unsigned day, unsigned hour,
                         unsigned minute, unsigned second);

  RecordFileChart chart_;
  std::string partial_;
  bool overlong_ = false;  // the line being gathered passed kMaxLineBytes
  std::map<std::string, size_t, std::less<>> columns_;
  // The start of the last local hour converted (mktime is slow on every line).
  int64_t cached_hour_key_ = -1;
  int64_t cached_hour_ms_ = 0;
};

RecordFileChart ParseRecordFile(std::string_view text);

}  // namespace qmx
