#include "ui/trend/trend_view.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "blocks/measured_values.h"
#include "operator/controls.h"
#include "operator/dialogs.h"

namespace qmx {
namespace {

constexpr int64_t kMinute = 60 * 1000;
constexpr int64_t kMinSpanMs = 10 * 1000;
// More points than the plot has pixels only cost time.
constexpr size_t kMaxDrawnPoints = 800;
constexpr int kChartHeight = 260;

// The channels of the live trend, in this order.
enum LiveChannel : size_t { kFlow, kVelocity, kPressure, kTemperature1, kTemperature2, kPipe };

QColor Colour(Rgb rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

double Measured(float value, uint16_t error) {
  return (error & kErrorNotMeasured) != 0 ? std::numeric_limits<double>::quiet_NaN()
                                          : static_cast<double>(value);
}

QString ChannelText(const TrendChannel& channel) {
  QString text = QString::fromStdString(channel.name);
  if (!channel.unit.empty()) text += QStringLiteral(", ") + QString::fromStdString(channel.unit);
  return text;
}

// A new range of a value axis lays the whole chart out again, which costs
// more than all the rest of a cycle: the axis keeps its range while the
// values stay inside it and fill at least a third of it.
void FitAxis(QValueAxis& axis, double low, double high) {
  const double min = axis.min(), max = axis.max();
  const bool inside = low >= min && high <= max;
  if (inside && (high - low) * 3 >= (max - min)) return;
  const double margin = std::max((high - low) * 0.1, std::fabs(high) * 1e-3 + 1e-3);
  axis.setRange(low - margin, high + margin);
}

}  // namespace

// The mouse on the plot: the wheel zooms the time axis around the pointer,
// a drag with the left button moves it, a double click goes back to the
// range chosen; the pointer's time moves the cursor.
class TrendView::PlotView final : public QChartView {
 public:
  PlotView(QChart* chart, TrendView& owner, QWidget* parent)
      : QChartView(chart, parent), owner_(owner) {
    setMouseTracking(true);
  }

  // The time under a point of the view; false off the plot.
  bool TimeAt(qreal view_x, int64_t& time_ms) const {
    const QRectF plot = chart()->plotArea();
    const qreal x = mapToScene(QPoint(static_cast<int>(view_x), 0)).x();
    if (plot.width() <= 0 || x < plot.left() || x > plot.right()) return false;
    const double span = static_cast<double>(owner_.span_to_ms_ - owner_.span_from_ms_);
    time_ms = owner_.span_from_ms_ + std::llround((x - plot.left()) / plot.width() * span);
    return true;
  }
  qreal PlotWidth() const { return chart()->plotArea().width(); }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    owner_.Zoom(event->angleDelta().y() > 0 ? 0.8 : 1.25, event->position().x());
    event->accept();
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      dragging_ = true;
      last_x_ = event->position().x();
    }
    event->accept();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const qreal x = event->position().x();
    if (dragging_) {
      owner_.Pan(x - last_x_);
      last_x_ = x;
    }
    int64_t time_ms = 0;
    if (TimeAt(x, time_ms)) owner_.MoveCursor(time_ms, x);
    event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    dragging_ = false;
    event->accept();
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    owner_.SetPaused(false);
    owner_.FollowRange();
    owner_.Redraw();
    event->accept();
  }

 private:
  TrendView& owner_;
  bool dragging_ = false;
  qreal last_x_ = 0;
};

std::vector<TrendChannel> TrendView::MeasuredChannels() {
  return {{"Расход", ""},          {"Скорость потока", "м/с"}, {"Давление", "кПа"},
          {"Температура 1", "°C"}, {"Температура 2", "°C"},    {"Температура трубы", "°C"}};
}

