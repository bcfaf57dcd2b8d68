// The engineering settings pages: each block's fields sit in one titled frame
// with the buttons that read and write them, and every field the operator can
// change has a caption.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>

#include "link/clock.h"
#include "link/serial_port.h"
#include "operator/scripted_dialogs.h"
#include "ui/app_context.h"
#include "ui/main_window.h"

namespace qmx {
namespace {

class NoPorts final : public PortProvider {
 public:
  std::unique_ptr<SerialPort> Open(uint16_t, const LineConfig&, std::string*) override {
    return nullptr;
  }
  std::string DevicePath(uint16_t) override { return {}; }
};

// A frame's title and what it holds: the block's fields, then its buttons.
const std::pair<const char*, const char*> kFrames[] = {
    {"Единицы измерения и усреднение",
     "ComboBox4 ComboBox5 ComboBox7 ComboBox35 CheckBox6 Button10 Button11"},
    {"Отсечка", "Edit99 Label271 Label273 Label275 Button66 Button67"},
    {"Тип выхода", "ComboBox6 Button12 Button13"},
    {"Частотный выход", "Button14 Button15"},
    {"Принудительное задание частоты частотного выхода",
     "Edit102 Button79 Button80 Button81 Button82"},
    {"Импульсный выход", "Button16 Button49"},
    {"Объем к передаче импульсами", "Label381 Button92"},
    {"Время и дата прибора",
     "ComboBox30 ComboBox29 ComboBox28 ComboBox8 ComboBox9 ComboBox27 Button51 Button52"},
    {"Пароль экранного меню", "Edit7 Button53 Button54"},
    {"Перезапуск прибора", "Button50"},
    {"Дискретные параметры", "CheckBox59 CheckBox44 CheckBox43 CheckBox8 Button68 Button69"},
    {"Интервал записи в архив", "ComboBox36 CheckBox92 Button73 Button74"},
    {"Текущий номер кадра архива", "Edit101 Button75 Button76"},
    {"Время очистки электродов", "Edit98 Button63 Button64"},
    {"Очистка электродов", "Button61 Button62"},
    {"Новые параметры обмена модуля",
     "ComboBox15 ComboBox14 CheckBox19 CheckBox20 Label208 Button25"},
    {"Код модели и версии ПО", "Edit87 Edit89 Edit88 Button28 Button29"},
    {"Заводской номер и дата изготовления",
     "Edit100 Edit90 Edit91 ComboBox17 ComboBox18 ComboBox19 Button26 Button27"},
    {"Дополнительный временной зазор между байтами", "ComboBox20 ComboBox21 Button30 Button31"},
};

QWidget* Enclosing(QWidget* widget, bool (*is)(const QWidget*)) {
  for (QWidget* w = widget->parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (is(w)) return w;
  }
  return nullptr;
}

bool Holds(QLayoutItem* item, const QWidget* widget) {
  QLayout* layout = item->layout();
  for (int i = 0; layout != nullptr && i < layout->count(); ++i) {
    if (Holds(layout->itemAt(i), widget)) return true;
  }
  return item->widget() == widget;
}

bool IsCaption(const QWidget* widget, const QWidget* sheet) {
  const auto* label = qobject_cast<const QLabel*>(widget);
  return label != nullptr && label->objectName().isEmpty() && !label->text().trimmed().isEmpty() &&
         label->isVisibleTo(sheet);
}

// Its own text, a label that names it as buddy, or a label in its grid row.
bool HasCaption(const QWidget* control, const QWidget* sheet) {
  const auto* box = qobject_cast<const QCheckBox*>(control);
  if (box != nullptr && !box->text().isEmpty()) return true;
  for (const QLabel* label : sheet->findChildren<QLabel*>()) {
    if (label->buddy() == control && IsCaption(label, sheet)) return true;
  }
  for (QGridLayout* grid : sheet->findChildren<QGridLayout*>()) {
    int row = -1, r = 0, rows = 0, c = 0, cs = 0;
    for (int i = 0; i < grid->count(); ++i) {
      if (Holds(grid->itemAt(i), control)) grid->getItemPosition(i, &row, &c, &rows, &cs);
    }
    for (int j = 0; row >= 0 && j < grid->count(); ++j) {
      grid->getItemPosition(j, &r, &c, &rows, &cs);
      if (r <= row && row < r + rows && IsCaption(grid->itemAt(j)->widget(), sheet)) return true;
    }
  }
  return false;
}

TEST(EngineeringPageLayout, BlocksSitInTheirFramesWithTheirButtonsAndEveryFieldHasACaption) {
  NoPorts ports;
  SystemClock clock;
  ScriptedDialogs dialogs;
  AppContext context{ports, clock, dialogs};
  MainWindow window{context};
  QSet<QWidget*> sheets;
  for (const auto& [title, members] : kFrames) {
    QWidget* first = nullptr;
    for (const QString& name : QString::fromUtf8(members).split(QLatin1Char(' '))) {
      auto* member = window.findChild<QWidget*>(name);
      ASSERT_NE(member, nullptr) << name.toStdString();
      auto* frame = qobject_cast<QGroupBox*>(Enclosing(
          member, [](const QWidget* w) { return qobject_cast<const QGroupBox*>(w) != nullptr; }));
      ASSERT_NE(frame, nullptr) << name.toStdString();
      if (first == nullptr) first = frame;
      EXPECT_EQ(frame, first) << name.toStdString();
      EXPECT_EQ(frame->title(), QString::fromUtf8(title)) << name.toStdString();
      sheets.insert(Enclosing(member, [](const QWidget* w) {
        return w->objectName().startsWith(QLatin1String("TabSheet_"));
      }));
    }
  }
  for (QWidget* sheet : sheets) {
    for (QWidget* control : sheet->findChildren<QWidget*>()) {
      const bool input = qobject_cast<QComboBox*>(control) != nullptr ||
                         qobject_cast<QLineEdit*>(control) != nullptr ||
                         qobject_cast<QCheckBox*>(control) != nullptr;
      if (!input || control->objectName().isEmpty() || !control->isVisibleTo(sheet)) continue;
      EXPECT_TRUE(HasCaption(control, sheet)) << control->objectName().toStdString();
    }
  }
}

}  // namespace
}  // namespace qmx
