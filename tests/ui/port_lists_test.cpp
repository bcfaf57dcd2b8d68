// The port lists show the port the program really uses, and a silent
// instrument behind a port that could not be opened is reported with the
// port's trouble.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

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

}  // namespace
}  // namespace qmx::test
