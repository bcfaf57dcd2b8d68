// The link controls of the top bar and of "НАСТРОЙКИ ПРОГРАММЫ": port lists,
// summaries, the handlers that re-open the port, the INIT line and the
// blink command.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "link/exchange_status.h"
#include "sim/instrument.h"
#include "storage/ini_file.h"
#include "ui/link_controller.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

// What the operator does to a list: the choice, then the signal that only an
// operator's choice sends.
void Choose(QComboBox* list, int index) {
  ASSERT_NE(list, nullptr);
  list->setCurrentIndex(index);
  emit list->activated(index);
}

QStringList Items(QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

TEST(LineSummaryText, TheTwoSummariesDifferInBlanksAndUnknownBaud) {
  EXPECT_EQ(LineSummaryText(3, 7, 2), "COM3, 19200 , четный паритет ");
  EXPECT_EQ(ProposedLineSummaryText(3, 7, 2), "COM3, 19200 ,четный паритет ");
  EXPECT_EQ(LineSummaryText(12, 10, 1), "COM12, 115200 , нечетный паритет ");
  EXPECT_EQ(ProposedLineSummaryText(12, 3, 1), "COM12, 1200 ,нечетный паритет ");
  // An unknown baud code: nothing in the line summary, "?" in the other;
  // an unknown parity reads as none in both.
  EXPECT_EQ(LineSummaryText(1, 2, 0), "COM1,  без паритета ");
  EXPECT_EQ(ProposedLineSummaryText(1, 2, 0), "COM1, ?без паритета ");
  EXPECT_EQ(LineSummaryText(1, 11, 5), "COM1,  без паритета ");
  EXPECT_EQ(ProposedLineSummaryText(1, 11, 5), "COM1, ?без паритета ");
}

using LinkControlsTest = WindowTest;

TEST_F(LinkControlsTest, ListsShowTheFoundPortsAndSelectTheLastWhenTheConfiguredIsMissing) {
  for (uint16_t number : {1, 3, 7}) PlugEmptyPort(number);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nNumber=5\n");
  dialogs_.ExpectNoBoxes();
  Start();

  const QStringList expected = {"COM1", "COM3", "COM7"};
  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    auto* list = Find<QComboBox>(name);
    EXPECT_EQ(Items(list), expected) << name;
    EXPECT_EQ(list->currentText(), QStringLiteral("COM7")) << name;
    EXPECT_EQ(list->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("inprocess:COM3"));
  }
  EXPECT_EQ(Find<QPlainTextEdit>("Memo2")->toPlainText(), QStringLiteral("COM1\nCOM3\nCOM7"));
  // The configured port stays until the operator picks one; its open failed
  // quietly.
  EXPECT_EQ(context_.link.line().port_number, 5);
  EXPECT_FALSE(context_.link.IsOpen());
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM5, 19200 , без паритета "));
}

TEST_F(LinkControlsTest, NoPortAtAll) {
  Start();
  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    EXPECT_EQ(Items(Find<QComboBox>(name)), QStringList{QStringLiteral("портов нет")}) << name;
  }
  EXPECT_EQ(Find<QPlainTextEdit>("Memo2")->toPlainText(), QStringLiteral("Нет"));

  // A refresh finds the port plugged in meanwhile and opens it.
  PlugEmptyPort(1);
  Find<QPushButton>("BitBtn1")->click();
  Settle();
  EXPECT_EQ(Items(Find<QComboBox>("ComboBox38")), QStringList{QStringLiteral("COM1")});
  EXPECT_EQ(Find<QPlainTextEdit>("Memo2")->toPlainText(), QStringLiteral("COM1"));
  EXPECT_TRUE(context_.link.IsOpen());
  EXPECT_EQ(dialogs_.box_count(), 0U);
}

TEST_F(LinkControlsTest, ProgramFillsNeverReopenThePortAndTheGuardSilencesHandlers) {
  PlugEmptyPort(1);
  PlugEmptyPort(2);
  Start();
  LinkController& controller = LinkController::Of(context_, window_.get());
  ports_.ClearRecord();

  controller.FillPortLists();
  controller.FillLineControls();
  Settle();
  EXPECT_TRUE(ports_.opened().empty());

  context_.update_guard = true;
  Choose(Find<QComboBox>("ComboBox39"), 6);  // 57600
  Choose(Find<QComboBox>("ComboBox38"), 1);  // COM2
  Choose(Find<QComboBox>("ComboBox2"), 6);
  Find<QCheckBox>("CheckBox1")->click();
  Settle();
  EXPECT_TRUE(ports_.opened().empty());
  EXPECT_EQ(context_.link.line().baud_code, 7);
  EXPECT_EQ(context_.link.line().port_number, 1);

  context_.update_guard = false;
  Choose(Find<QComboBox>("ComboBox39"), 6);
  Settle();
  // The port and baud lists are read together: COM2 chosen above counts now.
  EXPECT_EQ(ports_.opened(), std::vector<uint16_t>{2});
  EXPECT_EQ(context_.link.line().baud_code, 9);
  EXPECT_EQ(context_.link.line().port_number, 2);
  EXPECT_EQ(ports_.ports().last_opened()->config().baud, 57600U);
  EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentIndex(), 6);
  EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("COM2"));
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM2, 57600 , без паритета "));
}

