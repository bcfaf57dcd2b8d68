// Feeds arbitrary bytes, cut into arbitrary pieces, to the record-file
// parser that opens measurement records as charts.  Whatever a file holds
// must never crash it, and every point it keeps has a value per channel.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "trend/record_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte sets the piece length the file arrives in.
  const size_t piece = 1 + data[0] % 64;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  qmx::RecordFileParser parser;
  for (size_t at = 0; at < text.size(); at += piece) parser.Feed(text.substr(at, piece));
  parser.Finish();
  const qmx::RecordFileChart& chart = parser.chart();
  if (chart.skipped_lines > chart.lines) abort();
  if (chart.store.channels().size() > qmx::RecordFileParser::kMaxChannels) abort();
  for (const qmx::TrendPoint& point : chart.store.points()) {
    if (point.values.size() != chart.store.channels().size()) abort();
  }
  // The whole text at once gives the same chart.
  const qmx::RecordFileChart whole = qmx::ParseRecordFile(text);
  if (whole.lines != chart.lines || whole.skipped_lines != chart.skipped_lines) abort();
  if (whole.store.points().size() != chart.store.points().size()) abort();
  return 0;
}
