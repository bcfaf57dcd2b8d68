#include "ui/widget_controls.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <unordered_map>

namespace qmx {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A memo or list paints its background in its text area, not in the frame
// around it.
QWidget* PaintedArea(QWidget* widget) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) return area->viewport();
  return widget;
}

}  // namespace

QColor PaintedColor(QWidget* widget) {
  if (widget == nullptr) return {};
  QWidget* area = PaintedArea(widget);
  QRect inner = area->rect();
  if (auto* frame = qobject_cast<QFrame*>(area); frame != nullptr && area == widget) {
    inner = frame->contentsRect();
  }
  if (inner.isEmpty()) return {};
  const QImage image = area->grab(inner).toImage();
  // Some two thousand points spread over the area are plenty to outvote the
  // text.
  const int step =
      std::max(1, static_cast<int>(std::sqrt(image.width() * image.height() / 2000.0)));
  QHash<QRgb, int> votes;
  QRgb winner = 0;
  int most = 0;
  for (int y = step / 2; y < image.height(); y += step) {
    for (int x = step / 2; x < image.width(); x += step) {
      const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
      const int count = ++votes[pixel];
      if (count > most) {
        most = count;
        winner = pixel;
      }
    }
  }
  return most > 0 ? QColor(winner) : QColor();
}

QTableWidgetItem* WidgetControls::FindCell(std::string_view name, bool create) const {
  const std::optional<GridCell> cell = ParseGridCellName(name);
  if (!cell) return nullptr;
  auto* table = qobject_cast<QTableWidget*>(Find(cell->grid));
  if (table == nullptr || cell->row >= table->rowCount() || cell->column >= table->columnCount()) {
    return nullptr;
  }
  QTableWidgetItem* item = table->item(cell->row, cell->column);
  if (item == nullptr && create) {
    item = new QTableWidgetItem;
    table->setItem(cell->row, cell->column, item);
  }
  return item;
}

// The widgets found under one root, kept as long as the root lives: every
// poll cycle and every click makes a WidgetControls of its own, and a search
// of the whole window for each name it touches cost more than the rest of a
// cycle together.  A poll cycle still looks up some fifty names: the names
// are looked up as they come, without a copy.
class WidgetNameCache final : public QObject {
 public:
  QWidget* Find(QWidget* root, std::string_view name) {
    const auto it = widgets_.find(name);
    if (it != widgets_.end() && !it->second.isNull()) return it->second.data();
    const QString key = ToQString(name);
    QWidget* widget = root->objectName() == key ? root : root->findChild<QWidget*>(key);
    if (widget == nullptr) return nullptr;
    widgets_.insert_or_assign(std::string(name), widget);
    // A widget renamed since keeps no claim on the name.
    connect(widget, &QObject::objectNameChanged, this,
            [this, old = std::string(name)] { widgets_.erase(old); });
    return widget;
  }

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const noexcept {
      return std::hash<std::string_view>{}(name);
    }
  };
  std::unordered_map<std::string, QPointer<QWidget>, NameHash, std::equal_to<>> widgets_;
};

namespace {

WidgetNameCache* CacheOf(QWidget* root) {
  static QHash<const QWidget*, QPointer<WidgetNameCache>> caches;
  QPointer<WidgetNameCache>& cache = caches[root];
  if (cache == nullptr) {
    // A child of the root: it goes with it, and a new root at the same
    // address finds none.
    cache = new WidgetNameCache;
    cache->setParent(root);
  }
  return cache.data();
}

}  // namespace

QWidget* WidgetControls::Find(std::string_view name) const {
  if (root_ == nullptr) return nullptr;
  if (cache_ == nullptr) cache_ = CacheOf(root_);
  return cache_->Find(root_, name);
}