TEST_F(LinkControlsTest, TopBarChoicesTakeEffectAndBothBarsAgree) {
  PlugEmptyPort(1);
  PlugEmptyPort(3);
  Start();
  ports_.ClearRecord();

  Choose(Find<QComboBox>("ComboBox1"), 1);  // COM3
  Settle();
  EXPECT_EQ(context_.link.line().port_number, 3);
  EXPECT_EQ(ports_.opened(), std::vector<uint16_t>{3});
  EXPECT_EQ(Find<QComboBox>("ComboBox38")->currentText(), QStringLiteral("COM3"));

  // "Четный" ticked: parity on and even.
  Find<QCheckBox>("CheckBox2")->click();
  Settle();
  EXPECT_EQ(context_.link.line().parity_code, 2);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboBox40")->currentIndex(), 2);
  EXPECT_EQ(ports_.ports().last_opened()->config().parity, Parity::kEven);
  // "Паритет" cleared: none, whatever "Четный" showed.
  Find<QCheckBox>("CheckBox1")->click();
  Settle();
  EXPECT_EQ(context_.link.line().parity_code, 0);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox2")->isChecked());
  // "Паритет" ticked alone: odd.
  Find<QCheckBox>("CheckBox1")->click();
  Settle();
  EXPECT_EQ(context_.link.line().parity_code, 1);
  EXPECT_EQ(ports_.ports().last_opened()->config().parity, Parity::kOdd);

  Choose(Find<QComboBox>("ComboBox3"), 17);
  Settle();
  EXPECT_EQ(context_.link.line().network_address, 17);
  EXPECT_EQ(Find<QComboBox>("ComboBox55")->currentIndex(), 17);
  EXPECT_EQ(ports_.opened().size(), 5U);
  EXPECT_EQ(dialogs_.box_count(), 0U);
}

TEST_F(LinkControlsTest, AddressAndParityListsOfTheSettingsPageDoNotReopen) {
  PlugEmptyPort(3);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nNumber=3\n");
  WriteText(dir_.File("recent.prf"), "[NEW_COMM]\nNET_SPD=9\n");
  Start();
  ports_.ClearRecord();

  Choose(Find<QComboBox>("ComboBox55"), 12);
  Settle();
  EXPECT_EQ(context_.link.line().network_address, 12);
  EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentIndex(), 12);

  // The parity proposed for the instrument, summarised from the proposed
  // baud rate; the line itself keeps its parity until the next re-open.
  Choose(Find<QComboBox>("ComboBox40"), 1);
  Settle();
  EXPECT_EQ(context_.link.settings().proposed_parity_code, 1);
  EXPECT_EQ(context_.link.line().parity_code, 0);
  EXPECT_EQ(Find<QLabel>("Label426")->text(), QStringLiteral("COM3, 57600 ,нечетный паритет "));
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM3, 19200 , без паритета "));
  EXPECT_TRUE(ports_.opened().empty());

  Choose(Find<QComboBox>("ComboBox39"), 4);
  Settle();
  EXPECT_EQ(context_.link.line().parity_code, 1);
  EXPECT_EQ(ports_.opened(), std::vector<uint16_t>{3});
}

