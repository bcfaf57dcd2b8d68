#include "trend/trend_store.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>

namespace qmx {

TrendStore::TrendStore(std::vector<TrendChannel> channels, size_t capacity)
    : channels_(std::move(channels)), capacity_(std::max<size_t>(capacity, 4)) {
  points_.reserve(std::min<size_t>(capacity_, 1024));
}

void TrendStore::Add(TrendPoint point) {
  point.values.resize(channels_.size(), std::numeric_limits<double>::quiet_NaN());
  if (points_.size() >= capacity_) Thin();
  points_.push_back(std::move(point));
  ++added_;
}

void TrendStore::Clear() {
  points_.clear();
}

void TrendStore::SetChannels(std::vector<TrendChannel> channels) {
  channels_ = std::move(channels);
  points_.clear();
}

// The older half keeps every second point; a thinned point keeps the marks
// of the one it replaces, so a failed cycle never vanishes from the chart.
void TrendStore::Thin() {
  const size_t half = points_.size() / 2;
  size_t kept = 0;
  for (size_t i = 0; i < half; i += 2) {
    TrendPoint& point = points_[i];
    if (i + 1 < half) point.marks |= points_[i + 1].marks;
    if (kept != i) points_[kept] = std::move(point);
    ++kept;
  }
  for (size_t i = half; i < points_.size(); ++i) points_[kept++] = std::move(points_[i]);
  points_.resize(kept);
}

std::pair<size_t, size_t> TrendStore::Range(int64_t from_ms, int64_t to_ms) const {
  auto by_time = [](const TrendPoint& p, int64_t t) { return p.time_ms < t; };
  const auto first = std::lower_bound(points_.begin(), points_.end(), from_ms, by_time);
  const auto last = std::lower_bound(first, points_.end(), to_ms, by_time);
  size_t end = static_cast<size_t>(last - points_.begin());
  while (end < points_.size() && points_[end].time_ms == to_ms) ++end;
  return {static_cast<size_t>(first - points_.begin()), end};
}

std::optional<size_t> TrendStore::Nearest(int64_t time_ms) const {
  if (points_.empty()) return std::nullopt;
  const auto after = std::lower_bound(points_.begin(), points_.end(), time_ms,
                                      [](const TrendPoint& p, int64_t t) { return p.time_ms < t; });
  size_t index = static_cast<size_t>(after - points_.begin());
  if (index == points_.size()) return index - 1;
  if (index > 0 && time_ms - points_[index - 1].time_ms <= points_[index].time_ms - time_ms) {
    --index;
  }
  return index;
}

std::string IsoLocalTime(int64_t time_ms) {
  const int64_t seconds = time_ms >= 0 ? time_ms / 1000 : (time_ms - 999) / 1000;
  const int milliseconds = static_cast<int>(time_ms - seconds * 1000);
  const time_t t = static_cast<time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  const int offset_min = static_cast<int>(local.tm_gmtoff / 60) % (100 * 60);
  const int offset_abs = offset_min < 0 ? -offset_min : offset_min;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, milliseconds, offset_min < 0 ? '-' : '+', offset_abs / 60,
                offset_abs % 60);
  return text;
}

namespace {

// A header field: quoted when it holds the separator or a quote.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string CsvNumber(double value) {
  if (!std::isfinite(value)) return {};
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (error != std::errc{}) return {};
  return std::string(text, end);
}

}  // namespace

std::string TrendCsv(const std::vector<TrendChannel>& channels, std::span<const TrendPoint> points,
                     const std::vector<size_t>& shown) {
  std::string csv = "Время (ISO 8601)";
  for (size_t index : shown) {
    if (index >= channels.size()) continue;
    const TrendChannel& channel = channels[index];
    const std::string unit = channel.unit.empty() ? "без единицы" : channel.unit;
    csv += ',' + CsvField(channel.name + " (" + unit + ")");
  }
  csv += ",Отметка\n";
  for (const TrendPoint& point : points) {
    csv += IsoLocalTime(point.time_ms);
    for (size_t index : shown) {
      if (index >= channels.size()) continue;
      csv += ',';
      if (index < point.values.size()) csv += CsvNumber(point.values[index]);
    }
    csv += ',';
    if (point.marks & kTrendMarkError) csv += "ошибка";
    if ((point.marks & kTrendMarkError) && (point.marks & kTrendMarkCutOff)) csv += ' ';
    if (point.marks & kTrendMarkCutOff) csv += "отсечка";
    csv += '\n';
  }
  return csv;
}

namespace {

// The step for a span: the round time nearest above a twentieth of it.
int64_t SpanStep(int64_t span_ms) {
  static constexpr int64_t kSteps[] = {1'000,      2'000,      5'000,     10'000,    15'000,
                                       30'000,     60'000,     120'000,   300'000,   600'000,
                                       900'000,    1'800'000,  3'600'000, 7'200'000, 10'800'000,
                                       21'600'000, 43'200'000, 86'400'000};
  const int64_t wanted = span_ms / 20;
  for (int64_t step : kSteps) {
    if (step >= wanted) return step;
  }
  return kSteps[std::size(kSteps) - 1];
}

int64_t CeilToStep(int64_t t, int64_t step) {
  const int64_t below = t - ((t % step) + step) % step;
  return below == t ? t : below + step;
}

}  // namespace

TrendSpan FollowingSpan(int64_t span_ms, int64_t first_ms, int64_t last_ms, int64_t min_span_ms) {
  if (span_ms <= 0) {
    // The whole session: from its first point to the next step.
    const int64_t step = SpanStep(std::max(last_ms - first_ms, min_span_ms));
    return {first_ms, std::max(CeilToStep(last_ms, step), first_ms + min_span_ms)};
  }
  const int64_t step = SpanStep(span_ms);
  const int64_t to = CeilToStep(last_ms, step);
  // One step more on the left: [last - span, last] is always inside.
  return {to - span_ms - step, to};
}

}  // namespace qmx
