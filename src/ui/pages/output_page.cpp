#include "ui/pages/output_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// A value with its caption before it and its unit after it.
void AddValue(QGridLayout* grid, int row, const char* caption, const char* name, const char* unit) {
  QWidget* group = grid->parentWidget();
  AddRow(grid, row, 0, caption, MakeEdit(group, name));
  grid->addWidget(MakeCaption(group, unit), row, 2);
}

// The read and write buttons of one block, under its last row.
void AddBlockButtons(QGridLayout* grid, int row, const char* read, const char* write) {
  QWidget* group = grid->parentWidget();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(group, read, "ПРОЧИТАТЬ"));
  buttons->addWidget(MakeButton(group, write, "ЗАПИСАТЬ"));
  buttons->addStretch(1);
  grid->addLayout(buttons, row, 0, 1, 3);
}

// One block in its own frame, the caption column as wide in every frame so
// that the fields of the three blocks line up.
QGridLayout* AddBlock(QGridLayout* page, int row, const char* title) {
  QGroupBox* group = MakeGroup(page->parentWidget(), title);
  auto* grid = new QGridLayout(group);
  grid->setColumnMinimumWidth(
      0, group->fontMetrics().horizontalAdvance(QStringLiteral("ЧАСТОТА ОШИБКИ ")));
  grid->setColumnMinimumWidth(
      2, group->fontMetrics().horizontalAdvance(QStringLiteral("М КУБ /  ЧАС ")));
  page->addWidget(group, row, 0);
  return grid;
}

}  // namespace

OutputPage::OutputPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Output"));
  auto* page = new QGridLayout(this);

  QGridLayout* type = AddBlock(page, 0, "ТИП ВЫХОДА");
  AddRow(type, 0, 0, "ТИП ВЫХОДА", MakeList(type->parentWidget(), "ComboBox42"));
  AddBlockButtons(type, 1, "BitBtn8", "BitBtn9");

  QGridLayout* frequency = AddBlock(page, 1, "ЧАСТОТНЫЙ ВЫХОД");
  AddValue(frequency, 0, "РАСХОД ДЛЯ\n10000 Гц", "Edit107", "М КУБ /  ЧАС");
  AddValue(frequency, 1, "РАСХОД ДЛЯ 0  Гц", "Edit110", "М КУБ / ЧАС");
  AddValue(frequency, 2, "ЧАСТОТА ОШИБКИ", "Edit108", "Гц");
  AddBlockButtons(frequency, 3, "BitBtn10", "BitBtn11");

  QGridLayout* pulse = AddBlock(page, 2, "ИМПУЛЬСНЫЙ ВЫХОД");
  AddValue(pulse, 0, "ОБЪЕМ СООТВ.\n ИМПУЛЬСУ", "Edit109", "М КУБ");
  AddValue(pulse, 1, "ДЛИТ. ИМП.", "Edit111", "МС");
  AddValue(pulse, 2, "ПАУЗА ", "Edit112", "МС");
  AddBlockButtons(pulse, 3, "BitBtn12", "BitBtn13");
  PushToTopLeft(page);
}

}  // namespace qmx
