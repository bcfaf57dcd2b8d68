// Exchange parameters and identity: the reads of the tab and the page, the
// exchange write that moves the program's own port after the instrument,
// INIT mode, the questions of "Записать все на закладке", the byte gap with
// its identity check, the parity boxes and the factory-number entry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/compatibility.h"
#include "blocks/exchange_parameters.h"
#include "operator/dialogs.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kNoAnswer[] = "Ответа не было.";

// A port that the adapter cannot set to `refused_baud`, or that goes
// altogether after `opens_left` more opens.
class RefusingPorts final : public PortProvider {
 public:
  explicit RefusingPorts(PortProvider& inner) : inner_(inner) {}
  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override {
    if (opens_left == 0 || config.baud == refused_baud) return nullptr;
    if (opens_left > 0) --opens_left;
    return inner_.Open(number, config, error);
  }
  std::string DevicePath(uint16_t number) override { return inner_.DevicePath(number); }
  uint32_t refused_baud = 0;
  int opens_left = -1;

 private:
  PortProvider& inner_;
};

class ExchangeTest : public BlockTest {
 protected:
  ExchangeTest() {
    // The window's start-up fill: every field holds a value that converts.
    ShowExchangeValues(controls_, values_);
    controls_.SetItemIndex("ComboBox19", 0);  // the profile's year 11 is not in the list
  }
  // The page's lists as the operator leaves them.
  void Choose(int address, int baud_index, int parity) {
    controls_.SetItemIndex("ComboBox45", address);
    controls_.SetItemIndex("ComboBox46", baud_index);
    controls_.SetItemIndex("ComboBox47", parity);
  }
  const sim::JournalEntry& Last() const { return bus_.journal().back(); }
};

TEST_F(ExchangeTest, ReadHandlersReadTheirGroupsAndFillTheTabAndThePage) {
  const struct {
    BlockOutcome (*handler)(BlockContext&);
    std::vector<std::string> journal;
    const char* success;
  } reads[] = {
      {&Button32Click,
       {"read 1032 x3", "read 1025 x2", "read 1029 x3", "read 1027 x5", "read 1024 x8"},
       "Чтение всех параметров закладки успешно осуществлено."},
      {&Button26Click,
       {"read 1027 x5", "read 1025 x2", "read 1029 x3"},
       "Чтение заводского номера и даты изготовления успешно осуществлено."},
      {&Button28Click,
       {"read 1027 x5", "read 1024 x8"},
       "Чтение кода модели и версий ПО успешно осуществлено."},
      {&BitBtn24Click,
       {"read 1027 x5", "read 1024 x8"},
       "Чтение данных прибора успешно осуществлено."},
      {&Button30Click,
       {"read 1051 x1"},
       "Чтение дополнительного временного зазора между байтами успешно осуществлено."},
  };
  for (const auto& read : reads) {
    bus_.ClearJournal();
    dialogs_.Clear();
    values_.exchange.configuration_read_once = false;
    EXPECT_EQ(read.handler(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(Journal(), read.journal) << read.success;
    EXPECT_THAT(dialogs_.texts(), ElementsAre(read.success));
    EXPECT_TRUE(values_.exchange.configuration_read_once) << read.success;
  }
  EXPECT_FALSE(values_.exchange.settings_never_read);

  // In INIT mode the instrument stays on the program's line whatever 1032-1034 hold.
  meter_.SetInitMode(true);
  meter_.Set(1024, 41);
  meter_.Set(1025, 1);
  meter_.Set(1026, 4464);
  meter_.Set(1027, 3);
  meter_.Set(1028, 215);
  meter_.Set(1029, 14);
  meter_.Set(1030, 6);
  meter_.Set(1031, 2021);
  meter_.Set(1032, 5);
  meter_.Set(1033, 8);
  meter_.Set(1034, 1);
  ASSERT_EQ(Button32Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Edit87"), "41");
  EXPECT_EQ(controls_.Text("Edit100"), "70000");
  EXPECT_EQ(controls_.Text("Edit90"), "1");
  EXPECT_EQ(controls_.Text("Edit91"), "4464");
  EXPECT_EQ(controls_.Text("Edit89"), "3");
  EXPECT_EQ(controls_.Text("Edit88"), "215");
  EXPECT_EQ(controls_.Text("ComboBox17") + "." + controls_.Text("ComboBox18") + "." +
                controls_.Text("ComboBox19"),
            "14.6.2021");
  EXPECT_EQ(controls_.Text("ComboBox15"), "  5");
  EXPECT_EQ(controls_.Text("ComboBox45"), "  5");
  EXPECT_EQ(controls_.Text("ComboBox14"), "38400");
  EXPECT_EQ(controls_.Text("ComboBox46"), "38400");
  EXPECT_EQ(controls_.Text("ComboBox47"), "Нечетный");
  EXPECT_TRUE(controls_.Checked("CheckBox19"));
  EXPECT_FALSE(controls_.Checked("CheckBox20"));
  EXPECT_EQ(controls_.Text("Label208"), "COM1, 38400 ,нечетный паритет ");

  // "ОБМЕН"'s read shows the passport lines of the page as well.
  ASSERT_EQ(BitBtn24Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Label429"), "70000");
  EXPECT_EQ(controls_.Text("Label431"), "14.06.2021");
  EXPECT_EQ(controls_.Text("Label433"), "215");

  // A baud code the lists do not have leaves them as they were.
  meter_.Set(1033, 11);
  ASSERT_EQ(Button32Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("ComboBox14"), "38400");
  EXPECT_EQ(controls_.Text("ComboBox46"), "38400");
}

TEST_F(ExchangeTest, WriteMovesThePortToTheNewSettingsAndLocksThere) {
  Choose(7, 3, 2);  // address 7, 9600, even
  StartLog();
  Yes();
  EXPECT_EQ(Button25Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 1048 x1", kUnlock,
                                     "write 1032 x3 = 7, 6, 2", kLock));
  EXPECT_EQ(WriteDescriptions().at(1), "Запись Net_num_new, ser_spd_new, ser_parity_new.");
  // The write went out on the old line, the lock on the new one, and the
  // instrument heard it: it is locked again.
  EXPECT_EQ(Entry(3).line.baud, 19200u);
  EXPECT_EQ(Last().line.baud, 9600u);
  EXPECT_EQ(Last().line.parity, Parity::kEven);
  EXPECT_EQ(Last().address, 7);
  EXPECT_EQ(Last().outcome, sim::Outcome::kAnswered);
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_THAT(
      dialogs_.texts(),
      ElementsAre(kConfigurationQuestion, "Запись параметров обмена модуля успешно осуществлена."));
  EXPECT_EQ(controls_.Text("Panel46"), kExchangeBusyText);
  EXPECT_FALSE(controls_.Visible("Panel46"));

  // The next exchange reaches the instrument without any change by hand.
  EXPECT_EQ(Button28Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Last().outcome, sim::Outcome::kAnswered);
  EXPECT_EQ(Last().address, 7);
}

TEST_F(ExchangeTest, InInitModeTheProgramKeepsItsSettingsAndWarnsAfterTheSuccess) {
  meter_.SetInitMode(true);
  Choose(9, 7, 1);
  Yes();
  EXPECT_EQ(BitBtn14Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 1048 x1", kUnlock,
                                     "write 1032 x3 = 9, 10, 1", kLock));
  EXPECT_EQ(Last().line.baud, 19200u);
  EXPECT_EQ(Last().address, 1);
  EXPECT_EQ(Last().outcome, sim::Outcome::kAnswered);
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre(kConfigurationQuestion,
                          "Запись параметров обмена прибора успешно осуществлена.", kInitWarning));
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionNotice);
}

