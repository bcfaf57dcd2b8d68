#include "ui/trend/record_chart_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <vector>

#include "trend/record_file.h"
#include "ui/trend/trend_view.h"

namespace qmx {
namespace {

constexpr size_t kPieceBytes = 1 << 20;

// Reads and parses on the worker thread; touches nothing of the window.
void ReadRecordFile(const std::string& path, std::atomic<int64_t>& bytes_read,
                    const std::atomic<bool>& stop, std::string& error,
                    std::unique_ptr<RecordFileChart>& chart) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(path, code)) {
    error = "это не обычный файл или его нет";
    return;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "файл не открывается";
    return;
  }
  RecordFileParser parser;
  std::vector<char> piece(kPieceBytes);
  while (!stop.load() && in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    parser.Feed(std::string_view(piece.data(), static_cast<size_t>(got)));
    bytes_read.fetch_add(got);
  }
  parser.Finish();
  chart = std::make_unique<RecordFileChart>(std::move(parser.chart()));
}

}  // namespace

RecordChartWindow::RecordChartWindow(Dialogs& dialogs, const std::string& path, QWidget* parent)
    : QDialog(parent), work_(std::make_shared<Work>()) {
  setObjectName(QStringLiteral("RecordChartWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Записи измерений: ") + QString::fromStdString(path));
  resize(1000, 560);
  auto* column = new QVBoxLayout(this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("RecordProgress"));
  progress_->setRange(0, 1000);
  column->addWidget(progress_);
  summary_ = new QLabel(QStringLiteral("Файл читается…"), this);
  summary_->setObjectName(QStringLiteral("RecordSummary"));
  column->addWidget(summary_);
  view_ = new TrendView(dialogs, TrendView::Mode::kFile, "TrendRecords", this);
  column->addWidget(view_, 1);

  std::error_code code;
  const auto size = std::filesystem::file_size(path, code);
  work_->size = code ? 0 : static_cast<int64_t>(size);
  // The worker holds the work by a shared pointer: a window closed in the
  // middle only asks it to stop.
  std::shared_ptr<Work> work = work_;
  thread_ = QThread::create([work, path] {
    ReadRecordFile(path, work->bytes_read, work->stop, work->error, work->chart);
  });
  connect(thread_, &QThread::finished, this, &RecordChartWindow::Finish);
  progress_timer_ = new QTimer(this);
  progress_timer_->setInterval(100);
  connect(progress_timer_, &QTimer::timeout, this, [this] {
    if (work_->size > 0) {
      progress_->setValue(static_cast<int>(work_->bytes_read.load() * 1000 / work_->size));
    }
  });
  progress_timer_->start();
  thread_->start();
}

RecordChartWindow::~RecordChartWindow() {
  work_->stop = true;
  if (thread_ != nullptr) {
    disconnect(thread_, nullptr, this, nullptr);
    thread_->wait();
    delete thread_;
  }
}

void RecordChartWindow::Finish() {
  progress_timer_->stop();
  progress_->hide();
  if (work_->chart == nullptr) {
    summary_->setText(QStringLiteral("Файл не прочитан: ") + QString::fromStdString(work_->error));
  } else {
    const RecordFileChart& chart = *work_->chart;
    summary_->setText(QStringLiteral("Строк с записями: %1, пропущено строк: %2")
                          .arg(chart.lines - chart.skipped_lines)
                          .arg(chart.skipped_lines));
    view_->ShowPoints(std::move(work_->chart->store));
  }
  loaded_ = true;
  emit loaded();
}

QString RecordChartWindow::Summary() const {
  return summary_->text();
}

}  // namespace qmx
