#include "ui/configuration_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "link/line_text.h"
#include "operator/operation_report.h"
#include "ui/app_context.h"
#include "ui/block_controller.h"

namespace qmx {
namespace {

constexpr char kFileFilter[] = "Конфигурация прибора (*.cfg)|*.cfg|Все файлы|*.*";

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

QCheckBox* Box(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

std::string PartList(std::span<const ConfigPart* const> parts) {
  std::string list;
  for (const ConfigPart* part : parts) {
    list += "\n  • " + PartCaption(*part) + " (" + std::string(GroupName(part->group)) + ")";
  }
  return list;
}

}  // namespace

ConfigurationDialog::ConfigurationDialog(AppContext& context, QWidget* window)
    : QDialog(window), context_(context), window_(window) {
  setObjectName(QStringLiteral("ConfigurationDialog"));
  setWindowTitle(QStringLiteral("Конфигурация прибора"));
  auto* layout = new QVBoxLayout(this);

  auto* reading = new QHBoxLayout;
  read_ = Button(this, "ConfigReadButton", "Прочитать из прибора");
  stop_button_ = Button(this, "ConfigStopButton", "Стоп");
  stop_button_->setEnabled(false);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ConfigProgress"));
  progress_->setFormat(QStringLiteral("блок %v из %m"));
  progress_->setValue(0);
  save_ = Button(this, "ConfigSaveButton", "Сохранить в файл");
  open_ = Button(this, "ConfigOpenButton", "Открыть файл");
  for (QWidget* widget : {static_cast<QWidget*>(read_), static_cast<QWidget*>(stop_button_),
                          static_cast<QWidget*>(progress_), static_cast<QWidget*>(save_),
                          static_cast<QWidget*>(open_)}) {
    reading->addWidget(widget);
  }
  layout->addLayout(reading);

  auto* comparing = new QHBoxLayout;
  comparing->addWidget(new QLabel(QStringLiteral("Сравнить прибор с:"), this));
  other_ = new QComboBox(this);
  other_->setObjectName(QStringLiteral("ConfigCompareWith"));
  other_->addItems({QStringLiteral("файлом"), QStringLiteral("прочитанным ранее")});
  comparing->addWidget(other_);
  only_differences_ = Box(this, "ConfigOnlyDifferences", "показать только различия");
  comparing->addWidget(only_differences_);
  comparing->addStretch(1);
  layout->addLayout(comparing);

  table_ = new QTableWidget(0, 4, this);
  table_->setObjectName(QStringLiteral("ConfigTable"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Группа"), QStringLiteral("Величина"),
                                     QStringLiteral("Прибор"), QStringLiteral("Файл")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setColumnWidth(0, 130);
  table_->setColumnWidth(1, 300);
  table_->setColumnWidth(2, 180);
  layout->addWidget(table_, 1);

  auto* writing = new QHBoxLayout;
  writing->addWidget(new QLabel(QStringLiteral("Кроме настроек записать:"), this));
  with_line_ = Box(this, "ConfigWithLine", "параметры обмена");
  with_calibration_ = Box(this, "ConfigWithCalibration", "калибровку");
  with_password_ = Box(this, "ConfigWithPassword", "пароль");
  write_ = Button(this, "ConfigWriteButton", "Записать в прибор");
  for (QWidget* widget :
       {static_cast<QWidget*>(with_line_), static_cast<QWidget*>(with_calibration_),
        static_cast<QWidget*>(with_password_), static_cast<QWidget*>(write_)}) {
    writing->addWidget(widget);
  }
  writing->addStretch(1);
  layout->addLayout(writing);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("ConfigStatus"));
  layout->addWidget(status_);
  resize(900, 560);

  connect(read_, &QPushButton::clicked, this, &ConfigurationDialog::ReadInstrument);
  connect(stop_button_, &QPushButton::clicked, this, &ConfigurationDialog::Stop);
  connect(save_, &QPushButton::clicked, this, &ConfigurationDialog::SaveToFile);
  connect(open_, &QPushButton::clicked, this, &ConfigurationDialog::OpenFromFile);
  connect(write_, &QPushButton::clicked, this, &ConfigurationDialog::WriteToInstrument);
  connect(other_, &QComboBox::currentIndexChanged, this, &ConfigurationDialog::ShowComparison);
  connect(only_differences_, &QCheckBox::toggled, this, &ConfigurationDialog::ShowComparison);
  ShowComparison();
}

const Configuration* ConfigurationDialog::Other() const {
  const std::optional<Configuration>& other = other_->currentIndex() == 0 ? file_ : previous_;
  return other ? &*other : nullptr;
}

void ConfigurationDialog::SetBusy(bool busy) {
  for (QWidget* widget : {static_cast<QWidget*>(read_), static_cast<QWidget*>(save_),
                          static_cast<QWidget*>(open_), static_cast<QWidget*>(write_)}) {
    widget->setEnabled(!busy);
  }
  stop_button_->setEnabled(busy);
}

void ConfigurationDialog::Error(const std::string& text) {
  context_.dialogs.ShowBox(text, kCaptionError, BoxButtons::kOk, BoxIcon::kError);
}

void ConfigurationDialog::ReadInstrument() {
  BlockController* blocks = BlockController::Of(window_);
  if (blocks == nullptr) return;
  stop_ = false;
  SetBusy(true);
  QPointer<ConfigurationDialog> self(this);
  blocks->RunWithContext([self](BlockContext& ctx) {
    if (self == nullptr) return;
    const LineParameters& line = ctx.link.line();
    const ConfigReadResult read = ReadConfiguration(
        ctx,
        [self](size_t done, size_t total, const ConfigPart&) {
          if (self == nullptr) return false;
          self->progress_->setMaximum(static_cast<int>(total));
          self->progress_->setValue(static_cast<int>(done));
          return !self->stop_;
        },
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(),
        LineSummaryText(line.port_number, line.baud_code, line.parity_code) + ", адрес " +
            std::to_string(line.network_address),
        "qmx41-config " + QCoreApplication::applicationVersion().toStdString());
    if (self == nullptr) return;
    self->SetBusy(false);
    switch (read.end) {
      case ConfigEnd::kDone:
        if (self->instrument_) self->previous_ = std::move(self->instrument_);
        self->instrument_ = read.configuration;
        self->status_->setText(QStringLiteral("Конфигурация прочитана: ") +
                               Text(read.configuration.header.read_at));
        break;
      case ConfigEnd::kStopped:
        self->status_->setText(QStringLiteral("Чтение остановлено оператором."));
        break;
      default:
        OperationReport(ctx.dialogs, read.failure.status, read.failure.exception);
        self->status_->setText(Text("Чтение остановлено на блоке «" +
                                    (read.failed ? PartCaption(*read.failed) : std::string()) +
                                    "»."));
        break;
    }
    self->ShowComparison();
  });
}

void ConfigurationDialog::SaveToFile() {
  if (!instrument_) {
    Error("Конфигурация еще не прочитана из прибора: сохранять нечего.");
    return;
  }
  FileDialogRequest request;
  request.filter = kFileFilter;
  request.file_name = file_name_;
  const FileDialogResult chosen = context_.dialogs.SaveFile(request);
  if (!chosen.accepted) return;
  std::string name = chosen.file_name;
  if (name.find('.', name.rfind('/') + 1) == std::string::npos) name += ".cfg";
  std::string error;
  if (!SaveConfiguration(name, *instrument_, &error)) {
    Error("Не удалось записать файл конфигурации " + name + ": " + error + ".");
    return;
  }
  file_name_ = name;
  status_->setText(Text("Конфигурация сохранена в файл " + name));
}

void ConfigurationDialog::OpenFromFile() {
  FileDialogRequest request;
  request.filter = kFileFilter;
  const FileDialogResult chosen = context_.dialogs.OpenFile(request);
  if (!chosen.accepted) return;
  ConfigParse parse = LoadConfiguration(chosen.file_name);
  if (!parse.configuration) {
    Error("Не удалось открыть файл конфигурации " + chosen.file_name + ": " + parse.error + ".");
    return;
  }
  file_ = std::move(parse.configuration);
  file_name_ = chosen.file_name;
  other_->setCurrentIndex(0);
  status_->setText(Text("Открыт файл " + chosen.file_name + " (прочитан из прибора " +
                        file_->header.read_at + ")"));
  ShowComparison();
}

void ConfigurationDialog::ShowComparison() {
  const Configuration* other = Other();
  table_->setHorizontalHeaderItem(
      3, new QTableWidgetItem(other_->currentIndex() == 0 ? QStringLiteral("Файл")
                                                          : QStringLiteral("Прочитано ранее")));
  table_->setRowCount(0);
  if (!instrument_ && other == nullptr) return;
  const Configuration empty;
  const std::vector<ComparedValue> compared =
      CompareConfigurations(instrument_ ? *instrument_ : empty, other ? *other : empty);
  int differences = 0;
  for (const ComparedValue& value : compared) {
    const bool differs = value.differs && instrument_ && other != nullptr;
    if (differs) ++differences;
    if (only_differences_->isChecked() && !differs) continue;
    const int row = table_->rowCount();
    table_->insertRow(row);
    const QString cells[] = {Text(GroupName(value.part->group)),
                             Text(value.caption) + QStringLiteral(" (") +
                                 QString::number(value.reg) + QStringLiteral(")"),
                             Text(value.left), Text(value.right)};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (differs) item->setBackground(QColor(kColorYellow.r, kColorYellow.g, kColorYellow.b));
      table_->setItem(row, column, item);
    }
  }
  if (instrument_ && other != nullptr) {
    status_->setText(differences == 0
                         ? QStringLiteral("Различий нет.")
                         : QStringLiteral("Различий: %1 (выделены цветом).").arg(differences));
  }
}

void ConfigurationDialog::WriteToInstrument() {
  const Configuration* source = Other();
  if (!instrument_ || source == nullptr) {
    Error(
        "Для записи нужны конфигурация прибора (прочитайте ее) и та, что будет записана "
        "(откройте файл или прочитайте другой прибор).");
    return;
  }
  if (const std::string mismatch = ModelMismatch(*instrument_, *source); !mismatch.empty()) {
    Error(mismatch + " Запись не производится.");
    return;
  }
  const std::vector<const ConfigPart*> parts =
      PartsToWrite(*instrument_, *source,
                   CopiedGroups(with_line_->isChecked(), with_calibration_->isChecked(),
                                with_password_->isChecked()));
  if (parts.empty()) {
    context_.dialogs.Result("Прибор уже хранит эти значения: записывать нечего.");
    return;
  }
  const bool calibration = std::any_of(parts.begin(), parts.end(), [](const ConfigPart* part) {
    return part->group == ConfigGroup::kCalibration;
  });
  if (calibration &&
      !context_.dialogs.WarningQuestion("Калибровочные значения принадлежат датчику того "
                                        "прибора, из которого они прочитаны. Записать их в "
                                        "этот прибор?")) {
    return;
  }
  if (!context_.dialogs.Question("В прибор будут записаны блоки:" + PartList(parts) +
                                 "\nЗаписать?")) {
    return;
  }
  BlockController* blocks = BlockController::Of(window_);
  if (blocks == nullptr) return;
  SetBusy(true);
  stop_button_->setEnabled(false);
  QPointer<ConfigurationDialog> self(this);
  const Configuration file = *source;
  blocks->RunWithContext([self, file, parts](BlockContext& ctx) {
    const ConfigWriteResult written = WriteConfiguration(ctx, file, parts, ProtectionAnswer::kAsk);
    if (self == nullptr) return;
    self->SetBusy(false);
    if (written.end == ConfigEnd::kFailed) {
      if (written.failure.status != 0 || written.failure.exception != 0) {
        OperationReport(ctx.dialogs, written.failure.status, written.failure.exception);
      }
      std::string text = "Запись остановлена";
      if (written.failed != nullptr) text += " на блоке «" + PartCaption(*written.failed) + "»";
      text += written.written.empty() ? ". Ничего не записано."
                                      : ". Уже записаны:" + PartList(written.written);
      self->Error(text);
    }
    if (written.end == ConfigEnd::kDone || written.end == ConfigEnd::kFailed) {
      // What the instrument reads back replaces what was read before.
      for (auto& [key, words] : written.read_back.parts) self->instrument_->parts[key] = words;
    }
    if (written.end == ConfigEnd::kDone) {
      ctx.dialogs.Result(written.verified
                             ? "Конфигурация записана в прибор и проверена чтением: различий нет."
                             : "Конфигурация записана, но прибор при проверке вернул другие "
                               "значения: они выделены в таблице.");
      if (written.lock_open) {
        ctx.dialogs.ShowBox(kLockNotRestoredText, kCaptionWarning, BoxButtons::kOk,
                            BoxIcon::kExclamation);
      }
    }
    self->ShowComparison();
  });
}

}  // namespace qmx