TrendView::TrendView(Dialogs& dialogs, Mode mode, const char* name, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      mode_(mode),
      store_(mode == Mode::kLive ? MeasuredChannels() : std::vector<TrendChannel>{}) {
  setObjectName(QLatin1String(name));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  toggle_ = new QCheckBox(QStringLiteral("График"), this);
  toggle_->setObjectName(objectName() + QStringLiteral("Toggle"));
  toggle_->setToolTip(QStringLiteral("Показать изменение измеренных значений во времени"));
  column->addWidget(toggle_);
  if (mode_ == Mode::kFile) toggle_->hide();

  body_ = new QWidget(this);
  body_->setObjectName(objectName() + QStringLiteral("Body"));
  body_->hide();
  column->addWidget(body_);
  // The controls are made at once, so that each has its name from start-up
  // (a script checks the names before it runs); folded away it draws nothing.
  BuildControls();
  connect(toggle_, &QCheckBox::toggled, this, &TrendView::SetShown);
  if (mode_ == Mode::kFile) SetShown(true);
}

QChartView* TrendView::ChartView() const {
  return chart_view_;
}

bool TrendView::Shown() const {
  return mode_ == Mode::kFile || toggle_->isChecked();
}

void TrendView::SetShown(bool shown) {
  if (toggle_->isChecked() != shown) toggle_->setChecked(shown);  // comes back here
  if (Shown() && chart_ == nullptr) BuildPlot();
  body_->setVisible(shown || mode_ == Mode::kFile);
  if (Shown() && !Paused()) {
    FollowRange();
    Redraw();
  }
}

void TrendView::BuildControls() {
  auto* layout = new QVBoxLayout(body_);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* controls = new QHBoxLayout;
  layout->addLayout(controls);

  range_ = new QComboBox(body_);
  range_->setObjectName(objectName() + QStringLiteral("Range"));
  range_->addItems(
      {QStringLiteral("5 минут"), QStringLiteral("1 час"),
       mode_ == Mode::kLive ? QStringLiteral("Весь сеанс") : QStringLiteral("Весь файл")});
  if (mode_ == Mode::kFile) range_->setCurrentIndex(2);
  controls->addWidget(range_);
  left_ = new QComboBox(body_);
  left_->setObjectName(objectName() + QStringLiteral("Left"));
  left_->setToolTip(QStringLiteral("Величина на левой оси"));
  controls->addWidget(left_);
  right_ = new QComboBox(body_);
  right_->setObjectName(objectName() + QStringLiteral("Right"));
  right_->setToolTip(QStringLiteral("Величина на правой оси"));
  controls->addWidget(right_);
  pause_ = new QPushButton(QStringLiteral("Пауза"), body_);
  pause_->setObjectName(objectName() + QStringLiteral("Pause"));
  pause_->setCheckable(true);
  pause_->setToolTip(
      QStringLiteral("Остановить график; опрос продолжается. Двойной щелчок по графику "
                     "возвращает выбранный интервал"));
  controls->addWidget(pause_);
  if (mode_ == Mode::kFile) pause_->hide();
  auto* png = new QPushButton(QStringLiteral("Сохранить рисунок…"), body_);
  png->setObjectName(objectName() + QStringLiteral("Png"));
  controls->addWidget(png);
  auto* csv = new QPushButton(QStringLiteral("Сохранить данные…"), body_);
  csv->setObjectName(objectName() + QStringLiteral("Csv"));
  controls->addWidget(csv);
  controls->addStretch(1);
  cursor_ = new QLabel(body_);
  cursor_->setObjectName(objectName() + QStringLiteral("Cursor"));
  layout->addWidget(cursor_);

  auto fill = [this] {
    const QSignalBlocker quiet_left(left_), quiet_right(right_);
    const int left = std::max(0, left_->currentIndex());
    const int right = right_->currentIndex();
    left_->clear();
    right_->clear();
    right_->addItem(QStringLiteral("Нет"));
    for (const TrendChannel& channel : store_.channels()) {
      left_->addItem(ChannelText(channel));
      right_->addItem(ChannelText(channel));
    }
    left_->setCurrentIndex(std::min(left, left_->count() - 1));
    right_->setCurrentIndex(right < 0 ? (right_->count() > 2 ? 2 : 0) : right);
  };
  fill();
  connect(range_, &QComboBox::currentIndexChanged, this, [this] {
    SetPaused(false);
    FollowRange();
    Redraw();
  });
  connect(left_, &QComboBox::currentIndexChanged, this, &TrendView::Redraw);
  connect(right_, &QComboBox::currentIndexChanged, this, &TrendView::Redraw);
  connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
    if (!paused) {
      FollowRange();
      Redraw();
    }
  });
  connect(png, &QPushButton::clicked, this, &TrendView::ExportPng);
  connect(csv, &QPushButton::clicked, this, &TrendView::ExportCsv);
  refill_ = fill;
}

