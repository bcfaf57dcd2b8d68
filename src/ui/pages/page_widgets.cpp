#include "ui/pages/page_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

#include "operator/controls.h"

namespace qmx {
namespace {

// The text with every digit as a zero: in a font whose digits are all of one
// width, two texts of the same shape take the same room.
QString Shape(const QString& text) {
  QString shape = text;
  for (QChar& c : shape) {
    if (c.isDigit()) c = QLatin1Char('0');
  }
  return shape;
}

bool DigitsOfOneWidth(const QFontMetrics& metrics) {
  const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
  for (char digit = '1'; digit <= '9'; ++digit) {
    if (metrics.horizontalAdvance(QLatin1Char(digit)) != zero) return false;
  }
  return true;
}

class SteadyCell final : public QWidget {
 public:
  explicit SteadyCell(QLabel* label) : QWidget(label->parentWidget()), label_(label) {
    setSizePolicy(label->sizePolicy());
    label->setParent(this);
    // Opaque: a new number repaints the label alone, not every widget
    // beneath it down to the window (the same colour, painted again).
    label->setAutoFillBackground(true);
    label->show();
    TakeHints();
  }

  QSize sizeHint() const override { return hint_; }
  QSize minimumSizeHint() const override { return minimum_hint_; }

 protected:
  bool event(QEvent* event) override {
    // A label whose parent has no layout asks its parent for a layout
    // request on every change of its text or font; a page that is out of
    // sight asks nothing, so the hints are looked at again when it shows.
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) {
      if (HintsMayHaveMoved() && TakeHints()) updateGeometry();
      if (event->type() == QEvent::LayoutRequest) return true;
    }
    return QWidget::event(event);
  }

  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    label_->setGeometry(rect());
  }

 private:
  // Measuring a text lays it out, which costs more than the rest of a poll
  // cycle's display: a new number of the same shape in the same font is
  // known to fit without it.
  bool HintsMayHaveMoved() const {
    return !digits_of_one_width_ || label_->font() != font_ || Shape(label_->text()) != shape_ ||
           label_->minimumSize() != minimum_size_ || label_->maximumSize() != maximumSize();
  }
  // What a layout would give the label itself as its least size.
  QSize SmartMinimum() const { return label_->minimumSizeHint().expandedTo(label_->minimumSize()); }
  // Takes the label's hints and limits; true when the page's layout must
  // hear of them (the size hint moves with every other hint of a label that
  // does not wrap its words).
  bool TakeHints() {
    const QSize hint = label_->sizeHint();
    const bool moved = hint != hint_ || label_->minimumSize() != minimum_size_ ||
                       label_->maximumSize() != maximumSize();
    hint_ = hint;
    minimum_size_ = label_->minimumSize();
    minimum_hint_ = SmartMinimum();
    setMaximumSize(label_->maximumSize());
    if (label_->font() != font_ || shape_.isNull()) {
      font_ = label_->font();
      digits_of_one_width_ = DigitsOfOneWidth(label_->fontMetrics());
    }
    shape_ = Shape(label_->text());
    return moved;
  }

  QLabel* label_;
  QSize hint_;
  QSize minimum_hint_;
  QSize minimum_size_;
  QFont font_;
  QString shape_;
  bool digits_of_one_width_ = false;
};

}  // namespace

QWidget* InSteadyCell(QLabel* label) {
  return new SteadyCell(label);
}

QColor FromBgr(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

QColor StatusPanelColor() {
  return FromBgr(0xFFF0D8);
}

QComboBox* MakeList(QWidget* parent, const char* name, bool editable) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QLatin1String(name));
  list->setEditable(editable);
  // Long lists (3601 items) open as a scrolling list, not as a screen-high menu.
  list->setMaxVisibleItems(20);
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(8);
  return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  return edit;
}

QListWidget* MakeListBox(QWidget* parent, const char* name) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QLatin1String(name));
  return list;
}

QLabel* MakeCaption(QWidget* parent, const char* text) {
  return new QLabel(QString::fromUtf8(text), parent);
}

QGroupBox* MakeGroup(QWidget* parent, const char* title) {
  return new QGroupBox(QString::fromUtf8(title), parent);
}

QLabel* MakeValueLabel(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

QLabel* MakePanel(QWidget* parent, const char* name, const char* caption) {
  auto* panel = new QLabel(QString::fromUtf8(caption), parent);
  panel->setObjectName(QLatin1String(name));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setAlignment(Qt::AlignCenter);
  panel->setAutoFillBackground(true);
  panel->setMargin(4);
  return panel;
}

QLabel* MakeStatusPanel(QWidget* parent, const char* name, const char* caption) {
  QLabel* panel = MakePanel(parent, name, caption);
  QPalette palette = panel->palette();
  palette.setColor(panel->backgroundRole(), StatusPanelColor());
  panel->setPalette(palette);
  panel->hide();
  return panel;
}

QTableWidget* MakeReadOnlyGrid(QWidget* parent, const char* name, int rows, int columns,
                               int width) {
  auto* grid = new QTableWidget(rows, columns, parent);
  grid->setObjectName(QLatin1String(name));
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  const QColor button_face(kColorButtonFace.r, kColorButtonFace.g, kColorButtonFace.b);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      if (row == 0 || column == 0) item->setBackground(button_face);
      grid->setItem(row, column, item);
    }
  }
  for (int column = 0; column < columns; ++column) grid->setColumnWidth(column, width);
  // Every column in full beside the vertical scroll bar; ten rows at least,
  // more as the page gives room.
  const int row_height = grid->verticalHeader()->defaultSectionSize();
  grid->setMinimumSize(
      columns * width + grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth(),
      std::min(rows, 10) * row_height + 2 * grid->frameWidth());
  return grid;
}

void AddRow(QGridLayout* grid, int row, int column, const char* caption, QWidget* control) {
  grid->addWidget(MakeCaption(grid->parentWidget(), caption), row, column);
  grid->addWidget(control, row, column + 1);
}

void PushToTopLeft(QGridLayout* grid) {
  grid->setRowStretch(grid->rowCount(), 1);
  grid->setColumnStretch(grid->columnCount(), 1);
}

}  // namespace qmx
