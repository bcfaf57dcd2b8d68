#include "ui/pages/operator_measurement_page.h"

#include <QFont>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/app_context.h"
#include "ui/pages/page_widgets.h"
#include "ui/trend/trend_view.h"

namespace qmx {
namespace {

// The room the page has in the window at its designed size; the flow
// digits are twice the window's type there and grow with the page.
constexpr double kDesignPageWidth = 1150;
constexpr double kDesignPageHeight = 540;
constexpr double kFlowScale = 2.0;
constexpr double kMaxGrowth = 3.0;

constexpr Qt::Alignment kValueAlignment = Qt::AlignRight | Qt::AlignVCenter;

// The formats pad a number with blanks on its right, which would keep it
// off the right edge; the label keeps its text as formatted and draws it
// without them, so the digits of all rows end in one line.
class ValueLabel final : public QLabel {
 public:
  ValueLabel(QWidget* parent, const char* name) : QLabel(parent) {
    setObjectName(QLatin1String(name));
    setAlignment(kValueAlignment);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QString shown = text();
    while (shown.endsWith(QLatin1Char(' '))) shown.chop(1);
    const int m = margin();
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect().adjusted(m, m, -m, -m), alignment(), palette(),
                          isEnabled(), shown, foregroundRole());
  }
};

QLabel* Value(QWidget* parent, const char* name) {
  return new ValueLabel(parent, name);
}

}  // namespace

OperatorMeasurementPage::OperatorMeasurementPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_OperatorMeasurement"));
  auto* column = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  column->addLayout(grid);

  // The flow in large type: the operator reads it from a distance.
  // A panel as the others: raised frame, its own background, a margin.
  flow_ = new ValueLabel(this, "Panel116");
  flow_->setFrameShape(QFrame::Panel);
  flow_->setFrameShadow(QFrame::Raised);
  flow_->setAutoFillBackground(true);
  flow_->setMargin(4);
  grid->addWidget(MakeCaption(this, "Расход"), 0, 0);
  grid->addWidget(InSteadyCell(flow_), 0, 1);
  grid->addWidget(MakeValueLabel(this, "Label399", "UNIT"), 0, 2);

  grid->addWidget(MakeCaption(this, "Состояние"), 1, 0, Qt::AlignTop);
  auto* state = new QPlainTextEdit(this);
  state->setObjectName(QStringLiteral("Memo1"));
  state->setReadOnly(true);
  state->setAutoFillBackground(true);
  state->setMaximumHeight(state->fontMetrics().height() * 3);
  grid->addWidget(state, 1, 1, 1, 2);

  int row = 2;
  for (auto [caption, name] :
       {std::pair{"Суммарный", "Label437"}, std::pair{"Прямой", "Label441"},
        std::pair{"Обратный", "Label443"}, std::pair{"Модуль", "Label439"}}) {
    AddRow(grid, row, 0, caption, InSteadyCell(Value(this, name)));
    QLabel* unit = row == 2 ? MakeValueLabel(this, "Label435", "UNIT") : new QLabel(this);
    if (row == 2) {
      volume_unit_ = unit;
    } else {
      volume_unit_copies_.append(unit);
    }
    grid->addWidget(unit, row, 2);
    ++row;
  }
  // The two times carry their unit in their own text ("c", "cуток").
  AddRow(grid, row++, 0, "Время накопления", InSteadyCell(Value(this, "Label445")));
  AddRow(grid, row++, 0, "Время наработки", InSteadyCell(Value(this, "Label447")));
  grid->setColumnStretch(3, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(this, "BitBtn5", "Прочитать"));
  buttons->addWidget(MakeButton(this, "BitBtn25", "Циклическое чтение"));
  buttons->addWidget(MakeButton(this, "BitBtn26", "Остановить чтение"));
  buttons->addWidget(MakeButton(this, "BitBtn27", "Сброс накопленного объема"));
  buttons->addStretch(1);
  column->addLayout(buttons);

  poll_state_ = MakeValueLabel(this, "PollStateLine");
  column->addWidget(InSteadyCell(poll_state_));
  // The trend under the values, folded away until the operator opens it.
  column->addWidget(new TrendView(context.dialogs, TrendView::Mode::kLive, "TrendOperator", this));
  column->addStretch(1);
  ScaleFlow();
  ShowPollState();
}

void OperatorMeasurementPage::ShowPollState() {
  const MeasuredValues& values = context_.measurement.values;
  QString text = QStringLiteral("Опрос остановлен");
  if (context_.measurement_polling) {
    text = QStringLiteral("Опрос идёт");
    if (values.read) {
      const LocalTime& t = values.read_at;
      text += QString::asprintf(" · %02u:%02u:%02u", t.hour, t.minute, t.second);
    }
  }
  poll_state_->setText(text);
  for (QLabel* unit : std::as_const(volume_unit_copies_)) unit->setText(volume_unit_->text());
}

void OperatorMeasurementPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ScaleFlow();
}

void OperatorMeasurementPage::ScaleFlow() {
  const double growth = std::clamp(
      std::min(width() / kDesignPageWidth, height() / kDesignPageHeight), 1.0, kMaxGrowth);
  // Half points are enough; only the size is set, face and weight stay the
  // window's.
  const double size = std::round(QFontInfo(font()).pointSizeF() * kFlowScale * growth * 2) / 2;
  if (QFontInfo(flow_->font()).pointSizeF() == size) return;
  QFont big;
  big.setPointSizeF(size);
  flow_->setFont(big);
}

}  // namespace qmx