// The chart itself costs a good part of a second of start-up: it is made
// when the trend is first opened.
void TrendView::BuildPlot() {
  chart_ = new QChart;
  chart_->legend()->setVisible(true);
  chart_->legend()->setAlignment(Qt::AlignBottom);
  chart_->setMargins(QMargins(2, 2, 2, 2));
  // Square corners up to the view's edges: the background is a plain fill
  // of the whole view, not a path inside a border of the view's own.
  chart_->setBackgroundRoundness(0);
  chart_->layout()->setContentsMargins(0, 0, 0, 0);
  time_axis_ = new QDateTimeAxis(chart_);
  time_axis_->setFormat(QStringLiteral("HH:mm:ss"));
  time_axis_->setTickCount(6);
  left_axis_ = new QValueAxis(chart_);
  right_axis_ = new QValueAxis(chart_);
  chart_->addAxis(time_axis_, Qt::AlignBottom);
  chart_->addAxis(left_axis_, Qt::AlignLeft);
  chart_->addAxis(right_axis_, Qt::AlignRight);
  left_series_ = new QLineSeries(chart_);
  right_series_ = new QLineSeries(chart_);

  error_marks_ = new QScatterSeries(chart_);
  cut_off_marks_ = new QScatterSeries(chart_);
  error_marks_->setName(QStringLiteral("ошибка"));
  cut_off_marks_->setName(QStringLiteral("отсечка"));
  error_marks_->setColor(Colour(kColorYellow));
  cut_off_marks_->setColor(Colour(kColorLightGreen));
  for (QScatterSeries* marks : {error_marks_, cut_off_marks_}) {
    marks->setMarkerSize(9);
    marks->setBorderColor(Qt::darkGray);
  }
  for (QXYSeries* series : std::initializer_list<QXYSeries*>{left_series_, right_series_,
                                                             error_marks_, cut_off_marks_}) {
    chart_->addSeries(series);
    series->attachAxis(time_axis_);
    series->attachAxis(series == right_series_ ? right_axis_ : left_axis_);
  }
  // A thin line is drawn without the stroker's joins: a fraction of the
  // cost.  The colours are the theme's, given when the series joined.
  for (QLineSeries* line : {left_series_, right_series_}) {
    QPen pen = line->pen();
    pen.setWidth(1);
    line->setPen(pen);
  }
  chart_view_ = new PlotView(chart_, *this, body_);
  chart_view_->setObjectName(objectName() + QStringLiteral("Chart"));
  chart_view_->setMinimumHeight(kChartHeight);
  // The chart's background covers the whole view: the view need not fill it
  // first, nor keep the painter's state for items that leave it as it was.
  chart_view_->viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  chart_view_->setOptimizationFlags(QGraphicsView::DontSavePainterState |
                                    QGraphicsView::DontAdjustForAntialiasing);
  static_cast<QVBoxLayout*>(body_->layout())->addWidget(chart_view_, 1);
  cursor_line_ = new QGraphicsLineItem(chart_);
  cursor_line_->setPen(QPen(Qt::darkGray, 0, Qt::DashLine));
  cursor_line_->hide();
}

void TrendView::TakeCycle(const MeasuredValues& v, bool data_taken, int64_t wall_ms) {
  if (!Shown()) return;
  TrendPoint point;
  point.time_ms = wall_ms;
  if (!data_taken) point.marks |= kTrendMarkError;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  point.values.assign(store_.channels().size(), nan);
  if (v.read) {
    if (v.flow_in_error()) point.marks |= kTrendMarkError;
    if (v.flow_state & kFlowStateCutOff) point.marks |= kTrendMarkCutOff;
    point.values[kFlow] = static_cast<double>(v.flow);
    point.values[kVelocity] = Measured(v.velocity, v.velocity_error);
    point.values[kPressure] = Measured(v.pressure, v.pressure_error);
    point.values[kTemperature1] = Measured(v.process_temperature1, v.process_temperature1_error);
    point.values[kTemperature2] = Measured(v.process_temperature2, v.process_temperature2_error);
    point.values[kPipe] = Measured(v.pipe_temperature, v.pipe_temperature_error);
    const std::string unit = FlowUnitText(v.flow_unit_code());
    if (unit != store_.channels()[kFlow].unit) {
      store_.SetChannelUnit(kFlow, unit);
      refill_();
    }
  }
  store_.Add(std::move(point));
  if (!Paused()) {
    FollowRange();
    Redraw();
  }
}

void TrendView::ShowPoints(TrendStore store) {
  store_ = std::move(store);
  refill_();
  left_->setCurrentIndex(0);
  FollowRange();
  Redraw();
}

bool TrendView::Paused() const {
  return pause_ != nullptr && pause_->isChecked();
}

void TrendView::SetPaused(bool paused) {
  if (pause_ != nullptr && mode_ == Mode::kLive) pause_->setChecked(paused);
}

