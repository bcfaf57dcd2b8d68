// The parameter blocks in the window: their controls on the pages, the
// buttons through the gate to the handlers, and the start-up fill.  The
// handlers' own rules are tested without widgets; here the clicks go through
// the real widgets to the virtual instrument.
#include <gmock/gmock.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "blocks/block_catalog.h"
#include "blocks/device_commands.h"
#include "sim/instrument.h"
#include "ui/block_controller.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kNotWritten[] = "Запись данных не будет производиться.";

class BlockWindowTest : public WindowTest {
 protected:
  // The instrument on COM1, which the default settings open.
  void StartWithInstrument() {
    PlugInstrument(1);
    Start();
    ASSERT_TRUE(context_.link.IsOpen());
    bus_.ClearJournal();
  }

  void Click(const char* button) {
    auto* widget = Find<QPushButton>(button);
    ASSERT_NE(widget, nullptr);
    widget->click();
    Settle();
  }

  void Choose(const char* list, int index) {
    auto* widget = Find<QComboBox>(list);
    ASSERT_NE(widget, nullptr);
    widget->setCurrentIndex(index);
  }

  void Type(const char* edit, const char* text) {
    auto* widget = Find<QLineEdit>(edit);
    ASSERT_NE(widget, nullptr);
    widget->setText(QString::fromUtf8(text));
  }
};

// The widget type each kind of block control must have.
bool HasKind(QWidget* widget, ControlKind kind) {
  switch (kind) {
    case ControlKind::kComboBox:
      return qobject_cast<QComboBox*>(widget) != nullptr;
    case ControlKind::kCheckBox:
      return qobject_cast<QCheckBox*>(widget) != nullptr;
    case ControlKind::kEdit:
      return qobject_cast<QLineEdit*>(widget) != nullptr;
    case ControlKind::kLabel:
      return qobject_cast<QLabel*>(widget) != nullptr;
  }
  return false;
}

TEST_F(BlockWindowTest, EveryBlockControlAndButtonIsLaidOutOnceWithItsKind) {
  Start();
  for (const ControlInfo& info : BlockControlList()) {
    const QString name = QString::fromLatin1(info.name.data(), info.name.size());
    const QList<QWidget*> found = window_->findChildren<QWidget*>(name);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    EXPECT_TRUE(HasKind(found.front(), info.kind)) << name.toStdString();
    if (info.items != nullptr) {
      auto* list = qobject_cast<QComboBox*>(found.front());
      ASSERT_NE(list, nullptr);
      ASSERT_EQ(list->count(), static_cast<int>(info.items->size())) << name.toStdString();
      EXPECT_EQ(list->itemText(0).toStdString(), info.items->front()) << name.toStdString();
    }
  }
  // The buttons of the measurement and output pages, the top bar's restart.
  for (const char* name :
       {"Button10", "Button11", "Button66", "Button67", "BitBtn6",  "BitBtn7",
        "Button12", "Button13", "BitBtn8",  "BitBtn9",  "Button14", "Button15",
        "BitBtn10", "BitBtn11", "Button79", "Button80", "Button81", "Button82",
        "Button16", "BitBtn12", "Button49", "BitBtn13", "Button92", "Button78",
        "Button9",  "BitBtn27", "Button85", "Button50", "BitBtn30"}) {
    EXPECT_EQ(window_->findChildren<QPushButton*>(QLatin1String(name)).size(), 1) << name;
  }
  EXPECT_EQ(Find<QPushButton>("Button66")->text(), QStringLiteral("Прочитать "));
  EXPECT_EQ(Find<QPushButton>("BitBtn13")->text(), QStringLiteral("ЗАПИСАТЬ"));
}

