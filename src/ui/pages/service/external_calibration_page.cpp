#include "ui/pages/service/external_calibration_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExternalCalibrationPage::ExternalCalibrationPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalCalibration"));
  auto* page = new QGridLayout(this);

  // What the sensor's converter measures now.
  auto* adc = new QGroupBox(QStringLiteral("Коды АЦП и измеренные параметры"), this);
  auto* adc_grid = new QGridLayout(adc);
  AddRow(adc_grid, 0, 0, "A1", MakePanel(adc, "Panel69"));
  AddRow(adc_grid, 1, 0, "A2", MakePanel(adc, "Panel70"));
  // The second A2 code stays off the page, with its caption.
  QLabel* second_caption = MakeCaption(adc, "A2");
  QLabel* second = MakePanel(adc, "Panel71");
  second_caption->hide();
  second->hide();
  adc_grid->addWidget(second_caption, 2, 0);
  adc_grid->addWidget(second, 2, 1);
  AddRow(adc_grid, 3, 0, "ADC_ERR", MakePanel(adc, "Panel75"));
  AddRow(adc_grid, 4, 0, "U", MakePanel(adc, "Panel72"));
  adc_grid->addWidget(MakeCaption(adc, "В"), 4, 2);
  AddRow(adc_grid, 5, 0, "R", MakePanel(adc, "Panel73"));
  adc_grid->addWidget(MakeCaption(adc, "Ом"), 5, 2);
  adc_grid->addWidget(MakeButton(adc, "Button58", "Прочитать"), 6, 1);
  page->addWidget(adc, 0, 0);

  // The calibration points: a name, what its field holds, the field.
  auto* points = new QGroupBox(QStringLiteral("Градуировочные значения"), this);
  auto* points_grid = new QGridLayout(points);
  const struct {
    const char* name;
    const char* meaning;
    const char* edit;
  } rows[] = {
      {"A1_MAX", "Код АЦП", "Edit12"},          {"A1_UMAX", "Напряж. В", "Edit13"},
      {"A1_0", "Код АЦП", "Edit103"},           {"A2_MIN", "Код АЦП", "Edit104"},
      {"R_MIN", "Сопротивление Ом", "Edit14"},  {"A2_MAX", "Код АЦП", "Edit105"},
      {"R_MAX", "Сопротивление Ом", "Edit106"},
  };
  int row = 0;
  for (const auto& r : rows) {
    points_grid->addWidget(MakeCaption(points, r.name), row, 0);
    AddRow(points_grid, row, 1, r.meaning, MakeEdit(points, r.edit));
    ++row;
  }
  points_grid->addWidget(MakeButton(points, "Button59", "Прочитать"), row, 1);
  points_grid->addWidget(MakeButton(points, "Button60", "Записать"), row, 2);
  page->addWidget(points, 0, 1);
  PushToTopLeft(page);
}

}  // namespace qmx