std::string WidgetControls::Text(std::string_view name) const {
  if (ParseGridCellName(name)) {
    const QTableWidgetItem* item = FindCell(name, false);
    return item != nullptr ? item->text().toStdString() : std::string();
  }
  QWidget* w = Find(name);
  QString text;
  if (auto* e = qobject_cast<QLineEdit*>(w))
    text = e->text();
  else if (auto* c = qobject_cast<QComboBox*>(w))
    text = c->currentText();
  else if (auto* l = qobject_cast<QLabel*>(w))
    text = l->text();
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    text = b->text();
  else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
    text = m->toPlainText();
  return text.toStdString();
}

void WidgetControls::SetText(std::string_view name, std::string_view text) {
  if (ParseGridCellName(name)) {
    if (QTableWidgetItem* item = FindCell(name, true)) item->setText(ToQString(text));
    return;
  }
  QWidget* w = Find(name);
  const QString value = ToQString(text);
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(value);
  } else if (auto* c = qobject_cast<QComboBox*>(w)) {
    if (c->isEditable()) {
      c->setEditText(value);
    } else {
      c->setCurrentIndex(c->findText(value));
    }
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(value);
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(value);
  } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
    // The same state text every poll cycle: a memo set anew lays its whole
    // document out again (and loses its scroll position) for nothing.
    if (m->toPlainText() != value) m->setPlainText(value);
  }
}

int WidgetControls::ItemIndex(std::string_view name) const {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentIndex();
  if (auto* l = qobject_cast<QListWidget*>(w)) return l->currentRow();
  return -1;
}

void WidgetControls::SetItemIndex(std::string_view name, int index) {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
  } else if (auto* l = qobject_cast<QListWidget*>(w)) {
    l->setCurrentRow(index >= 0 && index < l->count() ? index : -1);
  }
}

int WidgetControls::ItemCount(std::string_view name) const {
  QWidget* w = Find(name);
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->count();
  if (auto* l = qobject_cast<QListWidget*>(w)) return l->count();
  return 0;
}

bool WidgetControls::Checked(std::string_view name) const {
  auto* b = qobject_cast<QAbstractButton*>(Find(name));
  return b != nullptr && b->isChecked();
}

void WidgetControls::SetChecked(std::string_view name, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(Find(name))) b->setChecked(checked);
}

Rgb WidgetControls::Color(std::string_view name) const {
  if (ParseGridCellName(name)) {
    const QTableWidgetItem* item = FindCell(name, false);
    if (item == nullptr || item->background().style() == Qt::NoBrush) return kColorWhite;
    const QColor c = item->background().color();
    return Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
               static_cast<uint8_t>(c.blue())};
  }
  QWidget* w = Find(name);
  if (w == nullptr) return kColorWhite;
  w = PaintedArea(w);
  const QColor c = w->palette().color(w->backgroundRole());
  return Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
             static_cast<uint8_t>(c.blue())};
}

void WidgetControls::SetColor(std::string_view name, Rgb color) {
  if (ParseGridCellName(name)) {
    if (QTableWidgetItem* item = FindCell(name, true)) {
      const QColor c(color.r, color.g, color.b);
      if (item->background().style() == Qt::NoBrush || item->background().color() != c) {
        item->setBackground(c);
      }
    }
    return;
  }
  QWidget* w = Find(name);
  if (w == nullptr) return;
  w = PaintedArea(w);
  QPalette palette = w->palette();
  const QColor c(color.r, color.g, color.b);
  if (palette.color(w->backgroundRole()) == c && w->autoFillBackground()) return;
  palette.setColor(w->backgroundRole(), c);
  w->setPalette(palette);
  w->setAutoFillBackground(true);
}

bool WidgetControls::Visible(std::string_view name) const {
  QWidget* w = Find(name);
  return w != nullptr && !w->isHidden();
}

void WidgetControls::SetVisible(std::string_view name, bool visible) {
  if (QWidget* w = Find(name)) w->setVisible(visible);
}

void WidgetControls::SetEnabled(std::string_view name, bool enabled) {
  if (QWidget* w = Find(name)) w->setEnabled(enabled);
}

void WidgetControls::Repaint() {
  if (root_ != nullptr) root_->repaint();
}

}  // namespace qmx