TEST_F(BlockWindowTest, ReadFillsBothPlacesThatShowTheBlock) {
  StartWithInstrument();
  meter_.Set(1840, 2);
  meter_.Set(1841, 10);
  meter_.Set(1856, 1);
  meter_.Set(1874, 1);
  meter_.Set(1956, 3);
  Click("Button10");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Чтение параметров измерения успешно осуществлено."));
  EXPECT_EQ(Find<QComboBox>("ComboBox41")->currentText(), QStringLiteral("м куб/час"));
  EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentIndex(), 10);
  EXPECT_EQ(Find<QComboBox>("ComboBox57")->currentText(), QStringLiteral("литры"));
  EXPECT_TRUE(Find<QCheckBox>("CheckBox6")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboBox56")->currentIndex(), 3);
  // The staged record is the profile's: the next profile save writes it.
  EXPECT_EQ(context_.profile.measurement.izm_flow_v_unit, 2);

  // The operator page's read of the output type shows it on the tab too.
  dialogs_.Clear();
  meter_.Set(1793, 3);
  Click("BitBtn8");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Чтение параметров выходов успешно осуществлено."));
  EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentText(), QStringLiteral("импульсный"));
  EXPECT_EQ(Find<QComboBox>("ComboBox42")->currentText(), QStringLiteral("импульсный"));

  // The volume still to go out as pulses, a double without a box.
  dialogs_.Clear();
  for (uint16_t i = 0; i < 4; ++i) meter_.Set(static_cast<uint16_t>(768 + i), 0);
  meter_.Set(768, 0x4059);  // 100.0
  Click("Button92");
  EXPECT_EQ(dialogs_.box_count(), 0U);
  EXPECT_EQ(Find<QLabel>("Label381")->text().trimmed(), QStringLiteral("100.0000"));
}

TEST_F(BlockWindowTest, GuardedWriteFromTheOperatorPage) {
  StartWithInstrument();
  context_.measurement_polling = true;
  Choose("ComboBox42", 1);  // "импульсный"
  dialogs_.AnswerYes();
  Click("BitBtn9");
  EXPECT_THAT(bus_.JournalSummary(),
              ElementsAre("read 300 x1", kUnlock, "write 1792 x2 = 0, 3", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Данные конфигурации будут переписаны?.",
                                            "Запись параметров выходов успешно осуществлена."));
  EXPECT_EQ(meter_.Get(1793), 3);
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_EQ(dialogs_.pending_answers(), 0U);
  // A block write leaves the measured-value poll alone.
  EXPECT_TRUE(context_.measurement_polling);

  // The frequency output from its engineering tab, values from the page.
  bus_.ClearJournal();
  dialogs_.Clear();
  Type("Edit107", "100");
  Type("Edit110", "0");
  Type("Edit108", "70000");
  dialogs_.AnswerYes();
  Click("Button15");
  EXPECT_THAT(bus_.JournalSummary(),
              ElementsAre("read 300 x1", kUnlock, "write 1808 x5 = 17096, 0, 0, 0, 4464", kLock));
  EXPECT_EQ(dialogs_.LastBox().text, "Запись параметров частотных выходов успешно осуществлена.");
}

TEST_F(BlockWindowTest, LettersInANumberFieldStopTheWriteBeforeAnyExchange) {
  StartWithInstrument();
  Type("Edit107", "сто");
  Click("BitBtn11");
  EXPECT_THAT(
      dialogs_.texts(),
      ElementsAre("Вводимые данные не получается представить плавающим числом.", kNotWritten));
  EXPECT_TRUE(bus_.JournalSummary().empty());

  dialogs_.Clear();
  Type("Edit114", "1,5x");
  Click("BitBtn7");
  EXPECT_THAT(
      dialogs_.texts(),
      ElementsAre("Вводимые данные не получается представить плавающим числом.", kNotWritten));
  EXPECT_TRUE(bus_.JournalSummary().empty());
}

