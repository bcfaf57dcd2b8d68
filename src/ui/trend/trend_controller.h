// Feeds the live trends from the measured-value poll and opens record files
// as charts ("Файл" -> "Открыть записи измерений…").
#pragma once

#include <QList>
#include <QObject>

namespace qmx {

struct AppContext;
class MainWindow;
class PollingController;
class TrendView;

class TrendController final : public QObject {
  Q_OBJECT

 public:
  TrendController(AppContext& context, MainWindow& window, PollingController& polling);

  // Asks for a record file and opens it in a chart window; public so that a
  // test and the script runner can go the menu's way.
  void OpenRecords();

 private:
  void TakeCycle(bool data_taken);

  AppContext& context_;
  MainWindow& window_;
  QList<TrendView*> trends_;
};

}  // namespace qmx
