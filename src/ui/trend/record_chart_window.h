// "Файл" -> "Открыть записи измерений…": a measurement record file as a
// chart in a window of its own.  The file is read and parsed on a worker
// thread while a progress bar moves, so a file of tens of megabytes leaves
// the main window working; the lines it could not read are counted under
// the chart ("пропущено строк: 3").
#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QThread;
class QTimer;

namespace qmx {

class Dialogs;
class TrendView;
struct RecordFileChart;

class RecordChartWindow final : public QDialog {
  Q_OBJECT

 public:
  RecordChartWindow(Dialogs& dialogs, const std::string& path, QWidget* parent = nullptr);
  ~RecordChartWindow() override;

  // The parse has ended (whether the file could be read or not).
  bool Loaded() const { return loaded_; }
  TrendView* View() const { return view_; }
  QString Summary() const;

 signals:
  void loaded();

 private:
  void Finish();

  struct Work {
    std::atomic<int64_t> bytes_read{0};
    std::atomic<bool> stop{false};
    int64_t size = 0;
    std::string error;  // why the file could not be read
    std::unique_ptr<RecordFileChart> chart;
  };

  std::shared_ptr<Work> work_;
  QThread* thread_ = nullptr;
  QTimer* progress_timer_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* summary_ = nullptr;
  TrendView* view_ = nullptr;
  bool loaded_ = false;
};

}  // namespace qmx
