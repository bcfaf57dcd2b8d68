// The points of a trend: the values of every poll cycle (or of every line of
// a record file) with their wall-clock time and the marks of the cycle, kept
// in a bounded store.  When the store is full its older half is thinned to
// every second point, so a shift-long session keeps its recent minutes point
// by point and its early hours coarser, in a fixed amount of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace qmx {

// Marks of a point: the status colours of the measured-value views.
inline constexpr uint8_t kTrendMarkError = 0x01;   // the cycle failed or the flow is in error
inline constexpr uint8_t kTrendMarkCutOff = 0x02;  // the cut-off was active

struct TrendChannel {
  std::string name;
  std::string unit;  // may be empty
};

struct TrendPoint {
  int64_t time_ms = 0;  // milliseconds since 1970-01-01 00:00 UTC
  uint8_t marks = 0;
  // One value per channel; NaN where the quantity was not measured.
  std::vector<double> values;
};

class TrendStore {
 public:
  // Enough for two hours at one point a second point by point.
  static constexpr size_t kDefaultCapacity = 7200;

  explicit TrendStore(std::vector<TrendChannel> channels = {}, size_t capacity = kDefaultCapacity);

  // Appends a point; its values are cut or padded with NaN to the channels.
  // A point older than the last one is taken as it comes (the wall clock
  // may be set back); the chart draws the line as the points come.
  void Add(TrendPoint point);
  void Clear();
  // New channels empty the store.
  void SetChannels(std::vector<TrendChannel> channels);
  // The instrument may change its flow unit; the points stay.
  void SetChannelUnit(size_t channel, std::string unit) {
    if (channel < channels_.size()) channels_[channel].unit = std::move(unit);
  }

  const std::vector<TrendChannel>& channels() const { return channels_; }
  const std::vector<TrendPoint>& points() const { return points_; }
  size_t capacity() const { return capacity_; }
  // Points ever added, thinned ones included.
  uint64_t added() const { return added_; }

  // Indices [first, last) of the points with from_ms <= time <= to_ms,
  // assuming the points in time order.
  std::pair<size_t, size_t> Range(int64_t from_ms, int64_t to_ms) const;
  // The point nearest in time to `time_ms`; none when the store is empty.
  std::optional<size_t> Nearest(int64_t time_ms) const;

 private:
  void Thin();

  std::vector<TrendChannel> channels_;
  size_t capacity_;
  std::vector<TrendPoint> points_;
  uint64_t added_ = 0;
};

// The time span a live trend shows: the last `span_ms` up to the newest
// point, or (span 0) the whole session from `first_ms`.  The span moves in
// steps of about a twentieth of its length instead of with every point, so
// most cycles leave the time axis as it is: each move of it lays out the
// axis, its labels and every line again.  The span always holds the time
// asked for; its right edge is the next step at or after `last_ms`.
struct TrendSpan {
  int64_t from_ms = 0;
  int64_t to_ms = 0;
};
TrendSpan FollowingSpan(int64_t span_ms, int64_t first_ms, int64_t last_ms, int64_t min_span_ms);

// The time as ISO 8601 in local time with its offset from UTC,
// "2026-12-09T14:05:07.250+03:00".
std::string IsoLocalTime(int64_t time_ms);

// The points as CSV: a header naming each column and its unit, then one line
// per point; "." as the decimal point, ISO times, an empty field where a
// value was not measured, and the marks in words in the last column.
// `shown` picks the channels (by index) and their order.
std::string TrendCsv(const std::vector<TrendChannel>& channels, std::span<const TrendPoint> points,
                     const std::vector<size_t>& shown);

}  // namespace qmx
