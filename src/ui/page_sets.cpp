#include "ui/page_sets.h"

#include <QFrame>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include "ui/pages/adc_page.h"
#include "ui/pages/archive_page.h"
#include "ui/pages/archiving_tab.h"
#include "ui/pages/discrete_tab.h"
#include "ui/pages/electrode_cleaning_tab.h"
#include "ui/pages/exchange_page.h"
#include "ui/pages/exchange_parameters_page.h"
#include "ui/pages/external_data_page.h"
#include "ui/pages/extra_settings_page.h"
#include "ui/pages/frequency_output_tab.h"
#include "ui/pages/general_tab.h"
#include "ui/pages/maintenance_page.h"
#include "ui/pages/measured_value_page.h"
#include "ui/pages/measurement_settings_page.h"
#include "ui/pages/measurement_tab.h"
#include "ui/pages/measuring_module_page.h"
#include "ui/pages/operator_measurement_page.h"
#include "ui/pages/operator_settings_page.h"
#include "ui/pages/output_page.h"
#include "ui/pages/outputs_tab.h"
#include "ui/pages/parameter_settings_page.h"
#include "ui/pages/program_settings_page.h"
#include "ui/pages/pulse_output_tab.h"
#include "ui/pages/search_page.h"
#include "ui/pages/service/adc_debug_page.h"
#include "ui/pages/service/calibration_page.h"
#include "ui/pages/service/code_integrity_page.h"
#include "ui/pages/service/external_calibration_page.h"
#include "ui/pages/service/external_measured_value_page.h"
#include "ui/pages/service/external_parameters_page.h"
#include "ui/pages/service/measurement_debug_page.h"
#include "ui/pages/service/module_parameters_page.h"
#include "ui/pages/service/recalculation_page.h"
#include "ui/pages/service/talver_compatibility_page.h"
#include "ui/pages/service/user_registers_page.h"
#include "ui/pages/time_page.h"

