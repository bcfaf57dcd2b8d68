// "Настройки" -> "Сетевые порты...": the list of network serial ports
// (a COM number, a tcp:// or rfc2217:// address, a network margin) kept in
// the program's own settings.  The groups are those the command-line tool
// reads from the same file (link/network_port_list.h).
#pragma once

#include <QDialog>
#include <QObject>
#include <vector>

#include "link/network_port.h"

class QLabel;
class QSettings;
class QTableWidget;

namespace qmx {

struct AppContext;

std::vector<NetworkPortEntry> LoadNetworkPorts(QSettings& settings);
void SaveNetworkPorts(QSettings& settings, const std::vector<NetworkPortEntry>& entries);

class NetworkPortsDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit NetworkPortsDialog(const std::vector<NetworkPortEntry>& entries,
                              QWidget* parent = nullptr);

  QTableWidget* Table() const { return table_; }
  QLabel* ProblemLine() const { return problem_; }
  // The list as the table holds it; false, with the first problem in
  // `problem`, when a row is wrong or a number is used twice.
  bool Collect(std::vector<NetworkPortEntry>* entries, QString* problem) const;
  const std::vector<NetworkPortEntry>& Entries() const { return entries_; }

  void AddRow(const NetworkPortEntry* entry);
  // Keeps the dialog open, the problem shown, while the list is wrong.
  void accept() override;

 private:
  QTableWidget* table_ = nullptr;
  QLabel* problem_ = nullptr;
  std::vector<NetworkPortEntry> entries_;
};

// The menu command: shows the dialog with the settings' list; a list saved
// is put in force at once (the network ports the link can open, the port
// lists filled again and the current port opened anew).
class NetworkPortsCommand final : public QObject {
  Q_OBJECT

 public:
  NetworkPortsCommand(AppContext& context, QWidget* window, QAction* action);
  // Puts `entries` in force without a dialog.
  void Apply(const std::vector<NetworkPortEntry>& entries);

 private:
  void Run();

  AppContext& context_;
  QWidget* window_;
};

}  // namespace qmx