TEST_F(ExchangeTest, FailuresAndRefusalsLeaveTheInstrumentAsItWas) {
  // The INIT flag unanswered: nothing unlocked, the panel gone.
  FaultOnRequest(2, NoAnswer());
  Yes();
  EXPECT_EQ(Button25Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 1048 x1"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, kNoAnswer));
  EXPECT_FALSE(controls_.Visible("Panel46"));

  // Lists with no selection: an address, a baud rate or a parity is refused.
  const struct {
    int address, baud, parity;
    std::vector<std::string> journal;
  } cases[] = {
      {-1, 3, 0, {"read 300 x1"}},
      {4, 3, -1, {"read 300 x1"}},
      {4, -1, 0, {"read 300 x1"}},
  };
  for (const auto& c : cases) {
    bus_.ClearJournal();
    dialogs_.Clear();
    link_.line() = LineParameters{};
    Choose(c.address, c.baud, c.parity);
    if (c.address >= 0 && c.parity >= 0) Yes();
    Button25Click(ctx_);
    EXPECT_EQ(Journal(), c.journal);
    if (c.journal.size() == 1) {
      ASSERT_EQ(dialogs_.box_count(), 2u);
      EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionInputError);
      EXPECT_EQ(dialogs_.boxes()[1].text, kTextNoWrite);
    }
  }
}

