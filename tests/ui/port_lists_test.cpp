// The port lists and summaries show the port the program really uses, and a
// silent instrument behind a port that could not be opened is reported with
// the port's trouble.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <fstream>

#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "support/pty_pair.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

QStringList Items(QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

using PortListsTest = WindowTest;

TEST_F(PortListsTest, AConfiguredNumberNoPortCanHaveIsShownAsItIs) {
  PlugInstrument(1);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nNumber=999\n");
  Start();
  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    auto* list = Find<QComboBox>(name);
    EXPECT_EQ(Items(list), (QStringList{"COM1", "COM999"})) << name;
    EXPECT_EQ(list->currentText(), QStringLiteral("COM999")) << name;
  }
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM999, 19200 , без паритета "));

  Find<QPushButton>("BitBtn4")->click();
  Settle();
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.\nПорт COM999 не найден.");

  // The operator picks the instrument's port: the list now reads by number.
  auto* list = Find<QComboBox>("ComboBox38");
  list->setCurrentIndex(0);
  emit list->activated(0);
  Settle();
  EXPECT_EQ(context_.link.line().port_number, 1);
  EXPECT_TRUE(context_.link.IsOpen());
  EXPECT_EQ(Find<QLabel>("Label426")->text(), QStringLiteral("COM1, 19200 , без паритета "));
}

TEST_F(PortListsTest, NoPortsTextCannotBeChosen) {
  Start();
  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    auto* list = Find<QComboBox>(name);
    ASSERT_EQ(Items(list), QStringList{QStringLiteral("портов нет")}) << name;
    const Qt::ItemFlags flags = list->model()->flags(list->model()->index(0, 0));
    EXPECT_FALSE(flags & (Qt::ItemIsEnabled | Qt::ItemIsSelectable)) << name;
  }
}

// The real port layer: COM1 is a pseudo-terminal that another program has
// claimed with a lock file.
class BusyPortWindowTest : public ::testing::Test {
 protected:
  BusyPortWindowTest() {
    dialogs_.SetFailureHandler([](std::string_view message) { ADD_FAILURE() << message; });
    context_.gate = &gate_;
    context_.link.SetEventPump(ExchangeGate::LinkEventPump());
    ports_.SetLockDirs({locks_.path()});
    EXPECT_TRUE(pty_.ok() && links_.Link("COM1", pty_.slave_path()));
  }
  ~BusyPortWindowTest() override { window_.reset(); }

  TempWorkingDirectory dir_;
  PtyPair pty_;
  ScratchDir links_;
  ScratchDir locks_;
  PosixPortProvider ports_{links_.path() + "/no-dev", links_.path()};
  VirtualClock clock_;
  ScriptedDialogs dialogs_;
  ExchangeGate gate_;
  AppContext context_{ports_, clock_, dialogs_};
  std::unique_ptr<MainWindow> window_;
};

TEST_F(BusyPortWindowTest, SilenceOnABusyPortSaysWhoHasIt) {
  const std::string device = pty_.slave_path().substr(pty_.slave_path().rfind('/') + 1);
  std::ofstream(locks_.At("LCK.." + device)) << "     " << getppid() << "\n";
  window_ = std::make_unique<MainWindow>(context_);
  (new Startup(context_, *window_))->FormCreate();
  ASSERT_FALSE(context_.link.IsOpen());

  window_->findChild<QPushButton*>(QStringLiteral("BitBtn4"))->click();
  for (int i = 0; i < 20 && (gate_.Busy() || i < 2); ++i) QCoreApplication::processEvents();
  ASSERT_EQ(dialogs_.box_count(), 1U);
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.\nПорт COM1 занят другой программой.");
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка в обмене.");
}

}  // namespace
}  // namespace qmx::test
