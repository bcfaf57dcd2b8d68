#include "ui/pages/service/module_parameters_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// A value the read writes into: framed and wide enough for "%-11.4f", empty
// until the first read.
QLabel* MakeValue(QWidget* page, const char* name, const char* design_text = "") {
  QLabel* label = MakeValueLabel(page, name, design_text);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000000.0000 ")));
  // One text line high beside the captions on two lines.
  label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  return label;
}

// A caption on two lines, as the cut-off rows carry them.
QWidget* MakeTwoLineCaption(QWidget* page, const char* first, const char* second) {
  auto* holder = new QWidget(page);
  auto* lines = new QVBoxLayout(holder);
  lines->setContentsMargins(0, 0, 0, 0);
  lines->setSpacing(0);
  lines->addWidget(MakeCaption(holder, first));
  lines->addWidget(MakeCaption(holder, second));
  return holder;
}

// Caption, value and unit in columns `column` to `column` + 2.
void AddValueRow(QGridLayout* grid, int row, int column, QWidget* caption, QLabel* value,
                 const char* unit = nullptr) {
  grid->addWidget(caption, row, column);
  grid->addWidget(value, row, column + 1);
  if (unit != nullptr) grid->addWidget(MakeCaption(value->parentWidget(), unit), row, column + 2);
}

}  // namespace

ModuleParametersPage::ModuleParametersPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ModuleParameters"));
  auto* grid = new QGridLayout(this);

  // The sensor and its flow range on the left.
  AddValueRow(grid, 0, 0, MakeCaption(this, "Тип датчика"), MakeValue(this, "Label249"));
  AddValueRow(grid, 1, 0, MakeCaption(this, "Диам"), MakeValue(this, "Label386"), "мм");
  AddValueRow(grid, 2, 0, MakeCaption(this, "ДУ"), MakeValue(this, "Label337", "    -     "), "мм");
  AddValueRow(grid, 3, 0, MakeCaption(this, "Max объемного расхода"), MakeValue(this, "Label252"),
              "м куб/час");
  AddValueRow(grid, 4, 0, MakeCaption(this, "Min объемного расхода"), MakeValue(this, "Label253"),
              "м куб/час");
  AddValueRow(grid, 5, 0, MakeCaption(this, "Отсечка %"), MakeValue(this, "Label262"));
  AddValueRow(grid, 6, 0, MakeTwoLineCaption(this, "Гистерезис ", "отсечки %"),
              MakeValue(this, "Label263"));
  AddValueRow(grid, 7, 0, MakeTwoLineCaption(this, "Максимальное значение", "отсечки %"),
              MakeValue(this, "Label265"));
  AddValueRow(grid, 8, 0, MakeTwoLineCaption(this, "Минимальное значение", "отсечки %"),
              MakeValue(this, "Label264"));

  // The module's passport on the right.
  AddValueRow(grid, 0, 3, MakeCaption(this, "model"), MakeValue(this, "Label365"));
  AddValueRow(grid, 1, 3, MakeCaption(this, "sens num hi"), MakeValue(this, "Label367"));
  AddValueRow(grid, 2, 3, MakeCaption(this, "sens num lo"), MakeValue(this, "Label369"));
  AddValueRow(grid, 3, 3, MakeCaption(this, "ver hard"), MakeValue(this, "Label371"));
  AddValueRow(grid, 4, 3, MakeCaption(this, "ver soft"), MakeValue(this, "Label373"));
  // The software version's two bytes read as "1." and "2": one number.
  auto* version = new QHBoxLayout;
  version->setSpacing(0);
  version->addWidget(MakeValueLabel(this, "Label383"));
  version->addWidget(MakeValueLabel(this, "Label384"));
  version->addStretch(1);
  grid->addLayout(version, 5, 4);
  AddValueRow(grid, 6, 3, MakeCaption(this, "day"), MakeValue(this, "Label375"));
  AddValueRow(grid, 7, 3, MakeCaption(this, "month"), MakeValue(this, "Label377"));
  AddValueRow(grid, 8, 3, MakeCaption(this, "year"), MakeValue(this, "Label379"));

  grid->addWidget(MakeButton(this, "Button65", "Прочитать"), 9, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
