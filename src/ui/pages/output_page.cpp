#include "ui/pages/output_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// A value with its caption before it and its unit after it.
void AddValue(QGridLayout* grid, int row, const char* caption, const char* name, const char* unit) {
  QWidget* page = grid->parentWidget();
  AddRow(grid, row, 0, caption, MakeEdit(page, name));
  grid->addWidget(MakeCaption(page, unit), row, 2);
}

// The read and write buttons of one block, beside its first row.
void AddBlockButtons(QGridLayout* grid, int row, const char* read, const char* write) {
  QWidget* page = grid->parentWidget();
  grid->addWidget(MakeButton(page, read, "ПРОЧИТАТЬ"), row, 3);
  grid->addWidget(MakeButton(page, write, "ЗАПИСАТЬ"), row, 4);
}

}  // namespace

OutputPage::OutputPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Output"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ТИП ВЫХОДА", MakeList(this, "ComboBox42"));
  AddBlockButtons(grid, 0, "BitBtn8", "BitBtn9");

  AddValue(grid, 1, "РАСХОД ДЛЯ\n10000 Гц", "Edit107", "М КУБ /  ЧАС");
  AddValue(grid, 2, "РАСХОД ДЛЯ 0  Гц", "Edit110", "М КУБ / ЧАС");
  AddValue(grid, 3, "ЧАСТОТА ОШИБКИ", "Edit108", "Гц");
  AddBlockButtons(grid, 1, "BitBtn10", "BitBtn11");

  AddValue(grid, 4, "ОБЪЕМ СООТВ.\n ИМПУЛЬСУ", "Edit109", "М КУБ");
  AddValue(grid, 5, "ДЛИТ. ИМП.", "Edit111", "МС");
  AddValue(grid, 6, "ПАУЗА ", "Edit112", "МС");
  AddBlockButtons(grid, 4, "BitBtn12", "BitBtn13");
  PushToTopLeft(grid);
}

}  // namespace qmx
