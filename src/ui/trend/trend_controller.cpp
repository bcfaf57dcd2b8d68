#include "ui/trend/trend_controller.h"

#include <QAction>
#include <QDateTime>

#include "ui/app_context.h"
#include "ui/main_window.h"
#include "ui/polling_controller.h"
#include "ui/trend/record_chart_window.h"
#include "ui/trend/trend_view.h"

namespace qmx {

TrendController::TrendController(AppContext& context, MainWindow& window,
                                 PollingController& polling)
    : QObject(&window), context_(context), window_(window) {
  setObjectName(QStringLiteral("TrendController"));
  trends_ = window.findChildren<TrendView*>();
  connect(&polling, &PollingController::measurementCycleEnded, this, &TrendController::TakeCycle);
  if (auto* open = window.findChild<QAction*>(QStringLiteral("OpenRecordsAction"))) {
    connect(open, &QAction::triggered, this, &TrendController::OpenRecords);
  }
}

void TrendController::TakeCycle(bool data_taken) {
  const int64_t now = QDateTime::currentMSecsSinceEpoch();
  for (TrendView* trend : std::as_const(trends_)) {
    trend->TakeCycle(context_.measurement.values, data_taken, now);
  }
}

void TrendController::OpenRecords() {
  const FileDialogResult chosen = context_.dialogs.OpenFile(
      {"Открыть записи измерений", "Текстовый файл|*.txt|Все файлы|*.*", "izm.txt", ""});
  if (!chosen.accepted || chosen.file_name.empty()) return;
  auto* chart = new RecordChartWindow(context_.dialogs, chosen.file_name, &window_);
  chart->show();
}

}  // namespace qmx
