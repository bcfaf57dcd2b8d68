// The settings pages: each block's fields sit in one group box together with
// the buttons that read and write them, away from every other block's
// buttons, and every field has a caption that says what it is.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <vector>

#include "link/clock.h"
#include "operator/scripted_dialogs.h"
#include "support/fake_serial_port.h"
#include "ui/app_context.h"
#include "ui/main_window.h"

namespace qmx {
namespace {

struct BlockLayout {
  std::vector<const char*> buttons;
  std::vector<const char*> fields;
};

// The pages of НАСТРОЙКИ РАБОТЫ, НАСТРОЙКИ ПРОГРАММЫ and the external sensor.
const BlockLayout kBlocks[] = {
    {{"BitBtn6", "BitBtn7"}, {"ComboBox41", "ComboBox57", "ComboBox56", "Edit114"}},
    {{"BitBtn8", "BitBtn9"}, {"ComboBox42"}},
    {{"BitBtn10", "BitBtn11"}, {"Edit107", "Edit110", "Edit108"}},
    {{"BitBtn12", "BitBtn13"}, {"Edit109", "Edit111", "Edit112"}},
    {{"BitBtn14"}, {"ComboBox45", "ComboBox46", "ComboBox47"}},
    {{"BitBtn24"}, {"Label429", "Label431", "Label433"}},
    {{"BitBtn15", "BitBtn17", "BitBtn31"}, {"Panel117"}},
    {{"BitBtn20", "BitBtn21"}, {"ComboBox54"}},
    {{"BitBtn18", "BitBtn19"}, {}},
    {{"BitBtn22", "BitBtn23"}, {"ComboBox58"}},
    {{"BitBtn28", "BitBtn29"}, {"Edit113"}},
    {{"BitBtn30"}, {}},
    {{"BitBtn1", "BitBtn4"}, {"ComboBox38", "ComboBox39", "ComboBox40", "ComboBox55"}},
    {{}, {"Memo2"}},
    {{"Button55"}, {"Panel66", "Panel67", "Panel65", "Panel74", "Panel68"}},
    {{"Button56", "Button57"},
     {"ComboBox33", "ComboBox32", "Edit9", "Edit11", "Edit8", "Edit10", "Edit15", "Edit16",
      "Edit96", "Edit97", "CheckBox7"}},
    {{"Button58"}, {"Panel69", "Panel70", "Panel75", "Panel72", "Panel73"}},
    {{"Button59", "Button60"},
     {"Edit12", "Edit13", "Edit103", "Edit104", "Edit14", "Edit105", "Edit106"}},
    {{"Button88", "Button89", "Button90", "Button91"}, {"StringGrid2", "StringGrid3"}},
};

QGroupBox* GroupOf(const QWidget* widget) {
  for (QWidget* w = widget->parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* group = qobject_cast<QGroupBox*>(w)) return group;
  }
  return nullptr;
}

QGridLayout* GridHolding(QLayout* layout, QWidget* field) {
  if (layout == nullptr) return nullptr;
  auto* grid = qobject_cast<QGridLayout*>(layout);
  if (grid != nullptr && grid->indexOf(field) >= 0) return grid;
  for (int i = 0; i < layout->count(); ++i) {
    if (QGridLayout* found = GridHolding(layout->itemAt(i)->layout(), field)) return found;
  }
  return nullptr;
}

bool IsCaption(const QLabel* label) {
  return label->objectName().isEmpty() && !label->isHidden() && !label->text().trimmed().isEmpty();
}

// A check box's own text, a caption naming the field as its buddy, or a
// caption in the field's grid row.
bool HasCaption(QWidget* field) {
  if (auto* box = qobject_cast<QCheckBox*>(field)) return !box->text().trimmed().isEmpty();
  for (const QLabel* label : field->parentWidget()->findChildren<QLabel*>()) {
    if (label->buddy() == field && IsCaption(label)) return true;
  }
  QGridLayout* grid = GridHolding(field->parentWidget()->layout(), field);
  if (grid == nullptr) return false;
  int row = 0, column = 0, rows = 0, columns = 0;
  grid->getItemPosition(grid->indexOf(field), &row, &column, &rows, &columns);
  for (int i = 0; i < grid->count(); ++i) {
    const auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget());
    if (label == nullptr || !IsCaption(label)) continue;
    int label_row = 0, label_rows = 0;
    grid->getItemPosition(i, &label_row, &column, &label_rows, &columns);
    if (label_row <= row && row < label_row + label_rows) return true;
  }
  return false;
}

TEST(OperatorPageLayout, EachBlockIsOneGroupWithItsButtonsAndCaptionedFields) {
  test::NoPortProvider ports;
  SystemClock clock;
  ScriptedDialogs dialogs;
  AppContext context{ports, clock, dialogs};
  MainWindow window{context};
  auto find = [&window](const char* name) {
    auto* widget = window.findChild<QWidget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  };

  for (const BlockLayout& block : kBlocks) {
    const char* anchor = block.buttons.empty() ? block.fields.front() : block.buttons.front();
    SCOPED_TRACE(anchor);
    QWidget* first = find(anchor);
    if (first == nullptr) continue;
    QGroupBox* group = GroupOf(first);
    EXPECT_NE(group, nullptr);
    if (group == nullptr) continue;
    for (const char* name : block.buttons) {
      if (QWidget* button = find(name)) {
        EXPECT_EQ(GroupOf(button), group) << name;
      }
    }
    for (const char* name : block.fields) {
      QWidget* field = find(name);
      if (field == nullptr) continue;
      EXPECT_TRUE(group->isAncestorOf(field)) << name;
      EXPECT_TRUE(HasCaption(field)) << name;
    }
    // No other block's button in the same box.
    for (const BlockLayout& other : kBlocks) {
      if (&other == &block) continue;
      for (const char* name : other.buttons) {
        if (QWidget* button = find(name)) {
          EXPECT_FALSE(group->isAncestorOf(button)) << name;
        }
      }
    }
  }
}

}  // namespace
}  // namespace qmx
