#include "trend/record_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "blocks/measurement_records.h"

namespace qmx {
namespace {

size_t Column(const RecordFileChart& chart, const std::string& name) {
  const auto& channels = chart.store.channels();
  for (size_t i = 0; i < channels.size(); ++i) {
    if (channels[i].name == name) return i;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

TEST(RecordFile, TheProgramsOwnMeasurementLinesComeBackAsPoints) {
  MeasuredValues values;
  values.flow = 12.5f;
  values.relative_flow = 300;
  values.flow_state = 0x0004;  // cut-off
  values.pipe_temperature = 21.25f;
  values.pressure = 101.5f;
  values.velocity = 1.75f;
  values.state_word = 0x0310;
  std::string text = MeasurementRecordLine({2024, 3, 7, 9, 5, 3}, values);
  values.flow_state = 0;
  values.flow_error = 0x0001;
  values.flow = -3.0f;
  text += MeasurementRecordLine({2024, 3, 7, 9, 5, 4}, values);
  const RecordFileChart chart = ParseRecordFile(text);
  EXPECT_EQ(chart.lines, 2u);
  EXPECT_EQ(chart.skipped_lines, 0u);
  ASSERT_EQ(chart.store.channels().size(), 12u);
  ASSERT_EQ(chart.store.points().size(), 2u);
  const TrendPoint& first = chart.store.points()[0];
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "IZM_FLOW_V")], 12.5);
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "IZM_FLOW_V_OTN")], 300);
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "IZM_TEMP")], 21.25);
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "IZM_P_KPA")], 101.5);
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "IZM_FLOW_VEL")], 1.75);
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "IZM_BT")], 0x10);  // hexadecimal
  EXPECT_DOUBLE_EQ(first.values[Column(chart, "REL_FLAGS")], 3);
  EXPECT_EQ(first.marks, kTrendMarkCutOff);
  EXPECT_EQ(chart.store.points()[1].marks, kTrendMarkError);
  EXPECT_EQ(chart.store.points()[1].time_ms - first.time_ms, 1000);
  EXPECT_EQ(chart.store.channels()[Column(chart, "IZM_P_KPA")].unit, "кПа");
}

TEST(RecordFile, TheModuleLineHasItsThreeColumns) {
  ModuleData data;
  data.flow = 4.5f;
  const RecordFileChart chart = ParseRecordFile(ModuleRecordLine({2024, 3, 7, 9, 5, 3}, data));
  ASSERT_EQ(chart.store.channels().size(), 3u);
  EXPECT_DOUBLE_EQ(chart.store.points().at(0).values[0], 4.5);
}

TEST(RecordFile, MalformedLinesAreSkippedAndCounted) {
  const std::string good = "07 03 2024 09 05 03  IZM_FLOW_V=     1.0000 IZM_TEMP_ERR=00ff\r\n";
  const std::string text = good +
                           "07 03 2024 09 05\n"                      // a number short
                           "31 02 2024 09 05 03  IZM_FLOW_V=1.0\n"   // no such day
                           "07 03 2024 09 05 04  IZM_FLOW_V=1,5\n"   // comma decimal
                           "07 03 2024 09 05 05  IZM_TEMP_ERR=zz\n"  // not hexadecimal
                           "07 03 2024 09 05 06  IZM_FLOW_V\n"       // no value
                           "\n" +                                    // empty: no record
                           std::string(5000, 'x') +
                           "\n" + good;  // overlong
  const RecordFileChart chart = ParseRecordFile(text);
  EXPECT_EQ(chart.lines, 8u);
  EXPECT_EQ(chart.skipped_lines, 6u);
  EXPECT_EQ(chart.store.points().size(), 2u);
  EXPECT_DOUBLE_EQ(chart.store.points()[0].values[1], 255);
}

TEST(RecordFile, PiecesCutAnywhereGiveTheSameChart) {
  std::string text;
  for (int s = 0; s < 50; ++s) {
    text += "07 03 2024 09 05 " + std::to_string(s) + "  IZM_FLOW_V=" + std::to_string(s) + "\n";
  }
  text += "junk without end";
  RecordFileParser parser;
  for (size_t at = 0; at < text.size(); at += 7) parser.Feed(std::string_view(text).substr(at, 7));
  parser.Finish();
  EXPECT_EQ(parser.chart().store.points().size(), 50u);
  EXPECT_EQ(parser.chart().skipped_lines, 1u);
  EXPECT_DOUBLE_EQ(parser.chart().store.points()[49].values[0], 49);
}

}  // namespace
}  // namespace qmx
