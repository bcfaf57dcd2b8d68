// The trends of the measured-value views against the in-process instrument,
// their export, and a record file opened as a chart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <string>

#include "blocks/measurement_records.h"
#include "measured_fixture.h"
#include "ui/trend/record_chart_window.h"
#include "ui/trend/trend_view.h"
#include "ui/window_state.h"

namespace qmx::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class TrendWindowTest : public MeasuredWindowTest {
 protected:
  TrendView* Trend(const char* name) {
    auto* trend = window_->findChild<TrendView*>(QLatin1String(name));
    EXPECT_NE(trend, nullptr) << name;
    return trend;
  }
  // The operator's poll, `cycles` times, as the timer would run it.
  void PollOperator(int cycles) {
    Click("BitBtn25");
    for (int i = 0; i < cycles; ++i) {
      polling_->Timer3Timer();
      Settle();
    }
  }
  double Number(const char* name) { return std::stod(Text(name)); }
};

TEST_F(TrendWindowTest, TheTrendTakesThePollsValuesItsLastPointIsWhatThePageShows) {
  meter_.SetFlow(12.3, 0.05);
  TrendView* trend = Trend("TrendOperator");
  Find<QCheckBox>("TrendOperatorToggle")->click();
  ASSERT_TRUE(trend->Shown());
  PollOperator(3);
  ASSERT_EQ(trend->Store().added(), 3u);
  const TrendPoint& last = trend->Store().points().back();
  EXPECT_NEAR(last.values[0], Number("Panel116"), 0.00005);
  EXPECT_NEAR(last.values[0], context_.measurement.values.flow, 1e-6);
  EXPECT_NEAR(last.values[1], context_.measurement.values.velocity, 1e-6);
  EXPECT_EQ(last.marks & kTrendMarkError, 0);
  EXPECT_EQ(trend->Store().channels()[0].unit,
            FlowUnitText(context_.measurement.values.flow_unit_code()));
  // The engineering trend, folded away, took nothing.
  EXPECT_EQ(Trend("TrendEngineering")->Store().added(), 0u);
}

TEST_F(TrendWindowTest, FoldedAwayTheTrendTakesNothingWhileThePollGoesOn) {
  TrendView* trend = Trend("TrendOperator");
  ASSERT_FALSE(trend->Shown());
  PollOperator(2);
  EXPECT_EQ(context_.measurement.counters.cycles, 2);
  EXPECT_EQ(trend->Store().added(), 0u);
  EXPECT_FALSE(Find<QWidget>("TrendOperatorBody")->isVisibleTo(trend));
}

TEST_F(TrendWindowTest, AFailedCycleIsMarkedAndPauseStopsTheChartNotThePoll) {
  TrendView* trend = Trend("TrendOperator");
  trend->SetShown(true);
  PollOperator(1);
  Find<QPushButton>("TrendOperatorPause")->click();
  const int64_t from = trend->SpanFrom();
  Silence();
  polling_->Timer3Timer();
  Settle();
  ASSERT_EQ(trend->Store().added(), 2u);
  EXPECT_NE(trend->Store().points().back().marks & kTrendMarkError, 0);
  EXPECT_EQ(trend->SpanFrom(), from);
}

TEST_F(TrendWindowTest, ExportWritesTheCsvThePointsSayAndAPicture) {
  meter_.SetFlow(30.0, 0.05);
  TrendView* trend = Trend("TrendOperator");
  trend->SetShown(true);
  PollOperator(3);
  trend->ShowChannels(0, 1);                // flow on the left, velocity on the right
  dialogs_.AcceptFile(dir_.File("trend"));  // no extension: ".csv" is added
  Click("TrendOperatorCsv");
  const std::vector<std::string> lines = Lines(dir_.File("trend.csv"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_THAT(lines[0], StartsWith("Время (ISO 8601),Расход ("));
  EXPECT_THAT(lines[0], HasSubstr(",Скорость потока (м/с),Отметка"));
  for (size_t i = 1; i < lines.size(); ++i) {
    const TrendPoint& point = trend->Store().points()[i - 1];
    const std::string& line = lines[i];
    EXPECT_EQ(line.substr(0, line.find(',')).size(), 29u) << line;  // ISO with offset
    const size_t flow_at = line.find(',') + 1;
    const size_t velocity_at = line.find(',', flow_at) + 1;
    EXPECT_EQ(std::stod(line.substr(flow_at)), point.values[0]) << line;
    EXPECT_EQ(std::stod(line.substr(velocity_at)), point.values[1]) << line;
  }
  dialogs_.AcceptFile(dir_.File("trend.png"));
  Click("TrendOperatorPng");
  const QImage picture(QString::fromStdString(dir_.File("trend.png")));
  EXPECT_FALSE(picture.isNull());
}

TEST_F(TrendWindowTest, ARecordFileWithBadLinesOpensWithTheCountOfSkippedLines) {
  std::string text;
  MeasuredValues values;
  for (unsigned s = 0; s < 4; ++s) {
    values.flow = static_cast<float>(s);
    text += MeasurementRecordLine({2024, 3, 7, 9, 5, s}, values);
    if (s < 3) text += "07 03 2024 09 05 xx  IZM_FLOW_V=1\n";
  }
  WriteText(dir_.File("izm.txt"), text);
  dialogs_.AcceptFile(dir_.File("izm.txt"));
  window_->findChild<QAction*>(QStringLiteral("OpenRecordsAction"))->trigger();
  auto* chart = window_->findChild<RecordChartWindow*>();
  ASSERT_NE(chart, nullptr);
  // The parse runs on its own thread; the window is told when it ends.
  QElapsedTimer patience;
  patience.start();
  while (!chart->Loaded() && patience.elapsed() < 60000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_TRUE(chart->Loaded());
  EXPECT_THAT(chart->Summary().toStdString(), HasSubstr("пропущено строк: 3"));
  const TrendStore& store = chart->View()->Store();
  ASSERT_EQ(store.points().size(), 4u);
  EXPECT_EQ(store.points()[3].values[0], 3.0);
  EXPECT_EQ(store.channels().size(), 12u);
  chart->close();
}

}  // namespace
}  // namespace qmx::test
