// The page "Поиск" in the real window against instruments on one virtual
// line: the operator's buttons and list, the boxes, the line the program is
// left on, and closing the window while a search runs.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <functional>
#include <sstream>

#include "blocks/measured_values.h"
#include "link/device_search.h"
#include "sim/instrument.h"
#include "storage/ini_file.h"
#include "ui/script_runner.h"
#include "ui/search_controller.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

constexpr int kSearchPage = 4;  // of PageControl1

class SearchWindowTest : public WindowTest {
 protected:
  SearchWindowTest() {
    PlugInstrument(1);
    // The operator works at 19200, even parity, address 9; a silent address
    // costs one short attempt per read.
    WriteText(dir_.File("dev.dat"),
              "[COM_SETTINGS]\nNumber=1\nSettings=19200,E,8,1\n[DEVICE]\nNetAdrr=9\n"
              "[SETTINGS]\nTimeOut=100\nReask_val=1\n[LOG]\nUseLogFile=0\n");
    meter_.SetLine({9, 19200, Parity::kEven});
    context_.link.SetEventPump([this] {
      if (during_search_) during_search_();
      ExchangeGate::PumpEvents();
    });
  }

  // The window on screen with the search page open, as the operator has it.
  void StartOnSearchPage() {
    Start();
    window_->SetEngineeringView(true);
    window_->PageControl1()->setCurrentIndex(kSearchPage);
    window_->show();
    Settle();
  }