// A port whose line is its gateway's: a new rate or parity is refused
// before anything is sent; a new address alone is written as usual.
TEST_F(ExchangeTest, OnAFixedLineANewRateOrParityIsRefusedBeforeAnythingIsSent) {
  ports_.FixLine(1);
  for (const auto& [baud_index, parity] : {std::pair{3, 0}, std::pair{4, 2}}) {
    Choose(7, baud_index, parity);
    dialogs_.Clear();
    EXPECT_EQ(Button25Click(ctx_), BlockOutcome::kCancelled);
    EXPECT_TRUE(Journal().empty());
    EXPECT_THAT(dialogs_.texts(), ElementsAre(kLineFixedText));
  }
  Choose(7, 4, 0);  // 19200, no parity: the line in force
  Yes();
  EXPECT_EQ(Button25Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 1048 x1", kUnlock,
                                     "write 1032 x3 = 7, 7, 0", kLock));
}

TEST_F(ExchangeTest, PortThatCannotTakeTheNewSettingsStopsTheWriteBeforeTheUnlock) {
  link_.ClosePort();
  RefusingPorts ports(ports_);
  Link link(ports, clock_);
  link.settings().use_log_file = 0;
  link.settings().retry_limit = 1;
  ASSERT_TRUE(link.OpenCurrentPort(0).ok);
  BlockValues values(profile_, link.settings());
  BlockContext ctx{link, dialogs_, controls_, values};
  Choose(3, 2, 0);  // 4800
  ports.refused_baud = 4800;
  Yes();
  EXPECT_EQ(Button25Click(ctx), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 1048 x1"));
  EXPECT_EQ(dialogs_.LastBox().text, kTextPortError);
  EXPECT_FALSE(controls_.Visible("Panel46"));
  // Back on the old line, which still reaches the instrument.
  EXPECT_EQ(Button28Click(ctx), BlockOutcome::kDone);
  EXPECT_EQ(Last().outcome, sim::Outcome::kAnswered);

  // The port gone between the write and the switch: the operator is told
  // that the instrument has switched and is still unlocked.
  bus_.ClearJournal();
  dialogs_.Clear();
  ports.refused_baud = 0;
  ports.opens_left = 2;  // the trial at the new settings and the return to the old ones
  Yes();
  EXPECT_EQ(Button25Click(ctx), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre(kConfigurationQuestion, kTextPortError, kSwitchFailedText));
  EXPECT_TRUE(meter_.unlocked());
  EXPECT_FALSE(controls_.Visible("Panel46"));
  EXPECT_EQ(link.line().baud_code, 5);  // "Обновить" re-opens where the instrument is
}

TEST_F(ExchangeTest, WriteAllAsksItsQuestionsOnlyBeforeTheFirstRead) {
  Choose(1, 1, 0);  // 2400
  controls_.SetText("Edit100", "4294967295");
  Yes(3);
  EXPECT_EQ(Button33Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(
      dialogs_.texts(),
      ElementsAre(kSettingsNeverReadQuestion,
                  "Данные конфигурации ни разу не считывались из модуля. Вы просто "
                  "запишите новые?.",
                  kConfigurationQuestion, "Запись всех параметров закладки успешно осуществлена."));
  EXPECT_THAT(Journal(),
              ElementsAre("read 300 x1", "read 1048 x1", kUnlock, "write 1025 x2 = 65535, 65535",
                          "write 1029 x3 = 1, 6, 2017", "write 1027 x2 = 0, 0", "write 1024 x1 = 0",
                          "write 1032 x3 = 1, 4, 0", kLock));
  EXPECT_EQ(Last().line.baud, 2400u);
  EXPECT_FALSE(meter_.unlocked());

  ASSERT_EQ(Button32Click(ctx_), BlockOutcome::kDone);
  dialogs_.Clear();
  bus_.ClearJournal();
  controls_.SetText("Edit100", "65536");
  Yes();
  EXPECT_EQ(Button33Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(
      dialogs_.texts(),
      ElementsAre(kConfigurationQuestion, "Запись всех параметров закладки успешно осуществлена."));
  EXPECT_EQ(Journal().at(3), "write 1025 x2 = 1, 0");
}

TEST_F(ExchangeTest, ByteGapAsksWhenTheInstrumentIsNotConfirmed) {
  link_.settings().time_gap_dev = 12;
  meter_.Set(1154, 1);
  Yes();
  No();
  EXPECT_EQ(Button31Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre("read 1152 x3"));
  EXPECT_EQ(dialogs_.texts().back().substr(0, 60),
            std::string("При проверке возможности смены параметров не удалось получить "
                        "подтверждение")
                .substr(0, 60));

  meter_.Set(1154, 0);
  bus_.ClearJournal();
  dialogs_.Clear();
  Yes();
  EXPECT_EQ(Button31Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1152 x3", kUnlock, "write 1051 x1 = 12", kLock));
  EXPECT_EQ(meter_.Get(1051), 12);
}

TEST_F(ExchangeTest, ParityBoxesAndFactoryNumberEntryFollowTheirRules) {
  const struct {
    bool on_before, even_before;
    bool even_clicked;  // which box the operator clicked (its state is already the new one)
    uint16_t code;
  } clicks[] = {
      {true, false, false, 1},  // tick "parity" with "even" clear
      {true, true, true, 2},    // tick "even" with "parity" ticked
      {false, true, false, 0},  // clear "parity" while both were ticked
      {false, true, true, 1},   // tick "even" alone: odd, the boxes say so
  };
  for (const auto& click : clicks) {
    controls_.SetChecked("CheckBox19", click.on_before);
    controls_.SetChecked("CheckBox20", click.even_before);
    ParityBoxClicked(controls_, values_, click.even_clicked);
    EXPECT_EQ(link_.settings().proposed_parity_code, click.code);
    EXPECT_EQ(controls_.Checked("CheckBox19"), click.code != 0);
    EXPECT_EQ(controls_.Checked("CheckBox20"), click.code == 2);
    EXPECT_EQ(controls_.ItemIndex("ComboBox47"), click.code);
  }
  link_.settings().proposed_baud_code = 2;
  ParityBoxClicked(controls_, values_, false);
  EXPECT_EQ(controls_.Text("Label208"), "COM1, ?нечетный паритет ");

  controls_.SetText("Edit100", "70000");
  controls_.SetChecked("CheckBox34", false);
  ASSERT_TRUE(CheckBox34Click(controls_, dialogs_, values_));
  EXPECT_EQ(controls_.Text("Edit90") + " " + controls_.Text("Edit91"), "1 4464");
  EXPECT_TRUE(controls_.Visible("Edit90"));
  EXPECT_FALSE(controls_.Visible("Edit100"));
  // Short entry: the number written is the one typed in the two fields.
  controls_.SetText("Edit91", "4465");
  Choose(1, 4, 0);
  Yes();
  ASSERT_EQ(Button27Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().at(2), "write 1025 x2 = 1, 4465");

  controls_.SetChecked("CheckBox34", true);
  ASSERT_TRUE(CheckBox34Click(controls_, dialogs_, values_));
  EXPECT_EQ(controls_.Text("Edit100"), "70001");
  EXPECT_TRUE(controls_.Visible("Edit100"));
  EXPECT_FALSE(controls_.Visible("Edit91"));
}

TEST_F(ExchangeTest, AFactoryNumberWordBeyondSixteenBitsIsRefused) {
  controls_.SetChecked("CheckBox34", false);
  CheckBox34Click(controls_, dialogs_, values_);
  for (const char* typed : {"70000", "65536", "-1"}) {
    SCOPED_TRACE(typed);
    bus_.ClearJournal();
    dialogs_.Clear();
    controls_.SetText("Edit90", "1");
    controls_.SetText("Edit91", typed);
    EXPECT_EQ(Button27Click(ctx_), BlockOutcome::kInputError);
    EXPECT_THAT(Journal(), ElementsAre("read 300 x1"));
    ASSERT_EQ(dialogs_.box_count(), 2u);
    EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionInputError);
    EXPECT_EQ(dialogs_.boxes()[1].text, kTextNoWrite);
  }
  controls_.SetText("Edit91", "65535");
  bus_.ClearJournal();
  Yes();
  EXPECT_EQ(Button27Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().at(2), "write 1025 x2 = 1, 65535");
}

TEST_F(ExchangeTest, TheSummaryFollowsTheListsAsTheyAreChanged) {
  Choose(1, 3, 2);  // 9600, even
  ShowListedSummary(controls_, values_);
  const std::string listed = controls_.Text("Label208");
  link_.settings().proposed_baud_code = 6;
  link_.settings().proposed_parity_code = 2;
  ShowProposedSummary(controls_, values_);
  EXPECT_EQ(listed, controls_.Text("Label208"));
  Choose(1, 0, 0);
  ShowListedSummary(controls_, values_);
  EXPECT_NE(listed, controls_.Text("Label208"));
}

TEST_F(ExchangeTest, CompatibilityPageAsksAsTheExchangeTabDoesAndSendsNothing) {
  No();
  EXPECT_EQ(Button46Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kSettingsNeverReadQuestion));
  EXPECT_FALSE(values_.exchange.settings_never_read);

  dialogs_.Clear();
  EXPECT_EQ(Button45Click(ctx_), BlockOutcome::kDone);
  Yes();
  EXPECT_EQ(Button46Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre("Чтение дополнительных параметров закладки успешно осуществлено.",
                          "Данные будут переписаны?.", "Запись параметров успешно осуществлена."));
  EXPECT_TRUE(values_.exchange.configuration_read_once);
  EXPECT_EQ(controls_.Text("Panel47"), "Идет запись");
  EXPECT_FALSE(controls_.Visible("Panel47"));
  EXPECT_TRUE(Journal().empty());
}

}  // namespace
}  // namespace qmx::test
