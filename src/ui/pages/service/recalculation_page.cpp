#include "ui/pages/service/recalculation_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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
  auto* page = new QGridLayout(this);
  QGroupBox* group = MakeGroup(this, "Программа пересчета к стандартным условиям");
  auto* grid = new QGridLayout(group);
  // Each caption above its grid names it.
  QTableWidget* codes = MakeGrid(group, kRecalcCodeGrid, kRecalcOpCount, "Код команды", &CodeLabel);
  QTableWidget* constants =
      MakeGrid(group, kRecalcConstantGrid, kRecalcConstCount, "Значение", &ConstantLabel);
  QLabel* codes_caption = MakeCaption(group, "Код операции");
  codes_caption->setBuddy(codes);
  QLabel* constants_caption = MakeCaption(group, "Константы");
  constants_caption->setBuddy(constants);
  grid->addWidget(codes_caption, 0, 0);
  grid->addWidget(constants_caption, 0, 1);
  grid->addWidget(codes, 1, 0);
  grid->addWidget(constants, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(group, "Button88", "Прочитать из файла"));
  buttons->addWidget(MakeButton(group, "Button89", "Сохранить в файл"));
  buttons->addWidget(MakeButton(group, "Button90", "Прочитать"));
  buttons->addWidget(MakeButton(group, "Button91", "Записать"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 2, 0, 1, 2);
  grid->setRowStretch(1, 1);
  // The frame takes the page's height, the room to the right stays empty.
  page->addWidget(group, 0, 0);
  page->setColumnStretch(1, 1);
}

}  // namespace qmx