  void Choose(const char* list, int index) {
    auto* box = Find<QComboBox>(list);
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  // Ticks exactly the named boxes among the rate and parity boxes.
  void Tick(std::initializer_list<const char*> names) {
    for (int number = 23; number <= 33; ++number) {
      const std::string name = "CheckBox" + std::to_string(number);
      auto* box = Find<QCheckBox>(name.c_str());
      const bool wanted =
          std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
      if (box->isChecked() != wanted) box->click();
    }
  }
  void PressStart() {
    bus_.ClearJournal();
    dialogs_.Clear();
    Find<QPushButton>("Button41")->click();
    Settle();
  }

  QStringList ListLines() {
    QStringList lines;
    auto* list = Find<QListWidget>("ListBox1");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  // First attempts of the block read, "9600/0/3" (baud/parity/address).
  std::vector<std::string> Probes() {
    std::vector<std::string> probes;
    for (const sim::JournalEntry& entry : bus_.journal()) {
      if (entry.start != kMeasuredBlockStart) continue;
      probes.push_back(std::to_string(entry.line.baud) + "/" +
                       std::to_string(static_cast<int>(entry.line.parity)) + "/" +
                       std::to_string(entry.address));
    }
    return probes;
  }
  std::vector<std::string> SearchBoxes() {
    std::vector<std::string> texts;
    for (const RecordedBox& box : dialogs_.boxes()) {
      if (box.caption == kSearchCaption) {
        EXPECT_EQ(box.icon, BoxIcon::kInformation);
        texts.push_back(box.text);
      }
    }
    return texts;
  }
  // The port the program holds now, as the line sees it.
  void ExpectPortAtOperatorLine() {
    sim::InProcessPort* port = ports_.ports().last_opened();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->config().baud, 19200u);
    EXPECT_EQ(port->config().parity, Parity::kEven);
    EXPECT_EQ(context_.link.line().network_address, 9);
    EXPECT_EQ(context_.link.line().baud_code, 7);
    EXPECT_EQ(context_.link.line().parity_code, 2);
  }

  std::function<void()> during_search_;
};

TEST_F(SearchWindowTest, AClickOnAFoundLineSwitchesTheLinkAndAClickBelowTheListDoesNothing) {
  bus_.AddInstrument({2, 9600, Parity::kOdd});
  StartOnSearchPage();
  Tick({"CheckBox26", "CheckBox32"});
  Choose("ComboBox22", 1);
  Choose("ComboBox23", 3);
  PressStart();
  ASSERT_EQ(ListLines(), QStringList{"Скорость 9600  нечёт. пар. Сет. номер 2"});

  auto* list = Find<QListWidget>("ListBox1");
  const QRect line = list->visualItemRect(list->item(0));
  const size_t opens = ports_.opened().size();
  // Below the last line: no entry, nothing happens.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    line.center() + QPoint(0, 4 * line.height()));
  Settle();
  EXPECT_EQ(ports_.opened().size(), opens);
  ExpectPortAtOperatorLine();

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
  Settle();
  EXPECT_EQ(ports_.opened().size(), opens + 1);
  EXPECT_EQ(Find<QComboBox>("ComboBox39")->currentText(), QStringLiteral("9600"));
  EXPECT_EQ(Find<QComboBox>("ComboBox55")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox15")->currentIndex(), 2);
  // The page "ОБМЕН" proposes the same address: it is what a write sends.
  EXPECT_EQ(Find<QComboBox>("ComboBox45")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox40")->currentIndex(), 1);

  // The operator's next read goes to that instrument on its line.
  bus_.ClearJournal();
  dialogs_.Clear();
  Find<QPushButton>("Button3")->click();
  Settle();
  ASSERT_FALSE(bus_.journal().empty());
  const sim::JournalEntry& read = bus_.journal().front();
  EXPECT_EQ(read.start, kMeasuredBlockStart);
  EXPECT_EQ(read.line.baud, 9600u);
  EXPECT_EQ(read.line.parity, Parity::kOdd);
  EXPECT_EQ(read.address, 2);
  EXPECT_EQ(read.instrument, 1);
  EXPECT_EQ(read.outcome, sim::Outcome::kAnswered);
}

TEST_F(SearchWindowTest, StartIsOffWhileASearchRunsAndASecondPressStartsNothing) {
  StartOnSearchPage();
  Tick({"CheckBox27", "CheckBox31"});
  Choose("ComboBox22", 1);
  Choose("ComboBox23", 2);
  auto* start = Find<QPushButton>("Button41");
  SearchController* controller = SearchController::Of(window_.get());
  ASSERT_NE(controller, nullptr);
  bool pressed = false;
  QString progress;
  during_search_ = [&] {
    if (pressed || !controller->search().running()) return;
    pressed = true;
    EXPECT_FALSE(start->isEnabled());
    progress = Find<QProgressBar>(kSearchProgressName)->format();
    start->click();               // the disabled button
    controller->Button41Click();  // a press that got through anyway
    EXPECT_FALSE(start->isEnabled());
  };

  PressStart();

  EXPECT_TRUE(pressed);
  EXPECT_TRUE(progress.startsWith(QStringLiteral("Проба 1 из 2, осталось около ")))
      << progress.toStdString();
  EXPECT_EQ(SearchBoxes(), std::vector<std::string>{kSearchCompletedText});
  EXPECT_EQ(Probes(), (std::vector<std::string>{"19200/0/1", "19200/0/2"}));
  EXPECT_TRUE(start->isEnabled());
  EXPECT_FALSE(gate_.Busy());
}

TEST_F(SearchWindowTest, TheStopButtonEndsTheSearchAfterTheProbeInProgress) {
  bus_.AddInstrument({2, 19200, Parity::kNone});
  StartOnSearchPage();
  Tick({"CheckBox27", "CheckBox31"});
  Choose("ComboBox22", 1);
  Choose("ComboBox23", 8);
  bool stopped = false;
  during_search_ = [&] {
    if (!stopped && context_.link.InTransaction() && context_.link.line().network_address == 4) {
      stopped = true;
      Find<QPushButton>("Button42")->click();
    }
  };

  PressStart();

  EXPECT_TRUE(stopped);
  EXPECT_EQ(Probes(),
            (std::vector<std::string>{"19200/0/1", "19200/0/2", "19200/0/3", "19200/0/4"}));
  EXPECT_EQ(bus_.journal().back().start, kStandardFlowStart);  // the probe ran to its end
  EXPECT_EQ(SearchBoxes(), std::vector<std::string>{kSearchStoppedText});
  EXPECT_EQ(ListLines(), QStringList{"Скорость 19200  без парит. Сет. номер 2"});
  ExpectPortAtOperatorLine();
  EXPECT_EQ(Find<QLabel>("Panel38")->text(), QString());
}

TEST_F(SearchWindowTest, ClosingTheWindowEndsTheSearchFirstAndSavesTheProfileAfterIt) {
  StartOnSearchPage();
  Tick({"CheckBox27", "CheckBox31"});
  Choose("ComboBox22", 1);
  Choose("ComboBox23", 6);
  bool close_refused = false;
  during_search_ = [&] {
    if (!close_refused && context_.link.line().network_address == 2) {
      close_refused = !window_->close();
    }
  };
  // What the line was when the profile was written.
  int closings = 0;
  LineParameters line_at_close;
  bool searching_at_close = true;
  QObject::connect(window_.get(), &MainWindow::closing, [&] {
    ++closings;
    line_at_close = context_.link.line();
    searching_at_close = SearchController::Of(window_.get())->Busy();
  });

  PressStart();
  Settle();

  EXPECT_TRUE(close_refused);
  EXPECT_EQ(Probes(), (std::vector<std::string>{"19200/0/1", "19200/0/2"}));
  EXPECT_TRUE(SearchBoxes().empty());
  EXPECT_EQ(closings, 1);
  EXPECT_FALSE(searching_at_close);
  EXPECT_EQ(line_at_close.baud_code, 7);
  EXPECT_EQ(line_at_close.parity_code, 2);
  EXPECT_EQ(line_at_close.network_address, 9);
  EXPECT_FALSE(window_->isVisible());
  ExpectPortAtOperatorLine();
  IniFile profile(dir_.File("recent.prf"));
  EXPECT_EQ(profile.ReadInteger("Seach", "end", -1), 6);
  EXPECT_EQ(profile.ReadInteger("Seach", "19200", -1), 1);
  EXPECT_EQ(profile.ReadInteger("Seach", "9600", -1), 0);
}

// A profile whose search addresses no list holds leaves an address list
// without a choice.  The start is then an input error: no probe, no port
// opened, no hit at the address where the master checks no answer.
struct UnlistedAddresses {
  const char* what;
  const char* profile_keys;
  int first_index;  // what ComboBox22 shows
  int last_index;
};

void PrintTo(const UnlistedAddresses& addresses, std::ostream* out) {
  *out << addresses.what;
}

class SearchAddressErrorTest : public SearchWindowTest,
                               public ::testing::WithParamInterface<UnlistedAddresses> {};

TEST_P(SearchAddressErrorTest, IsAnInputErrorAndNothingIsSent) {
  const UnlistedAddresses& c = GetParam();
  WriteText(dir_.File("recent.prf"),
            std::string("[Seach]\n1200=0\n2400=0\n4800=0\n9600=0\n19200=1\n38400=0\n"
                        "57600=0\n115200=0\nparity_non=1\nparity_odd=0\nparity_ev=0\n") +
                c.profile_keys);
  StartOnSearchPage();
  ASSERT_EQ(Find<QComboBox>("ComboBox22")->currentIndex(), c.first_index);
  ASSERT_EQ(Find<QComboBox>("ComboBox23")->currentIndex(), c.last_index);
  ports_.ClearRecord();

  PressStart();

  ASSERT_EQ(dialogs_.box_count(), 1u) << ::testing::PrintToString(dialogs_.texts());
  EXPECT_EQ(dialogs_.LastBox().text, kSearchNoAddressText);
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка ввода");
  EXPECT_TRUE(bus_.journal().empty());
  EXPECT_TRUE(ports_.opened().empty());
  EXPECT_TRUE(Find<QPushButton>("Button41")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, SearchAddressErrorTest,
    ::testing::Values(UnlistedAddresses{"BothBeyondTheLists", "beg=250\nend=252\n", -1, -1},
                      UnlistedAddresses{"TheLastBeyondTheLists", "beg=2\nend=250\n", 2, -1}),
    [](const ::testing::TestParamInfo<UnlistedAddresses>& info) { return info.param.what; });

// The open of the first probe fails: its box is the only one, since nobody
// stopped the search.
TEST_F(SearchWindowTest, APortThatCannotBeOpenedShowsItsOwnBoxAlone) {
  WriteText(dir_.File("dev.dat"),
            "[COM_SETTINGS]\nNumber=4\nSettings=19200,E,8,1\n[DEVICE]\nNetAdrr=9\n"
            "[SETTINGS]\nTimeOut=100\nReask_val=1\n[LOG]\nUseLogFile=0\n");
  StartOnSearchPage();
  Tick({"CheckBox27", "CheckBox31"});
  Choose("ComboBox22", 1);
  Choose("ComboBox23", 3);

  PressStart();

  EXPECT_EQ(dialogs_.texts(), std::vector<std::string>{kTextPortError});
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionPortError);
  EXPECT_TRUE(SearchBoxes().empty());
  EXPECT_TRUE(bus_.journal().empty());
  EXPECT_TRUE(Find<QPushButton>("Button41")->isEnabled());
  EXPECT_EQ(context_.link.line().network_address, 9);
}

TEST_F(SearchWindowTest, ThePageShowsTheProfilesSettingsWhenTheWindowComesUp) {
  WriteText(dir_.File("recent.prf"),
            "[Seach]\n1200=1\n2400=0\n4800=0\n9600=0\n19200=0\n38400=1\n57600=1\n115200=0\n"
            "beg=4\nend=12\nparity_non=0\nparity_odd=1\nparity_ev=0\n");
  StartOnSearchPage();
  // 57600 is never searched unless the operator ticks it again.
  EXPECT_FALSE(Find<QCheckBox>("CheckBox29")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox23")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox27")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox28")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox31")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox32")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboBox22")->currentIndex(), 4);
  EXPECT_EQ(Find<QComboBox>("ComboBox23")->currentIndex(), 12);
}

}  // namespace
}  // namespace qmx::test
