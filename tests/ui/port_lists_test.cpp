// The port lists show the port the program really uses and the device
// behind each port, a port another program holds is shown greyed, and a
// silent instrument behind a port that could not be opened is reported with
// the port's trouble.
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "support/pty_pair.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

using PortListsTest = WindowTest;

TEST_F(PortListsTest, ANumberNoPortCanHaveIsShownAsItIsAndNoPortsIsNoChoice) {
  PlugInstrument(1);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nNumber=999\n");
  Start();
  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    EXPECT_EQ(Find<QComboBox>(name)->itemText(0), QStringLiteral("COM1")) << name;
    EXPECT_EQ(Find<QComboBox>(name)->currentText(), QStringLiteral("COM999")) << name;
  }
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM999, 19200 , без паритета "));
  Find<QPushButton>("BitBtn4")->click();
  Settle();
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.\nПорт COM999 не найден.");

  ports_.ports().Detach(1);
  Find<QPushButton>("Button77")->click();  // "Обновить"
  Settle();
  auto* list = Find<QComboBox>("ComboBox38");
  ASSERT_EQ(list->itemText(0), QStringLiteral("портов нет"));
  EXPECT_FALSE(list->model()->flags(list->model()->index(0, 0)) & Qt::ItemIsEnabled);
}

TEST(BusyPortWindowTest, SilenceOnABusyPortSaysWhoHasIt) {
  TempWorkingDirectory dir;
  PtyPair pty;
  ScratchDir links, locks;
  ASSERT_TRUE(pty.ok() && links.Link("COM1", pty.slave_path()));
  WriteText(locks.At("LCK.." + pty.slave_path().substr(9)), std::to_string(getppid()) + "\n");
  PosixPortProvider ports(links.path() + "/no-dev", links.path());
  ports.SetLockDirs({locks.path()});
  VirtualClock clock;
  ScriptedDialogs dialogs;
  AppContext context(ports, clock, dialogs);
  MainWindow window(context);
  (new Startup(context, window))->FormCreate();

  window.findChild<QPushButton*>(QStringLiteral("BitBtn4"))->click();
  ASSERT_EQ(dialogs.box_count(), 1U);
  EXPECT_EQ(dialogs.LastBox().text, "Ответа не было.\nПорт COM1 занят другой программой.");
  // The measured-value read, whose boxes pass through the poll's own
  // dialogs, tells the same.
  window.findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
  ASSERT_EQ(dialogs.box_count(), 2U);
  EXPECT_EQ(dialogs.LastBox().text, "Ответа не было.\nПорт COM1 занят другой программой.");
}

TEST(PortDevicesWindowTest, PortsNameTheirDeviceAndOneAnotherProgramHoldsIsGreyed) {
  TempWorkingDirectory dir;
  PtyPair free_pty, held_pty;
  ScratchDir links, locks;
  ASSERT_TRUE(free_pty.ok() && held_pty.ok());
  ASSERT_TRUE(links.Link("COM1", free_pty.slave_path()) &&
              links.Link("COM2", held_pty.slave_path()));
  WriteText(locks.At("LCK.." + held_pty.slave_path().substr(9)), std::to_string(getppid()) + "\n");
  PosixPortProvider ports(links.path() + "/no-dev", links.path());
  ports.SetLockDirs({locks.path()});
  VirtualClock clock;
  ScriptedDialogs dialogs;
  AppContext context(ports, clock, dialogs);
  MainWindow window(context);
  (new Startup(context, window))->FormCreate();

  const QString free_line = QString::fromStdString("COM1 — " + free_pty.slave_path());
  const QString held_line = QString::fromStdString("COM2 — " + held_pty.slave_path() + " — занят");
  auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo2"));
  EXPECT_EQ(memo->toPlainText(), free_line + "\n" + held_line);
  const QTextCharFormat free_format =
      memo->document()->findBlockByNumber(0).begin().fragment().charFormat();
  const QTextCharFormat held_format =
      memo->document()->findBlockByNumber(1).begin().fragment().charFormat();
  EXPECT_FALSE(free_format.hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_TRUE(held_format.hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_EQ(held_format.foreground().color(),
            memo->palette().color(QPalette::Disabled, QPalette::Text));

  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    auto* list = window.findChild<QComboBox*>(QLatin1String(name));
    ASSERT_EQ(list->count(), 2) << name;
    EXPECT_EQ(list->itemText(1), QStringLiteral("COM2")) << name;
    EXPECT_FALSE(list->model()->flags(list->model()->index(1, 0)) & Qt::ItemIsEnabled) << name;
    EXPECT_TRUE(list->itemData(1, Qt::ToolTipRole).toString().endsWith(QStringLiteral("занят")));
    EXPECT_EQ(list->currentText(), QStringLiteral("COM1")) << name;
    EXPECT_TRUE(list->toolTip().endsWith(free_line)) << name;
  }
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label426"))->toolTip(), free_line);
}

}  // namespace
}  // namespace qmx::test
