// Start-up and shut-down of the window: the settings files it creates, the
// first open of the port, the timers it arms, the profile it writes back.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "storage/ini_file.h"
#include "ui/button_states.h"
#include "ui/link_controller.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, EmptyDirectoryCreatesTheFilesAndTriesCom1WithoutABox) {
  dialogs_.ExpectNoBoxes();
  Start();

  for (const char* name : {"dev.dat", "to.dat", "recent.prf"}) {
    EXPECT_TRUE(std::filesystem::exists(dir_.File(name))) << name;
  }
  IniFile dev(dir_.File("dev.dat"));
  EXPECT_EQ(dev.ReadInteger("COM_SETTINGS", "Number", -1), 1);
  EXPECT_EQ(dev.ReadString("COM_SETTINGS", "Settings", ""), "19200,N,8,1");
  EXPECT_EQ(dev.ReadInteger("LOG", "UseLogFile", -1), 0);
  EXPECT_EQ(IniFile(dir_.File("to.dat")).ReadInteger("TIME_OUTS", "RTTMDF", -1), 192);
  EXPECT_EQ(IniFile(dir_.File("recent.prf")).ReadInteger("Seach", "end", -1), 3);

  // Every port was tried once by the enumeration, then COM1 by the open.
  ASSERT_EQ(ports_.opened().size(), 256U);
  EXPECT_EQ(ports_.opened().back(), 1);
  EXPECT_FALSE(context_.link.IsOpen());
  const LineParameters& line = context_.link.line();
  EXPECT_EQ(line.port_number, 1);
  EXPECT_EQ(line.baud_code, 7);
  EXPECT_EQ(line.parity_code, 0);
  EXPECT_EQ(line.network_address, 1);
  EXPECT_EQ(dialogs_.box_count(), 0U);

  EXPECT_EQ(window_->windowTitle(), QStringLiteral("QMX41_Config_V 3.2"));
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM1, 19200 , без паритета "));
  EXPECT_FALSE(Find<QCheckBox>("CheckBox3")->isChecked());  // UseLogFile = 0
}

TEST_F(StartupTest, OpensTheConfiguredPortWithItsLineAndSetsTheModemLines) {
  PlugEmptyPort(1);
  PlugInstrument(3);
  WriteText(dir_.File("dev.dat"),
            "[COM_SETTINGS]\nNumber=3\nSettings=9600,E,8,1\n[DEVICE]\nNetAdrr=7\n");
  WriteText(dir_.File("recent.prf"), "[NEW_COMM]\nNET_NUM=42\n");
  dialogs_.ExpectNoBoxes();
  Start();

  ASSERT_TRUE(context_.link.IsOpen());
  sim::InProcessPort* port = ports_.ports().last_opened();
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->config().baud, 9600U);
  EXPECT_EQ(port->config().parity, Parity::kEven);
  EXPECT_FALSE(port->rts());
  EXPECT_TRUE(port->dtr());
  // The address proposed for the instrument starts from the one in use,
  // whatever the profile said.
  EXPECT_EQ(context_.link.settings().proposed_address, 7);

  EXPECT_EQ(Find<QComboBox>("ComboBox38")->currentText(), QStringLiteral("COM3"));
  EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("COM3"));
  EXPECT_EQ(Find<QComboBox>("ComboBox39")->currentText(), QStringLiteral("9600"));
  EXPECT_EQ(Find<QComboBox>("ComboBox40")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox55")->currentIndex(), 7);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_EQ(Find<QLabel>("Label426")->text(), QStringLiteral("COM3, 9600 , четный паритет "));
}

