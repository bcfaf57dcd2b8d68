#include "ui/measured_keys.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>

#include "ui/app_context.h"

namespace qmx {
namespace {

struct PageNames {
  const char* page;
  const char* read;
  const char* start;
  const char* stop;
};

constexpr PageNames kPages[] = {
    {"TabSheet_MeasuredValue", "Button3", "Button4", "Button5"},
    {"TabSheet_OperatorMeasurement", "BitBtn5", "BitBtn25", "BitBtn26"},
};

// What the button does, with its key; a tooltip already there keeps its text.
void NameKey(QMainWindow& window, const char* name, const char* text, const char* key) {
  auto* button = window.findChild<QPushButton*>(QLatin1String(name));
  if (button == nullptr) return;
  QString tip = button->toolTip();
  if (tip.isEmpty()) tip = QString::fromUtf8(text);
  button->setToolTip(tip + QStringLiteral(" (") + QLatin1String(key) + QLatin1Char(')'));
}

}  // namespace

MeasuredKeys::MeasuredKeys(AppContext& context, QMainWindow& window)
    : QObject(&window), context_(context), window_(window) {
  setObjectName(QStringLiteral("MeasuredKeys"));
  auto* read = new QShortcut(QKeySequence(Qt::Key_F5), &window, this, &MeasuredKeys::ReadOnce,
                             Qt::WindowShortcut);
  read->setObjectName(QStringLiteral("MeasuredReadKey"));
  auto* poll = new QShortcut(QKeySequence(Qt::Key_F6), &window, this, &MeasuredKeys::StartOrStop,
                             Qt::WindowShortcut);
  poll->setObjectName(QStringLiteral("MeasuredPollKey"));

  for (const PageNames& page : kPages) {
    NameKey(window, page.read, "Прочитать измеренные значения", "F5");
    NameKey(window, page.start, "Начать циклический опрос", "F6");
    NameKey(window, page.stop, "Остановить циклический опрос", "F6");
  }
}

MeasuredKeys::PageButtons MeasuredKeys::Visible() const {
  for (const PageNames& names : kPages) {
    auto* page = window_.findChild<QWidget*>(QLatin1String(names.page));
    if (page == nullptr || !page->isVisibleTo(&window_)) continue;
    return PageButtons{page->findChild<QPushButton*>(QLatin1String(names.read)),
                       page->findChild<QPushButton*>(QLatin1String(names.start)),
                       page->findChild<QPushButton*>(QLatin1String(names.stop))};
  }
  return {};
}

void MeasuredKeys::ReadOnce() {
  if (QPushButton* read = Visible().read) read->click();
}

void MeasuredKeys::StartOrStop() {
  const PageButtons buttons = Visible();
  QPushButton* button = context_.measurement_polling ? buttons.stop : buttons.start;
  if (button != nullptr) button->click();
}

}  // namespace qmx
