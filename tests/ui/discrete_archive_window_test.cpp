// The flags, archive and cleaning controls in the window: the numbered flag
// boxes, the tab's interval list and time field kept in step with the lists
// the operator pages send, and the start-up fill from the profile.
#include <gmock/gmock.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "blocks/discrete_archive.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";

class DiscreteArchiveWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    bus_.ClearJournal();
  }
  void Click(const char* button) {
    Find<QPushButton>(button)->click();
    Settle();
  }
  // As the operator picks an item.
  void Choose(const char* list, int index) {
    auto* widget = Find<QComboBox>(list);
    widget->setCurrentIndex(index);
    emit widget->activated(index);
    Settle();
  }
  QString Text(const char* list) { return Find<QComboBox>(list)->currentText(); }
};

TEST_F(DiscreteArchiveWindowTest, FlagBoxesAreNumberedByTheirBit) {
  for (uint16_t reg : {uint16_t{1962}, uint16_t{1963}}) {
    for (int bit = 0; bit < 16; ++bit) {
      const std::string name(FlagBox(reg, bit));
      auto* box = Find<QCheckBox>(name.c_str());
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text(), QString::number(bit)) << name;
    }
  }
  // "Незапоминаемые" boxes 0 and 15 go out as 0x8001 in 1963.
  Find<QCheckBox>("CheckBox43")->click();
  Find<QCheckBox>("CheckBox8")->click();
  dialogs_.AnswerYes();
  Click("Button69");
  EXPECT_THAT(bus_.JournalSummary(),
              ElementsAre("read 300 x1", kUnlock, "write 1962 x2 = 0, 32769", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Дискретные параметры будут переписаны?.",
                                            "Запись дискретных параметров успешно осуществлена."));
}

TEST_F(DiscreteArchiveWindowTest, StartUpShowsTheProfileInBothPlaces) {
  // The profile's defaults: archive every second, cleaning up to 3600 s.
  EXPECT_EQ(Text("ComboBox58"), QStringLiteral("1"));
  EXPECT_EQ(Text("ComboBox36"), QStringLiteral("1"));
  EXPECT_EQ(Text("ComboBox54"), QStringLiteral("3600"));
  EXPECT_EQ(Find<QLineEdit>("Edit98")->text(), QStringLiteral("3600"));
  EXPECT_TRUE(Find<QCheckBox>("CheckBox92")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("Edit101")->text(), QStringLiteral("0"));
}

// Item index = seconds in both interval lists, so "выкл." and "0" are the
// same choice.
TEST_F(DiscreteArchiveWindowTest, TheTabIntervalListFollowsThePageList) {
  Choose("ComboBox58", 0);
  EXPECT_EQ(Text("ComboBox36"), QStringLiteral("0"));
  Choose("ComboBox36", 1200);
  EXPECT_EQ(Text("ComboBox58"), QStringLiteral("1200"));

  // The tab's write sends the tab's choice.
  Choose("ComboBox36", 900);
  Find<QCheckBox>("CheckBox92")->setChecked(false);
  dialogs_.AnswerYes();
  Click("Button74");
  EXPECT_THAT(bus_.JournalSummary(),
              ElementsAre("read 300 x1", kUnlock, "write 1952 x2 = 900, 0", kLock));

  // A read shows the instrument's interval on the tab too.
  meter_.Set(1952, 0);
  dialogs_.Clear();
  Click("Button73");
  EXPECT_EQ(Text("ComboBox58"), QStringLiteral("выкл."));
  EXPECT_EQ(Text("ComboBox36"), QStringLiteral("0"));
}

TEST_F(DiscreteArchiveWindowTest, TheCleaningTimeFieldFollowsThePageList) {
  auto* edit = Find<QLineEdit>("Edit98");
  Choose("ComboBox54", 0);
  EXPECT_EQ(edit->text(), QStringLiteral("выкл."));
  Choose("ComboBox54", 75);
  EXPECT_EQ(edit->text(), QStringLiteral("75"));
  // A number the list does not hold leaves the list without a choice and
  // the field as typed.
  edit->setText(QStringLiteral("4000"));
  Settle();
  EXPECT_EQ(edit->text(), QStringLiteral("4000"));
  EXPECT_EQ(Find<QComboBox>("ComboBox54")->currentIndex(), -1);
  edit->setText(QStringLiteral("240"));
  Settle();
  EXPECT_EQ(Find<QComboBox>("ComboBox54")->currentIndex(), 240);

  // The tab's write sends what the tab shows, without the state word.
  dialogs_.AnswerYes();
  Click("Button64");
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre(kUnlock, "write 1954 x1 = 240", kLock));
  EXPECT_EQ(meter_.Get(1954), 240);

  meter_.Set(1954, 30);
  dialogs_.Clear();
  Click("BitBtn20");
  EXPECT_EQ(edit->text(), QStringLiteral("30"));
  EXPECT_EQ(context_.profile.el_clear_time_val, 30);
}

}  // namespace
}  // namespace qmx::test