TEST_F(BlockWindowTest, DeviceCommandsStopThePollAndGoThroughTheGate) {
  StartWithInstrument();
  context_.measurement_polling = true;
  // The totaliser reset closes the lock after the command.
  auto* controller = window_->findChild<BlockController*>(QStringLiteral("BlockController"));
  ASSERT_NE(controller, nullptr);
  dialogs_.AnswerYes();
  Click("Button9");
  Settle();
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre(kUnlock, "write 1857 x1 = 1", kLock));
  // The operator page's reset is the same command.
  bus_.ClearJournal();
  dialogs_.AnswerYes();
  Click("BitBtn27");
  Settle();
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre(kUnlock, "write 1857 x1 = 1", kLock));
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_FALSE(context_.measurement_polling);

  // "Перезапуск" on the top bar restarts the instrument, which comes back
  // locked on its own.
  bus_.ClearJournal();
  context_.measurement_polling = true;
  meter_.SetRestartSilenceMs(0);  // back at once, so the next restarts are heard
  dialogs_.AnswerYes();
  Click("Button78");
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre(kUnlock, "write 1049 x1 = 1"));
  EXPECT_EQ(meter_.restart_count(), 1U);
  EXPECT_FALSE(context_.measurement_polling);
  // The restart buttons of the general tab and of the operator set.
  for (const char* restart : {"Button50", "BitBtn30"}) {
    bus_.ClearJournal();
    dialogs_.AnswerYes();
    Click(restart);
    Settle();
    EXPECT_THAT(bus_.JournalSummary(), ElementsAre(kUnlock, "write 1049 x1 = 1")) << restart;
  }
}

TEST_F(BlockWindowTest, ClicksDuringAnExchangeWaitTheirTurn) {
  StartWithInstrument();
  meter_.Set(1816, 1234);
  // Both clicks land while an action holds the gate; they run after it, in
  // order, each with its own exchange.
  gate_.RunOperatorAction([this] {
    Find<QPushButton>("Button81")->click();
    Find<QPushButton>("Button12")->click();
    EXPECT_TRUE(bus_.JournalSummary().empty());
  });
  Settle();
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 1816 x1", "read 1792 x2"));
  EXPECT_EQ(Find<QLineEdit>("Edit102")->text(), QStringLiteral("1234"));
}

TEST_F(BlockWindowTest, StartUpShowsTheStagedValuesOfTheProfile) {
  WriteText(dir_.File("recent.prf"),
            "[izm_to_comp]\nizm_flow_v_unit=3\nizm_flow_v_ns=50\ntime_stamp_val_corr_en=1\n"
            "[output]\ndiskr_out_type1=2\nf_flow_err=12000\npulse_activ_min_t=40\n");
  PlugInstrument(1);
  Start();
  EXPECT_EQ(Find<QComboBox>("ComboBox41")->currentText(), QStringLiteral("л/час"));
  EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentIndex(), 50);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox6")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentText(), QStringLiteral("частота"));
  EXPECT_EQ(Find<QComboBox>("ComboBox42")->currentText(), QStringLiteral("частота"));
  EXPECT_EQ(Find<QLineEdit>("Edit108")->text(), QStringLiteral("12000"));
  EXPECT_EQ(Find<QLineEdit>("Edit111")->text(), QStringLiteral("40"));
  // Defaults of the profile where it has no key.
  EXPECT_EQ(Find<QLineEdit>("Edit112")->text(), QStringLiteral("100"));
  EXPECT_EQ(Find<QLineEdit>("Edit107")->text().trimmed(), QStringLiteral("10.0000"));
  // What only the instrument reports waits for the first read.
  EXPECT_TRUE(Find<QLabel>("Label271")->text().isEmpty());
  EXPECT_TRUE(Find<QLabel>("Label381")->text().isEmpty());
  // The fill reads nothing from the instrument.
  EXPECT_TRUE(bus_.JournalSummary().empty());
  EXPECT_EQ(dialogs_.box_count(), 0U);
}

}  // namespace
}  // namespace qmx::test