TEST_F(LinkControlsTest, InitAsksFirstAndThenSetsTheInitLine) {
  PlugEmptyPort(1);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nSettings=9600,E,8,1\n[DEVICE]\nNetAdrr=5\n");
  Start();
  // The measured-value poll buttons of a later page.
  for (const char* name : {"Button3", "Button4", "Button5"}) {
    if (window_->findChild<QPushButton*>(QLatin1String(name)) == nullptr) {
      (new QPushButton(window_.get()))->setObjectName(QLatin1String(name));
    }
  }
  Find<QPushButton>("Button3")->setEnabled(false);
  Find<QPushButton>("Button4")->setEnabled(false);
  Find<QPushButton>("Button5")->setEnabled(true);
  ports_.ClearRecord();

  dialogs_.AnswerNo();
  Find<QPushButton>("Button1")->click();
  Settle();
  ASSERT_EQ(dialogs_.box_count(), 1U);
  EXPECT_EQ(dialogs_.LastBox().text, kInitQuestion);
  EXPECT_EQ(dialogs_.LastBox().caption, "Подтвердите действие");
  EXPECT_EQ(dialogs_.LastBox().icon, BoxIcon::kExclamation);
  EXPECT_TRUE(ports_.opened().empty());
  EXPECT_EQ(context_.link.line().baud_code, 6);
  EXPECT_FALSE(Find<QPushButton>("Button3")->isEnabled());

  context_.measurement_polling = true;
  dialogs_.AnswerYes();
  Find<QPushButton>("Button1")->click();
  Settle();
  EXPECT_EQ(dialogs_.box_count(), 2U);
  const LineParameters& line = context_.link.line();
  EXPECT_EQ(line.baud_code, 7);
  EXPECT_EQ(line.parity_code, 0);
  EXPECT_EQ(line.network_address, 1);
  EXPECT_EQ(line.port_number, 1);
  EXPECT_EQ(ports_.opened(), std::vector<uint16_t>{1});
  EXPECT_EQ(ports_.ports().last_opened()->config().stop_bits, 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox39")->currentText(), QStringLiteral("19200"));
  EXPECT_EQ(Find<QComboBox>("ComboBox55")->currentIndex(), 1);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_EQ(Find<QLabel>("Label7")->text(), QStringLiteral("COM1, 19200 , без паритета "));
  EXPECT_TRUE(Find<QPushButton>("Button3")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button4")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button5")->isEnabled());
  EXPECT_FALSE(context_.measurement_polling);
}

TEST_F(LinkControlsTest, PortErrorBoxOnlyForOperatorActions) {
  PlugEmptyPort(1);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nNumber=2\n");
  dialogs_.ExpectNoBoxes();
  Start();
  EXPECT_FALSE(context_.link.IsOpen());
  dialogs_.AllowBoxes();

  Find<QPushButton>("Button77")->click();
  Settle();
  ASSERT_EQ(dialogs_.box_count(), 1U);
  EXPECT_EQ(dialogs_.LastBox().text, "Невозможно открыть последовательный порт");
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
  EXPECT_EQ(dialogs_.LastBox().icon, BoxIcon::kError);

  Find<QPushButton>("BitBtn1")->click();
  Settle();
  EXPECT_EQ(dialogs_.box_count(), 2U);

  // The adapter is pulled out; the operator's next choice cannot open it.
  ports_.ports().Detach(1);
  Choose(Find<QComboBox>("ComboBox39"), 3);
  Settle();
  EXPECT_EQ(dialogs_.box_count(), 3U);
  EXPECT_EQ(dialogs_.LastBox().text, "Невозможно открыть последовательный порт");
}

TEST_F(LinkControlsTest, CheckConnectionBlinksTheInstrumentAtCom3) {
  PlugEmptyPort(1);
  PlugInstrument(3);
  WriteText(dir_.File("dev.dat"), "[COM_SETTINGS]\nNumber=3\n[LOG]\nUseLogFile=1\nLogFileName=" +
                                      dir_.File("COM.txt") + "\n");
  dialogs_.ExpectNoBoxes();
  Start();
  bus_.ClearJournal();

  context_.measurement_polling = true;
  Find<QPushButton>("BitBtn4")->click();
  Settle();
  EXPECT_FALSE(context_.measurement_polling);
  EXPECT_EQ(bus_.JournalSummary(), std::vector<std::string>{"write 1046 x1 = 1"});
  EXPECT_EQ(meter_.blink_count(), 1U);
  EXPECT_NE(ReadText(dir_.File("COM.txt")).find("Команда на мигание."), std::string::npos);

  // "Помигать" and "ПРОВЕРИТЬ СВЯЗЬ" send the same command.
  Find<QPushButton>("Button2")->click();
  Find<QPushButton>("BitBtn16")->click();
  Settle();
  EXPECT_EQ(meter_.blink_count(), 3U);
  EXPECT_EQ(dialogs_.box_count(), 0U);

  // Through only on a repetition: still a success, nothing shown.
  sim::Fault deaf;
  deaf.kind = sim::FaultKind::kNoAnswer;
  deaf.remaining = 1;
  meter_.AddFault(deaf);
  Find<QPushButton>("BitBtn4")->click();
  Settle();
  EXPECT_EQ(meter_.blink_count(), 4U);
  EXPECT_EQ(dialogs_.box_count(), 0U);
}

TEST_F(LinkControlsTest, BlinkWithoutAnswerIsReported) {
  PlugEmptyPort(1);
  Start();
  Find<QPushButton>("BitBtn4")->click();
  Settle();
  ASSERT_EQ(dialogs_.box_count(), 1U);
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.");
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка в обмене.");
}

TEST_F(LinkControlsTest, LogSwitchFollowsTheBox) {
  Start();
  auto* box = Find<QCheckBox>("CheckBox3");
  box->click();
  EXPECT_EQ(context_.link.settings().use_log_file, 1);
  box->click();
  EXPECT_EQ(context_.link.settings().use_log_file, 0);
}

}  // namespace
}  // namespace qmx::test
