// The engineering settings pages: each block's fields sit in one titled
// frame with the buttons that read and write them, and every field the
// operator can change has a caption beside it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

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

struct BlockFrame {
  const char* title;
  std::vector<const char*> members;  // fields, then the buttons
};

const BlockFrame kFrames[] = {
    {"Единицы измерения и усреднение",
     {"ComboBox4", "ComboBox5", "ComboBox7", "ComboBox35", "CheckBox6", "Button10", "Button11"}},
    {"Отсечка", {"Edit99", "Label271", "Label273", "Label275", "Button66", "Button67"}},
    {"Тип выхода", {"ComboBox6", "Button12", "Button13"}},
    {"Частотный выход", {"Button14", "Button15"}},
    {"Принудительное задание частоты частотного выхода",
     {"Edit102", "Button79", "Button80", "Button81", "Button82"}},
    {"Импульсный выход", {"Button16", "Button49"}},
    {"Объем к передаче импульсами", {"Label381", "Button92"}},
    {"Время и дата прибора",
     {"ComboBox30", "ComboBox29", "ComboBox28", "ComboBox8", "ComboBox9", "ComboBox27", "Button51",
      "Button52"}},
    {"Пароль экранного меню", {"Edit7", "Button53", "Button54"}},
    {"Перезапуск прибора", {"Button50"}},
    {"Дискретные параметры",
     {"CheckBox59", "CheckBox44", "CheckBox43", "CheckBox8", "Button68", "Button69"}},
    {"Интервал записи в архив", {"ComboBox36", "CheckBox92", "Button73", "Button74"}},
    {"Текущий номер кадра архива", {"Edit101", "Button75", "Button76"}},
    {"Время очистки электродов", {"Edit98", "Button63", "Button64"}},
    {"Очистка электродов", {"Button61", "Button62"}},
    {"Новые параметры обмена модуля",
     {"ComboBox15", "ComboBox14", "CheckBox19", "CheckBox20", "Label208", "Button25"}},
    {"Код модели и версии ПО", {"Edit87", "Edit89", "Edit88", "Button28", "Button29"}},
    {"Заводской номер и дата изготовления",
     {"Edit100", "Edit90", "Edit91", "ComboBox17", "ComboBox18", "ComboBox19", "Button26",
      "Button27"}},
    {"Дополнительный временной зазор между байтами",
     {"ComboBox20", "ComboBox21", "Button30", "Button31"}},
};

const char* const kSheets[] = {
    "TabSheet_Measurement", "TabSheet_Outputs",           "TabSheet_FrequencyOutput",
    "TabSheet_PulseOutput", "TabSheet_General",           "TabSheet_Discrete",
    "TabSheet_Archiving",   "TabSheet_ElectrodeCleaning", "TabSheet_ExchangeParameters"};

QGroupBox* FrameOf(const QWidget* widget) {
  for (QWidget* w = widget->parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* box = qobject_cast<QGroupBox*>(w)) return box;
  }
  return nullptr;
}

bool Holds(QLayoutItem* item, const QWidget* widget) {
  if (item->widget() == widget) return true;
  QLayout* layout = item->layout();
  for (int i = 0; layout != nullptr && i < layout->count(); ++i) {
    if (Holds(layout->itemAt(i), widget)) return true;
  }
  return false;
}

bool IsCaption(const QObject* object, const QWidget* sheet) {
  const auto* label = qobject_cast<const QLabel*>(object);
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
    for (int i = 0; i < grid->count(); ++i) {
      if (!Holds(grid->itemAt(i), control)) continue;
      int row = 0, column = 0, rows = 0, columns = 0;
      grid->getItemPosition(i, &row, &column, &rows, &columns);
      for (int j = 0; j < grid->count(); ++j) {
        int r = 0, spans = 0;
        grid->getItemPosition(j, &r, &column, &spans, &columns);  // the row is what counts
        if (r <= row && row < r + spans && IsCaption(grid->itemAt(j)->widget(), sheet)) {
          return true;
        }
      }
    }
  }
  return false;
}

class EngineeringPageLayout : public ::testing::Test {
 protected:
  NoPorts ports_;
  SystemClock clock_;
  ScriptedDialogs dialogs_;
  AppContext context_{ports_, clock_, dialogs_};
  MainWindow window_{context_};
};

TEST_F(EngineeringPageLayout, EachBlockSitsInOneFrameWithItsButtons) {
  for (const BlockFrame& frame : kFrames) {
    QGroupBox* first = nullptr;
    for (const char* name : frame.members) {
      auto* member = window_.findChild<QWidget*>(QLatin1String(name));
      ASSERT_NE(member, nullptr) << name;
      QGroupBox* box = FrameOf(member);
      ASSERT_NE(box, nullptr) << name;
      if (first == nullptr) first = box;
      EXPECT_EQ(box, first) << name;
      EXPECT_EQ(box->title(), QString::fromUtf8(frame.title)) << name;
    }
  }
}

TEST_F(EngineeringPageLayout, EveryVisibleFieldHasACaption) {
  for (const char* sheet_name : kSheets) {
    auto* sheet = window_.findChild<QWidget*>(QLatin1String(sheet_name));
    ASSERT_NE(sheet, nullptr) << sheet_name;
    for (QWidget* control : sheet->findChildren<QWidget*>()) {
      const bool input = qobject_cast<QComboBox*>(control) != nullptr ||
                         qobject_cast<QLineEdit*>(control) != nullptr ||
                         qobject_cast<QCheckBox*>(control) != nullptr;
      if (!input || control->objectName().isEmpty() || !control->isVisibleTo(sheet)) continue;
      EXPECT_TRUE(HasCaption(control, sheet))
          << sheet_name << ": " << control->objectName().toStdString();
    }
  }
}

}  // namespace
}  // namespace qmx
