#include "ui/pages/service/calibration_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// The coefficients of the sensor head, in the order the head keeps them.
std::vector<std::string> CoefficientNames() {
  std::vector<std::string> names;
  for (char letter : {'A', 'B', 'C', 'D', 'E', 'F'}) {
    for (int i = 0; i < 10; ++i) names.push_back(std::string(1, letter) + std::to_string(i));
  }
  for (const char* name : {"X", "M1", "M2", "S0", "S1", "S2", "S3"}) names.emplace_back(name);
  return names;
}

// None of the page's buttons has a function in this program: they are kept
// for the layout and shown disabled, so that nobody expects them to act.
QPushButton* MakeInertButton(QWidget* page, const std::string& name, const char* caption) {
  QPushButton* button = MakeButton(page, name.c_str(), caption);
  button->setEnabled(false);
  button->setToolTip(QStringLiteral("Не используется в этой версии программы"));
  return button;
}

}  // namespace

CalibrationPage::CalibrationPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Calibration"));
  auto* page = new QGridLayout(this);

  auto* coefficients = new QGroupBox(QStringLiteral("Коэффициенты"), this);
  auto* grid = new QGridLayout(coefficients);
  const std::vector<std::string> names = CoefficientNames();
  constexpr int kRows = 10;
  for (size_t i = 0; i < names.size(); ++i) {
    const int column = static_cast<int>(i) / kRows * 2;
    const int row = static_cast<int>(i) % kRows;
    grid->addWidget(MakeCaption(coefficients, names[i].c_str()), row, column);
    QLineEdit* edit = MakeEdit(coefficients, ("Coefficient" + names[i]).c_str());
    edit->setMaximumWidth(110);
    grid->addWidget(edit, row, column + 1);
  }
  page->addWidget(coefficients, 0, 0, 1, 4);

  page->addWidget(MakeInertButton(this, "CalibrationFromFile", "из файла"), 1, 0);
  page->addWidget(MakeInertButton(this, "CalibrationToFile", "в файл"), 1, 1);
  page->addWidget(MakeInertButton(this, "CalibrationFromHead", "Считать из головки"), 1, 2);
  page->addWidget(MakeInertButton(this, "CalibrationLoadError", "Прочитать код ошибки загрузки"), 1,
                  3);
  page->addWidget(MakeInertButton(this, "CalibrationRead1", "Прочитать"), 2, 0);
  page->addWidget(MakeInertButton(this, "CalibrationWrite1", "Записать"), 2, 1);
  page->addWidget(MakeInertButton(this, "CalibrationRead2", "Прочитать"), 3, 0);
  page->addWidget(MakeInertButton(this, "CalibrationWrite2", "Записать"), 3, 1);
  QCheckBox* check_head =
      MakeCheckBox(this, "CalibrationCheckHead", "Проверять номер головки при включении");
  check_head->setEnabled(false);
  page->addWidget(check_head, 4, 0, 1, 4);
  PushToTopLeft(page);
}

}  // namespace qmx