void TrendView::ShowChannels(int left, int right) {
  left_->setCurrentIndex(left);
  right_->setCurrentIndex(right + 1);
}

int64_t TrendView::LastTime() const {
  return store_.points().empty() ? QDateTime::currentMSecsSinceEpoch()
                                 : store_.points().back().time_ms;
}

void TrendView::FollowRange() {
  if (range_ == nullptr) return;
  const int64_t to = LastTime();
  int64_t span = 5 * kMinute;
  if (range_->currentIndex() == 1) span = 60 * kMinute;
  if (range_->currentIndex() == 2 && !store_.points().empty()) span = 0;
  const int64_t first = store_.points().empty() ? to : store_.points().front().time_ms;
  const TrendSpan followed = FollowingSpan(span, first, to, kMinSpanMs);
  span_from_ms_ = followed.from_ms;
  span_to_ms_ = followed.to_ms;
}

void TrendView::SetTimeSpan(int64_t from_ms, int64_t to_ms) {
  span_from_ms_ = from_ms;
  span_to_ms_ = std::max(to_ms, from_ms + kMinSpanMs);
  Redraw();
}

std::vector<size_t> TrendView::ShownChannels() const {
  std::vector<size_t> shown;
  if (left_ == nullptr) return shown;
  if (left_->currentIndex() >= 0) shown.push_back(static_cast<size_t>(left_->currentIndex()));
  if (right_->currentIndex() > 0) shown.push_back(static_cast<size_t>(right_->currentIndex() - 1));
  return shown;
}

void TrendView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) Redraw();
}

void TrendView::Redraw() {
  if (chart_ == nullptr || !Shown()) return;
  // Out of sight (another page on top) the points only wait for the next
  // look.
  stale_ = !isVisible();
  if (stale_) return;
  const std::vector<size_t> shown = ShownChannels();
  auto [first, last] = store_.Range(span_from_ms_, span_to_ms_);
  // One point either side, so the lines run to the edges of the plot.
  if (first > 0) --first;
  if (last < store_.points().size()) ++last;
  const size_t stride = std::max<size_t>(1, (last - first) / kMaxDrawnPoints);

  QLineSeries* lines[2] = {left_series_, right_series_};
  QValueAxis* axes[2] = {left_axis_, right_axis_};
  double low[2] = {INFINITY, INFINITY}, high[2] = {-INFINITY, -INFINITY};
  for (size_t s = 0; s < 2; ++s) {
    QList<QPointF> points;
    if (s < shown.size()) {
      points.reserve(static_cast<qsizetype>((last - first) / stride + 1));
      for (size_t i = first; i < last; i += stride) {
        const TrendPoint& p = store_.points()[i];
        const double value = p.values[shown[s]];
        if (std::isnan(value)) continue;
        points.append(QPointF(static_cast<qreal>(p.time_ms), value));
        low[s] = std::min(low[s], value);
        high[s] = std::max(high[s], value);
      }
      // A new name lays the legend out again: only when it changes.
      const QString name = ChannelText(store_.channels()[shown[s]]);
      if (lines[s]->name() != name) lines[s]->setName(name);
    }
    lines[s]->replace(points);
    if (lines[s]->isVisible() != (s < shown.size())) lines[s]->setVisible(s < shown.size());
    if (axes[s]->isVisible() != (s < shown.size())) axes[s]->setVisible(s < shown.size());
    if (low[s] > high[s]) low[s] = high[s] = 0;
    FitAxis(*axes[s], low[s], high[s]);
  }

  // The marks sit on the line of the left axis, or at its foot where the
  // value is missing; every point of the span counts, thinned or not.
  QList<QPointF> errors, cut_offs;
  const double foot = left_axis_->min();
  for (size_t i = first; i < last; ++i) {
    const TrendPoint& p = store_.points()[i];
    if (p.marks == 0) continue;
    double y = shown.empty() ? foot : p.values[shown[0]];
    if (std::isnan(y)) y = foot;
    const QPointF at(static_cast<qreal>(p.time_ms), y);
    if (p.marks & kTrendMarkError) errors.append(at);
    if (p.marks & kTrendMarkCutOff) cut_offs.append(at);
  }
  // Most cycles bring no mark: the marks are put again only when they differ.
  if (error_marks_->points() != errors) error_marks_->replace(errors);
  if (cut_off_marks_->points() != cut_offs) cut_off_marks_->replace(cut_offs);

  time_axis_->setFormat(span_to_ms_ - span_from_ms_ > 20 * 60 * kMinute
                            ? QStringLiteral("dd.MM HH:mm")
                            : QStringLiteral("HH:mm:ss"));
  time_axis_->setRange(QDateTime::fromMSecsSinceEpoch(span_from_ms_),
                       QDateTime::fromMSecsSinceEpoch(span_to_ms_));
}

