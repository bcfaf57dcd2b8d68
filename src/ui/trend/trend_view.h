// The trend of the measured values under "ИЗМЕРЕНИЕ" and "Измеренное
// значение", and the chart of a measurement record file: Qt Charts over a
// TrendStore, with a wall-clock time axis, one or two quantities (the second
// on its own axis on the right), the marks of the cycles that failed
// (yellow) and of the cut-off (light green), pan and zoom with the mouse,
// a cursor that reads the values at a time, pause, and export of the picture
// (PNG) and of the points shown (CSV).
//
// A live trend is folded away behind its "График" box until the operator
// opens it; folded away it takes no points and draws nothing.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "trend/trend_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QChart;
class QChartView;
class QDateTimeAxis;
class QGraphicsLineItem;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace qmx {

class Dialogs;
struct MeasuredValues;

class TrendView final : public QWidget {
  Q_OBJECT

 public:
  enum class Mode { kLive, kFile };

  // `name` is the object name ("TrendOperator", "TrendEngineering"); the
  // controls take it as their prefix ("TrendOperatorToggle", …Range, …Left,
  // …Right, …Pause, …Png, …Csv, …Cursor, …Chart).
  TrendView(Dialogs& dialogs, Mode mode, const char* name, QWidget* parent = nullptr);

  // The live trend: the channels of the measured values.
  static std::vector<TrendChannel> MeasuredChannels();

  // Whether the chart is open (the "График" box); a file chart always is.
  bool Shown() const;
  void SetShown(bool shown);

  // One poll cycle: the values the views show now, whether the cycle's read
  // came in, and the wall-clock time.  Nothing happens while folded away.
  void TakeCycle(const MeasuredValues& values, bool data_taken, int64_t wall_ms);
  // A record file's points in place of whatever the chart held.
  void ShowPoints(TrendStore store);

  const TrendStore& Store() const { return store_; }
  bool Paused() const;
  void SetPaused(bool paused);
  // Picks the quantities by channel index; `right` < 0 for none.
  void ShowChannels(int left, int right);
  // The time span shown, in ms since 1970 (UTC).
  void SetTimeSpan(int64_t from_ms, int64_t to_ms);
  int64_t SpanFrom() const { return span_from_ms_; }
  int64_t SpanTo() const { return span_to_ms_; }

  // The points within the span shown, of the quantities shown.
  std::string ShownCsv() const;
  bool WriteCsv(const std::string& path) const;
  bool WritePng(const std::string& path) const;
  // The text of the cursor line at `time_ms`.
  QString CursorText(int64_t time_ms) const;

  QChartView* ChartView() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  class PlotView;

  void BuildControls();
  void BuildPlot();
  // The span from the range choice (live: ending now).
  void FollowRange();
  // Puts the points of the span into the series, thinned to what the chart
  // can show, and fits the value axes.
  void Redraw();
  void MoveCursor(int64_t time_ms, qreal x_pixel);
  void Zoom(qreal factor, qreal around_pixel);
  void Pan(qreal pixels);
  void ExportCsv();
  void ExportPng();
  std::vector<size_t> ShownChannels() const;
  int64_t LastTime() const;

  Dialogs& dialogs_;
  Mode mode_;
  TrendStore store_;
  int64_t span_from_ms_ = 0;
  int64_t span_to_ms_ = 0;
  // Points came in while the chart was out of sight.
  bool stale_ = false;

  QCheckBox* toggle_ = nullptr;
  QWidget* body_ = nullptr;
  QComboBox* range_ = nullptr;
  QComboBox* left_ = nullptr;
  QComboBox* right_ = nullptr;
  QPushButton* pause_ = nullptr;
  QLabel* cursor_ = nullptr;
  QChart* chart_ = nullptr;
  PlotView* chart_view_ = nullptr;
  QDateTimeAxis* time_axis_ = nullptr;
  QValueAxis* left_axis_ = nullptr;
  QValueAxis* right_axis_ = nullptr;
  QLineSeries* left_series_ = nullptr;
  QLineSeries* right_series_ = nullptr;
  QScatterSeries* error_marks_ = nullptr;
  QScatterSeries* cut_off_marks_ = nullptr;
  QGraphicsLineItem* cursor_line_ = nullptr;
  // Fills the quantity lists from the channels, keeping the choice.
  std::function<void()> refill_;
};

}  // namespace qmx
