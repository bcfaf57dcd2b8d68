#include "ui/network_ports_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include "link/network_port_list.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/link_controller.h"

namespace qmx {
namespace {

enum Column { kNumberColumn = 0, kAddressColumn = 1, kMarginColumn = 2 };

QString Cell(const QTableWidget* table, int row, int column) {
  const QTableWidgetItem* item = table->item(row, column);
  return item != nullptr ? item->text().trimmed() : QString();
}

}  // namespace

std::vector<NetworkPortEntry> LoadNetworkPorts(QSettings& settings) {
  std::vector<NetworkPortEntry> entries;
  settings.beginGroup(QLatin1String(kNetworkPortsGroup));
  const QStringList keys = settings.childKeys();
  std::vector<std::pair<QString, QString>> addresses;
  for (const QString& key : keys) addresses.emplace_back(key, settings.value(key).toString());
  settings.endGroup();
  settings.beginGroup(QLatin1String(kNetworkMarginsGroup));
  for (const auto& [key, address] : addresses) {
    const QString margin = settings.value(key).toString();
    if (auto entry = ParseNetworkPortSetting(key.toStdString(), address.toStdString(),
                                             margin.toStdString())) {
      entries.push_back(*entry);
    }
  }
  settings.endGroup();
  std::sort(
      entries.begin(), entries.end(),
      [](const NetworkPortEntry& a, const NetworkPortEntry& b) { return a.number < b.number; });
  return entries;
}

void SaveNetworkPorts(QSettings& settings, const std::vector<NetworkPortEntry>& entries) {
  settings.remove(QLatin1String(kNetworkPortsGroup));
  settings.remove(QLatin1String(kNetworkMarginsGroup));
  for (const NetworkPortEntry& entry : entries) {
    const QString key = QString::fromStdString(PortName(entry.number));
    settings.setValue(QLatin1String(kNetworkPortsGroup) + QLatin1Char('/') + key,
                      QString::fromStdString(NetworkAddressText(entry.address)));
    if (entry.margin_ms != 0) {
      settings.setValue(QLatin1String(kNetworkMarginsGroup) + QLatin1Char('/') + key,
                        QString::number(entry.margin_ms));
    }
  }
  settings.sync();
}

NetworkPortsDialog::NetworkPortsDialog(const std::vector<NetworkPortEntry>& entries,
                                       QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("NetworkPortsDialog"));
  setWindowTitle(QStringLiteral("Сетевые порты"));
  auto* layout = new QVBoxLayout(this);
  auto* hint = new QLabel(
      QStringLiteral("Порт сервера последовательных линий: tcp://адрес:порт (линия как есть, "
                     "её скорость и паритет задаются на сервере) или rfc2217://адрес:порт. "
                     "Запас времени ответа в мс; пусто — по замеру соединения."),
      this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  table_ = new QTableWidget(0, 3, this);
  table_->setObjectName(QStringLiteral("NetworkPortsTable"));
  table_->setHorizontalHeaderLabels(
      {QStringLiteral("Порт"), QStringLiteral("Адрес"), QStringLiteral("Запас, мс")});
  table_->horizontalHeader()->setSectionResizeMode(kAddressColumn, QHeaderView::Stretch);
  table_->verticalHeader()->hide();
  layout->addWidget(table_);
  for (const NetworkPortEntry& entry : entries) AddRow(&entry);

  auto* row_buttons = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("Добавить"), this);
  add->setObjectName(QStringLiteral("NetworkPortAdd"));
  auto* remove = new QPushButton(QStringLiteral("Удалить"), this);
  remove->setObjectName(QStringLiteral("NetworkPortRemove"));
  row_buttons->addWidget(add);
  row_buttons->addWidget(remove);
  row_buttons->addStretch();
  layout->addLayout(row_buttons);
  connect(add, &QPushButton::clicked, this, [this] { AddRow(nullptr); });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = table_->currentRow();
    if (row >= 0) table_->removeRow(row);
  });

  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("NetworkPortsProblem"));
  layout->addWidget(problem_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Сохранить"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &NetworkPortsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &NetworkPortsDialog::reject);
  layout->addWidget(buttons);
  resize(560, 320);
}