namespace qmx {
namespace {

constexpr char kSheetPrefix[] = "TabSheet_";
constexpr char kPagePrefix[] = "Page_";

QTabWidget* NewSet(QWidget* parent, const char* name) {
  auto* set = new QTabWidget(parent);
  set->setObjectName(QLatin1String(name));
  // Thirteen engineering tabs do not fit a narrow window side by side.
  set->setUsesScrollButtons(true);
  set->setElideMode(Qt::ElideNone);
  return set;
}

// A page scrolls inside its sheet: a window made smaller than the page shows
// scroll bars instead of cutting the page off.  The sheet takes the page's
// "TabSheet_" name, so a page is found, shown and told apart by that name
// as before; the page itself becomes "Page_" + its short name.
QScrollArea* WrapInSheet(QWidget* page) {
  auto* sheet = new QScrollArea;
  QString name = page->objectName();
  sheet->setObjectName(name);
  page->setObjectName(name.replace(QLatin1String(kSheetPrefix), QLatin1String(kPagePrefix)));
  sheet->setFrameShape(QFrame::NoFrame);
  sheet->setWidgetResizable(true);
  sheet->setWidget(page);
  return sheet;
}

template <class Page>
Page* AddPage(QTabWidget* set, AppContext& context, const char* title) {
  auto* page = new Page(context);
  set->addTab(WrapInSheet(page), QString::fromUtf8(title));
  return page;
}

QTabWidget* BuildExternalData(AppContext& context, ExternalDataPage* page) {
  QTabWidget* set = page->Pages();
  AddPage<ExternalMeasuredValuePage>(set, context, "Измеренное значение");
  AddPage<ExternalParametersPage>(set, context, "Параметры измерения");
  AddPage<ExternalCalibrationPage>(set, context, "Градуировки");
  AddPage<ElectrodeCleaningTab>(set, context, "Очистка электродов");
  AddPage<RecalculationPage>(set, context, "Пересчет к стандартным условиям");
  return set;
}

}  // namespace

PageSets BuildPageSets(AppContext& context, QWidget* engineering_parent, QWidget* operator_parent) {
  PageSets result;
  auto& [main, settings, external, operator_set, work] = result.sets;

  main = NewSet(engineering_parent, "PageControl1");
  AddPage<MeasuredValuePage>(main, context, "Измеренное значение");
  auto* settings_page = AddPage<ParameterSettingsPage>(main, context, "Настройка параметров");
  AddPage<AdcPage>(main, context, "АЦП");
  AddPage<ExchangeParametersPage>(main, context, "Параметры обмена");
  AddPage<SearchPage>(main, context, "Поиск");
  AddPage<CalibrationPage>(main, context, "Градуировки");
  AddPage<AdcDebugPage>(main, context, "Отладка АЦП");
  AddPage<MeasurementDebugPage>(main, context, "Отладка измерения");
  AddPage<CodeIntegrityPage>(main, context, "Целостность кода");
  AddPage<TalverCompatibilityPage>(main, context, "Совместимость с Тальвером");
  AddPage<UserRegistersPage>(main, context, "Пользовательские регистры");
  AddPage<ModuleParametersPage>(main, context, "Параметры из модуля измерения");
  AddPage<MeasuringModulePage>(main, context, "Изм. модуль");
  for (int index : kOperatorHiddenTabs) main->setTabVisible(index, false);

  settings = settings_page->Pages();
  AddPage<MeasurementTab>(settings, context, "Измерение");
  AddPage<OutputsTab>(settings, context, "Выходы");
  AddPage<FrequencyOutputTab>(settings, context, "Частотный выход");
  AddPage<PulseOutputTab>(settings, context, "Импульсный выход");
  AddPage<GeneralTab>(settings, context, "Общеприборные");
  external =
      BuildExternalData(context, AddPage<ExternalDataPage>(settings, context, "Внешние данные"));
  AddPage<DiscreteTab>(settings, context, "Дискр.");
  AddPage<ArchivingTab>(settings, context, "Архивация");

  operator_set = NewSet(operator_parent, "PageControl4");
  AddPage<OperatorMeasurementPage>(operator_set, context, "ИЗМЕРЕНИЕ");
  auto* work_page = AddPage<OperatorSettingsPage>(operator_set, context, "НАСТРОЙКИ РАБОТЫ");
  AddPage<ProgramSettingsPage>(operator_set, context, "НАСТРОЙКИ ПРОГРАММЫ");

  work = work_page->Pages();
  AddPage<MeasurementSettingsPage>(work, context, "ИЗМЕРЕНИЕ");
  AddPage<OutputPage>(work, context, "ВЫХОД");
  AddPage<ExchangePage>(work, context, "ОБМЕН");
  AddPage<TimePage>(work, context, "ВРЕМЯ");
  AddPage<MaintenancePage>(work, context, "ОБСЛУЖИВАНИЕ");
  AddPage<ArchivePage>(work, context, "АРХИВ");
  AddPage<ExtraSettingsPage>(work, context, "ДОП. НАСТРОЙКИ");
  // Shown only when the profile enables them (start-up decides).
  work->setTabVisible(kMaintenanceTab, false);
  work->setTabVisible(kArchiveTab, false);

  for (QTabWidget* set : result.sets) {
    QObject::connect(set, &QTabWidget::currentChanged, set, [set] { MarkTabs(set); });
    MarkTabs(set);
  }
  return result;
}

void SetTabVisibleKeepingPage(QTabWidget* set, int index, bool visible) {
  if (set == nullptr || index < 0 || index >= set->count()) return;
  if (set->isTabVisible(index) == visible) return;
  const int current = set->currentIndex();
  const QSignalBlocker quiet(set);
  set->setTabVisible(index, visible);
  if (set->currentIndex() != current) set->setCurrentIndex(current);
}

QColor ActiveTabTextColor() {
  return QColor(0x00, 0x50, 0xC8);
}

void MarkTabs(QTabWidget* set) {
  if (set == nullptr) return;
  QTabBar* bar = set->tabBar();
  const int active = set->currentIndex();
  for (int i = 0; i < set->count(); ++i) {
    // An invalid colour gives the tab back the style's own text colour.
    bar->setTabTextColor(i, i == active ? ActiveTabTextColor() : QColor());
  }
}

void MarkActiveTabs(QWidget* window) {
  if (window == nullptr) return;
  for (const char* name :
       {"PageControl1", "PageControl2", "PageControl3", "PageControl4", "PageControl5"}) {
    MarkTabs(window->findChild<QTabWidget*>(QLatin1String(name)));
  }
}

}  // namespace qmx
