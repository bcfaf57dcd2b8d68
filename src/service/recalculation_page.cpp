#include "service/recalculation_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <cstdio>
#include <string>

#include "blocks/recalculation.h"
#include "registers/value_formats.h"
#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

constexpr int kRowHeight = 25;
constexpr int kLabelWidth = 100;
constexpr int kValueWidth = 120;

std::string ConstantLabel(int index) {
  char text[16];
  std::snprintf(text, sizeof text, "%2u", static_cast<unsigned>(index));
  return text;
}

// A grid whose fixed row and column are its own cells (row 0 the header,
// column 0 the addresses), as the block counts them; only the values of
// column 1 take the editor.
QTableWidget* MakeGrid(QWidget* page, const char* name, int values, const char* value_header,
                       std::string (*label)(int)) {
  const int rows = values + 1;
  auto* grid = new QTableWidget(rows, 2, page);
  grid->setObjectName(QLatin1String(name));
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid->setColumnWidth(0, kLabelWidth);
  grid->setColumnWidth(1, kValueWidth);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  const QColor button_face(kColorButtonFace.r, kColorButtonFace.g, kColorButtonFace.b);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < 2; ++column) {
      auto* item = new QTableWidgetItem;
      const bool editable = column == 1 && row >= 1;
      item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                              : Qt::ItemIsEnabled);
      if (!editable) item->setBackground(button_face);
      grid->setItem(row, column, item);
    }
    if (row >= 1) grid->item(row, 0)->setText(QString::fromStdString(label(row - 1)));
  }
  grid->item(0, 0)->setText(QStringLiteral("Адрес"));
  grid->item(0, 1)->setText(QString::fromUtf8(value_header));
  // Both columns in full beside the vertical scroll bar.
  grid->setMinimumSize(kLabelWidth + kValueWidth + grid->verticalScrollBar()->sizeHint().width() +
                           2 * grid->frameWidth(),
                       8 * kRowHeight);
  return grid;
}

std::string CodeLabel(int index) {
  return FormatWordHexPrefixedUpper(static_cast<uint32_t>(index));
}

}  // namespace

RecalculationPage::RecalculationPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Recalculation"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this, "Код операции"), 0, 0);
  grid->addWidget(MakeCaption(this, "Константы"), 0, 1);
  grid->addWidget(MakeGrid(this, kRecalcCodeGrid, kRecalcOpCount, "Код команды", &CodeLabel), 1, 0);
  grid->addWidget(
      MakeGrid(this, kRecalcConstantGrid, kRecalcConstCount, "Значение", &ConstantLabel), 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(this, "Button88", "Прочитать из файла"));
  buttons->addWidget(MakeButton(this, "Button89", "Сохранить в файл"));
  buttons->addWidget(MakeButton(this, "Button90", "Прочитать"));
  buttons->addWidget(MakeButton(this, "Button91", "Записать"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 2, 0, 1, 2);
  // The grids take the page's height, the room to the right stays empty.
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(2, 1);
}

}  // namespace qmx