void NetworkPortsDialog::AddRow(const NetworkPortEntry* entry) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  const QString number =
      entry != nullptr ? QString::fromStdString(PortName(entry->number)) : QString();
  const QString address = entry != nullptr
                              ? QString::fromStdString(NetworkAddressText(entry->address))
                              : QStringLiteral("rfc2217://");
  const QString margin =
      entry != nullptr && entry->margin_ms != 0 ? QString::number(entry->margin_ms) : QString();
  table_->setItem(row, kNumberColumn, new QTableWidgetItem(number));
  table_->setItem(row, kAddressColumn, new QTableWidgetItem(address));
  table_->setItem(row, kMarginColumn, new QTableWidgetItem(margin));
  table_->setCurrentCell(row, entry != nullptr ? kAddressColumn : kNumberColumn);
}

bool NetworkPortsDialog::Collect(std::vector<NetworkPortEntry>* entries, QString* problem) const {
  entries->clear();
  for (int row = 0; row < table_->rowCount(); ++row) {
    QString number = Cell(table_, row, kNumberColumn).toUpper();
    if (!number.startsWith(QLatin1String("COM"))) number.prepend(QLatin1String("COM"));
    const QString address = Cell(table_, row, kAddressColumn);
    const QString margin = Cell(table_, row, kMarginColumn);
    const std::string line = "Строка " + std::to_string(row + 1) + ": ";
    if (!ParsePortName(number.toStdString())) {
      *problem = QString::fromStdString(line + "номер порта от 1 до 255.");
      return false;
    }
    if (!ParseNetworkAddress(address.toStdString())) {
      *problem =
          QString::fromStdString(line + "адрес вида tcp://адрес:порт или rfc2217://адрес:порт.");
      return false;
    }
    const auto entry =
        ParseNetworkPortSetting(number.toStdString(), address.toStdString(), margin.toStdString());
    if (!entry) {
      *problem = QString::fromStdString(line + "запас от 0 до " +
                                        std::to_string(kMaxNetworkMarginMs) + " мс или пусто.");
      return false;
    }
    entries->push_back(*entry);
  }
  const std::string twice = NetworkPortListProblem(*entries);
  if (!twice.empty()) {
    *problem = QString::fromStdString(twice);
    return false;
  }
  std::sort(
      entries->begin(), entries->end(),
      [](const NetworkPortEntry& a, const NetworkPortEntry& b) { return a.number < b.number; });
  return true;
}

void NetworkPortsDialog::accept() {
  QString problem;
  if (!Collect(&entries_, &problem)) {
    problem_->setText(problem);
    return;
  }
  problem_->clear();
  QDialog::accept();
}

NetworkPortsCommand::NetworkPortsCommand(AppContext& context, QWidget* window, QAction* action)
    : QObject(window), context_(context), window_(window) {
  setObjectName(QStringLiteral("NetworkPortsCommand"));
  connect(action, &QAction::triggered, this, [this] {
    const QPointer<NetworkPortsCommand> self(this);
    // The list changes the ports under the link: never during an exchange.
    RunOperatorAction(context_.gate, [self] {
      if (self != nullptr) self->Run();
    });
  });
}

void NetworkPortsCommand::Run() {
  QSettings settings(QStringLiteral("qmx41-config"), QStringLiteral("qmx41-config"));
  NetworkPortsDialog dialog(LoadNetworkPorts(settings), window_);
  if (dialog.exec() != QDialog::Accepted) return;
  SaveNetworkPorts(settings, dialog.Entries());
  Apply(dialog.Entries());
}

void NetworkPortsCommand::Apply(const std::vector<NetworkPortEntry>& entries) {
  auto* network = dynamic_cast<NetworkPortProvider*>(&context_.ports);
  if (network == nullptr) return;
  network->SetEntries(entries);
  LinkController::Of(context_, window_).BitBtn1Click();
}

}  // namespace qmx
