// The network ports of the program's settings in the window: the dialog
// under "Настройки", the groups it keeps (which the command-line tool reads
// from the same file), and the ports in "ДОСТУПНЫЕ ПОРТЫ".
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

#include "link/network_port_list.h"
#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "ui/network_ports_dialog.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

const std::vector<NetworkPortEntry> kPorts = {
    {20, {NetworkKind::kRfc2217, "10.0.0.5", 4001}, 0},
    {21, {NetworkKind::kRawTcp, "10.0.0.6", 4002}, 250},
};

TEST(NetworkPortsSettingsTest, TheListSavedIsTheListTheWindowAndTheToolRead) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("qmx41-config.conf"));
  {
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("network-ports/COM30"), QStringLiteral("tcp://1.2.3.4:5"));
    SaveNetworkPorts(settings, kPorts);
  }
  QSettings settings(path, QSettings::IniFormat);
  // The old list is gone, not merged.
  EXPECT_EQ(LoadNetworkPorts(settings), kPorts);
  EXPECT_EQ(ReadNetworkPortsFile(path.toStdString()), kPorts);
}

TEST(NetworkPortsWindowTest, AListPutInForceShowsItsPortsByNumberAndAddress) {
  TempWorkingDirectory dir;
  ScratchDir links;
  PosixPortProvider local(links.path() + "/no-dev", links.path());
  NetworkPortProvider ports(local);
  VirtualClock clock;
  ScriptedDialogs dialogs;
  AppContext context(ports, clock, dialogs);
  MainWindow window(context);
  (new Startup(context, window))->FormCreate();
  auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo2"));
  EXPECT_FALSE(memo->toPlainText().contains(QStringLiteral("COM20")));

  auto* command = window.findChild<NetworkPortsCommand*>();
  ASSERT_NE(command, nullptr);
  command->Apply(kPorts);
  QCoreApplication::processEvents();
  EXPECT_EQ(memo->toPlainText(),
            QStringLiteral("COM20 — rfc2217://10.0.0.5:4001\nCOM21 — tcp://10.0.0.6:4002"));
  auto* list = window.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(0), QStringLiteral("COM20"));
  EXPECT_EQ(list->itemData(0, Qt::ToolTipRole).toString(),
            QStringLiteral("rfc2217://10.0.0.5:4001"));
}

}  // namespace
}  // namespace qmx::test
