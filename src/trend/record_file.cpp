#include "trend/record_file.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <vector>

namespace qmx {
namespace {

// Bits of the flow state and error words the record lines carry.
constexpr uint32_t kCutOffBit = 0x0004;
constexpr uint32_t kStateErrorBits = 0xFF80;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The next blank-separated token of `line` from `pos`.
std::string_view NextToken(std::string_view line, size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  const size_t start = pos;
  while (pos < line.size() && !IsBlank(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

bool ParseUnsigned(std::string_view text, unsigned& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

// The state and error words, the keys and the outputs are written in hex.
bool IsHexField(std::string_view name) {
  auto ends = [name](std::string_view tail) {
    return name.size() >= tail.size() && name.substr(name.size() - tail.size()) == tail;
  };
  return ends("_ERR") || ends("_HI") || ends("_LO") || name == "IZM_BT" || name == "REL_FLAGS";
}

bool ParseValue(std::string_view name, std::string_view text, double& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  if (IsHexField(name)) {
    uint32_t word = 0;
    const auto [stop, error] = std::from_chars(text.data(), end, word, 16);
    if (error != std::errc{} || stop != end) return false;
    value = word;
    return true;
  }
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end && std::isfinite(value);
}

std::string UnitOf(std::string_view name) {
  if (name == "IZM_TEMP") return "°C";
  if (name == "IZM_P_KPA") return "кПа";
  if (name == "IZM_FLOW_VEL") return "м/с";
  if (name == "IZM_FLOW_V_OTN") return "1/65535";
  if (name == "IZM_FLOW_V") return "единица расхода прибора";
  return {};
}

bool DaysInMonthOk(unsigned year, unsigned month, unsigned day) {
  static constexpr unsigned kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return !(month == 2 && day == 29 && !leap);
}

}  // namespace

int64_t RecordFileParser::LocalToEpochMs(unsigned year, unsigned month, unsigned day, unsigned hour,
                                         unsigned minute, unsigned second) {
  const int64_t key = ((int64_t{year} * 12 + month) * 31 + day) * 24 + hour;
  if (key != cached_hour_key_) {
    std::tm local{};
    local.tm_year = static_cast<int>(year) - 1900;
    local.tm_mon = static_cast<int>(month) - 1;
    local.tm_mday = static_cast<int>(day);
    local.tm_hour = static_cast<int>(hour);
    local.tm_isdst = -1;
    cached_hour_ms_ = int64_t{mktime(&local)} * 1000;
    cached_hour_key_ = key;
  }
  return cached_hour_ms_ + (int64_t{minute} * 60 + second) * 1000;
}

void RecordFileParser::Line(std::string_view line) {
  size_t pos = 0;
  unsigned stamp[6];
  std::string_view first = NextToken(line, pos);
  if (first.empty()) return;  // an empty line is no record and no fault
  ++chart_.lines;
  for (int i = 0; i < 6; ++i) {
    if (i > 0) first = NextToken(line, pos);
    if (!ParseUnsigned(first, stamp[i])) {
      ++chart_.skipped_lines;
      return;
    }
  }
  const unsigned day = stamp[0], month = stamp[1], year = stamp[2];
  const unsigned hour = stamp[3], minute = stamp[4], second = stamp[5];
  if (year < 1970 || year > 9999 || !DaysInMonthOk(year, month, day) || hour > 23 || minute > 59 ||
      second > 60) {
    ++chart_.skipped_lines;
    return;
  }

  // Fields first into a list: a line with one bad field adds nothing, not
  // even a channel.
  std::vector<std::pair<std::string_view, double>> fields;
  for (std::string_view token = NextToken(line, pos); !token.empty();
       token = NextToken(line, pos)) {
    const size_t equals = token.find('=');
    if (equals == 0 || equals == std::string_view::npos) {
      ++chart_.skipped_lines;
      return;
    }
    // The numbers are padded on the left ("IZM_FLOW_V=     1.0000").
    std::string_view text = token.substr(equals + 1);
    if (text.empty()) text = NextToken(line, pos);
    double value = 0;
    if (!ParseValue(token.substr(0, equals), text, value)) {
      ++chart_.skipped_lines;
      return;
    }
    fields.emplace_back(token.substr(0, equals), value);
  }
  size_t new_channels = 0;
  for (const auto& field : fields) {
    if (columns_.find(field.first) == columns_.end()) ++new_channels;
  }
  if (fields.empty() || columns_.size() + new_channels > kMaxChannels) {
    ++chart_.skipped_lines;
    return;
  }

  std::vector<TrendChannel> channels = chart_.store.channels();
  if (new_channels > 0) {
    for (const auto& field : fields) {
      if (columns_.find(field.first) != columns_.end()) continue;
      columns_.emplace(std::string(field.first), channels.size());
      channels.push_back({std::string(field.first), UnitOf(field.first)});
    }
    // The store keeps its points; only the channel list grows.
    std::vector<TrendPoint> points = chart_.store.points();
    const size_t capacity = chart_.store.capacity();
    chart_.store = TrendStore(channels, capacity);
    for (TrendPoint& point : points) chart_.store.Add(std::move(point));
  }

  TrendPoint point;
  point.time_ms = LocalToEpochMs(year, month, day, hour, minute, second);
  point.values.assign(channels.size(), std::nan(""));
  uint32_t state = 0, error = 0;
  for (const auto& [name, value] : fields) {
    point.values[columns_.find(name)->second] = value;
    if (name == "IZM_FLOW_V_ERR_HI") state = static_cast<uint32_t>(value);
    if (name == "IZM_FLOW_V_ERR_LO") error = static_cast<uint32_t>(value);
  }
  if (state & kCutOffBit) point.marks |= kTrendMarkCutOff;
  if ((state & kStateErrorBits) != 0 || error != 0) point.marks |= kTrendMarkError;
  chart_.store.Add(std::move(point));
}

void RecordFileParser::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (partial_.size() + piece.size() > kMaxLineBytes) {
      overlong_ = true;
      partial_.clear();
    } else if (!overlong_ && (!partial_.empty() || end == std::string_view::npos)) {
      partial_.append(piece);
    }
    if (end == std::string_view::npos) return;
    if (overlong_) {
      ++chart_.lines;
      ++chart_.skipped_lines;
    } else if (partial_.empty()) {
      Line(piece);
    } else {
      Line(partial_);
    }
    partial_.clear();
    overlong_ = false;
    bytes.remove_prefix(end + 1);
  }
}

void RecordFileParser::Finish() {
  if (overlong_) {
    ++chart_.lines;
    ++chart_.skipped_lines;
  } else if (!partial_.empty()) {
    Line(partial_);
  }
  partial_.clear();
  overlong_ = false;
}

RecordFileChart ParseRecordFile(std::string_view text) {
  RecordFileParser parser;
  parser.Feed(text);
  parser.Finish();
  return std::move(parser.chart());
}

}  // namespace qmx