QString TrendView::CursorText(int64_t time_ms) const {
  const std::optional<size_t> nearest = store_.Nearest(time_ms);
  if (!nearest) return {};
  const TrendPoint& p = store_.points()[*nearest];
  QString text =
      QDateTime::fromMSecsSinceEpoch(p.time_ms).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
  for (size_t channel : ShownChannels()) {
    const double value = p.values[channel];
    text += QStringLiteral("   ") + QString::fromStdString(store_.channels()[channel].name) +
            QStringLiteral(": ") +
            (std::isnan(value) ? QStringLiteral("—") : QString::number(value, 'g', 7));
    if (!store_.channels()[channel].unit.empty()) {
      text += QLatin1Char(' ') + QString::fromStdString(store_.channels()[channel].unit);
    }
  }
  if (p.marks & kTrendMarkError) text += QStringLiteral("   ошибка");
  if (p.marks & kTrendMarkCutOff) text += QStringLiteral("   отсечка");
  return text;
}

void TrendView::MoveCursor(int64_t time_ms, qreal x_pixel) {
  cursor_->setText(CursorText(time_ms));
  const QRectF plot = chart_->plotArea();
  const qreal x = chart_view_->mapToScene(QPoint(static_cast<int>(x_pixel), 0)).x();
  cursor_line_->setLine(x, plot.top(), x, plot.bottom());
  cursor_line_->show();
}

void TrendView::Zoom(qreal factor, qreal around_pixel) {
  int64_t centre = (span_from_ms_ + span_to_ms_) / 2;
  chart_view_->TimeAt(around_pixel, centre);
  SetPaused(true);
  const auto scaled = [&](int64_t t) {
    return centre + std::llround(static_cast<double>(t - centre) * factor);
  };
  SetTimeSpan(scaled(span_from_ms_), scaled(span_to_ms_));
}

void TrendView::Pan(qreal pixels) {
  const qreal width = chart_view_->PlotWidth();
  if (width <= 0) return;
  SetPaused(true);
  const int64_t shift =
      std::llround(-pixels / width * static_cast<double>(span_to_ms_ - span_from_ms_));
  SetTimeSpan(span_from_ms_ + shift, span_to_ms_ + shift);
}

std::string TrendView::ShownCsv() const {
  const auto [first, last] = store_.Range(span_from_ms_, span_to_ms_);
  return TrendCsv(store_.channels(),
                  std::span<const TrendPoint>(store_.points().data() + first, last - first),
                  ShownChannels());
}

namespace {

bool WriteWhole(const std::string& path, const QByteArray& bytes) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(bytes);
  return file.commit();
}

// The name chosen, with the extension added when it has none.
std::string WithExtension(std::string name, const char* extension) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += extension;
  return name;
}

}  // namespace

bool TrendView::WriteCsv(const std::string& path) const {
  const std::string csv = ShownCsv();
  return WriteWhole(path, QByteArray(csv.data(), static_cast<qsizetype>(csv.size())));
}

bool TrendView::WritePng(const std::string& path) const {
  if (chart_view_ == nullptr) return false;
  return chart_view_->grab().save(QString::fromStdString(path), "PNG");
}

void TrendView::ExportCsv() {
  const FileDialogResult chosen = dialogs_.SaveFile(
      {"Сохранить данные графика", "Таблица CSV|*.csv|Все файлы|*.*", "trend.csv", ""});
  if (!chosen.accepted || chosen.file_name.empty()) return;
  const std::string path = WithExtension(chosen.file_name, ".csv");
  if (!WriteCsv(path)) {
    dialogs_.ShowBox("Не удалось записать файл " + path, kCaptionError, BoxButtons::kOk,
                     BoxIcon::kError);
  }
}

void TrendView::ExportPng() {
  const FileDialogResult chosen = dialogs_.SaveFile(
      {"Сохранить рисунок графика", "Рисунок PNG|*.png|Все файлы|*.*", "trend.png", ""});
  if (!chosen.accepted || chosen.file_name.empty()) return;
  const std::string path = WithExtension(chosen.file_name, ".png");
  if (!WritePng(path)) {
    dialogs_.ShowBox("Не удалось записать файл " + path, kCaptionError, BoxButtons::kOk,
                     BoxIcon::kError);
  }
}

}  // namespace qmx