TEST_F(StartupTest, ArmsTheOneShotTimersAndPutsTheButtonsAtRest) {
  context_.measurement_polling = true;
  context_.module_polling = true;
  context_.measurement.counters.cycles = 12;
  Start();
  auto* timer7 = Find<QTimer>("Timer7");
  auto* timer10 = Find<QTimer>("Timer10");
  ASSERT_NE(timer7, nullptr);
  ASSERT_NE(timer10, nullptr);
  EXPECT_TRUE(timer7->isSingleShot());
  EXPECT_TRUE(timer7->isActive());
  EXPECT_EQ(timer7->interval(), 200);
  EXPECT_TRUE(timer10->isSingleShot());
  EXPECT_TRUE(timer10->isActive());
  EXPECT_EQ(timer10->interval(), 3000);

  // Timer10 hides the picture panel when it runs out.
  auto* picture = Find<QWidget>("Panel52");
  picture->show();
  timer10->setInterval(0);
  timer10->start();
  Settle();
  EXPECT_TRUE(picture->isHidden());

  EXPECT_FALSE(context_.measurement_polling);
  EXPECT_FALSE(context_.module_polling);
  EXPECT_EQ(context_.measurement.counters.cycles, 0);
  if (auto* stop = window_->findChild<QPushButton*>(QStringLiteral("Button37"))) {
    EXPECT_FALSE(stop->isEnabled());
  }
}

TEST_F(StartupTest, PagesAndCleaningTimeFollowTheProfile) {
  WriteText(dir_.File("recent.prf"),
            "[TAB]\nArchTabEn=1\nElClearTabEn=0\nActivePageIndex4=2\n[el_clear]\ntime_val=120\n");
  Start();
  EXPECT_EQ(Find<QComboBox>("ComboBox54")->currentIndex(), 120);
  QTabWidget* work = window_->PageControl5();
  EXPECT_TRUE(work->isTabVisible(5));   // "АРХИВ"
  EXPECT_FALSE(work->isTabVisible(4));  // "ОБСЛУЖИВАНИЕ"
  EXPECT_EQ(window_->PageControl4()->currentIndex(), 2);
}

TEST_F(StartupTest, ClosingWritesRecentPrfEvenWithoutChanges) {
  Start();
  std::filesystem::remove(dir_.File("recent.prf"));
  window_->close();
  IniFile profile(dir_.File("recent.prf"));
  EXPECT_EQ(profile.ReadInteger("NEW_COMM", "NET_SPD", -1), 7);
  EXPECT_EQ(profile.ReadInteger("Seach", "beg", -1), 1);
  EXPECT_EQ(profile.ReadInteger("TAB", "ActivePageIndex4", -1), 0);
}

TEST_F(StartupTest, ClosingKeepsAPageSetWithoutActivePageAtMinusOne) {
  WriteText(dir_.File("recent.prf"), "[TAB]\nActivePageIndex1=99\nActivePageIndex2=3\n");
  Start();
  EXPECT_EQ(IniFile(dir_.File("recent.prf")).ReadInteger("TAB", "ActivePageIndex1", 0), -1);
  EXPECT_EQ(window_->PageControl2()->currentIndex(), 3);
  window_->close();
  IniFile profile(dir_.File("recent.prf"));
  EXPECT_EQ(profile.ReadInteger("TAB", "ActivePageIndex1", 0), -1);
  EXPECT_EQ(profile.ReadInteger("TAB", "num", 0), -1);
  EXPECT_EQ(profile.ReadInteger("TAB", "ActivePageIndex2", 0), 3);
}

TEST_F(StartupTest, AHiddenEngineeringPageNamedByTheProfileIsOpened) {
  // Page 4, "Поиск", has no tab in the operator layout.
  WriteText(dir_.File("recent.prf"), "[TAB]\nActivePageIndex1=4\n");
  Start();
  EXPECT_EQ(window_->PageControl1()->currentIndex(), 4);
  window_->close();
  IniFile profile(dir_.File("recent.prf"));
  EXPECT_EQ(profile.ReadInteger("TAB", "ActivePageIndex1", 0), 4);
  // Its tab is hidden, so it has no place among the tabs shown.
  EXPECT_EQ(profile.ReadInteger("TAB", "num", 0), -1);
}

}  // namespace
}  // namespace qmx::test
