// The exchange tab and the page "ОБМЕН" in the window: the tab's lists and
// the page's twins in step, the parity boxes with the page's list, the busy
// panel and the link controls after a write that moved the instrument.
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "window_fixture.h"

namespace qmx::test {
namespace {

// Counts the times a widget came on screen.
class ShowCounter final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shown;
    return QObject::eventFilter(watched, event);
  }
  int shown = 0;
};

class ExchangeWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->show();
    Settle();
  }
  void Operator(const char* list, int index) {
    auto* widget = Find<QComboBox>(list);
    widget->setCurrentIndex(index);
    emit widget->activated(index);
    Settle();
  }
};

TEST_F(ExchangeWindowTest, TabListsAndTheirPageTwinsShowTheSameChoice) {
  // Start-up proposes the address in use.
  EXPECT_EQ(Find<QComboBox>("ComboBox45")->currentIndex(), 1);
  EXPECT_EQ(Find<QComboBox>("ComboBox15")->currentIndex(), 1);
  const struct {
    const char* changed;
    const char* twin;
    int index;
  } pairs[] = {{"ComboBox15", "ComboBox45", 17}, {"ComboBox45", "ComboBox15", 4},
               {"ComboBox14", "ComboBox46", 2},  {"ComboBox46", "ComboBox14", 6},
               {"ComboBox4", "ComboBox41", 3},   {"ComboBox57", "ComboBox7", 1},
               {"ComboBox35", "ComboBox56", 2}};
  for (const auto& pair : pairs) {
    Operator(pair.changed, pair.index);
    EXPECT_EQ(Find<QComboBox>(pair.twin)->currentIndex(), pair.index) << pair.changed;
  }

  // The parity boxes and the page's parity list.
  Find<QCheckBox>("CheckBox19")->click();
  Settle();
  EXPECT_EQ(Find<QComboBox>("ComboBox47")->currentIndex(), 1);
  EXPECT_EQ(Find<QLabel>("Label208")->text(), QStringLiteral("COM1, 19200 ,нечетный паритет "));
  Operator("ComboBox47", 2);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox19")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox20")->isChecked());
}

TEST_F(ExchangeWindowTest, WriteShowsTheBusyPanelAndTheLinkControlsFollowTheInstrument) {
  // On the engineering tab, where the panel lies.
  window_->SetEngineeringView(true);
  window_->PageControl1()->setCurrentIndex(3);
  Settle();
  ShowCounter counter;
  auto* panel = Find<QLabel>("Panel46");
  panel->installEventFilter(&counter);
  Operator("ComboBox45", 6);
  Operator("ComboBox46", 5);  // 38400
  Operator("ComboBox47", 1);
  dialogs_.AnswerYes();
  Find<QPushButton>("Button25")->click();
  Settle();
  EXPECT_EQ(dialogs_.LastBox().text, "Запись параметров обмена модуля успешно осуществлена.");
  EXPECT_EQ(counter.shown, 1);
  EXPECT_TRUE(panel->isHidden());

  EXPECT_EQ(Find<QComboBox>("ComboBox55")->currentIndex(), 6);
  EXPECT_EQ(Find<QComboBox>("ComboBox39")->currentText(), QStringLiteral("38400"));
  EXPECT_EQ(Find<QComboBox>("ComboBox40")->currentIndex(), 1);
  EXPECT_EQ(Find<QLabel>("Label426")->text(), QStringLiteral("COM1, 38400 , нечетный паритет "));
  const sim::JournalEntry& lock = bus_.journal().back();
  EXPECT_EQ(lock.Describe(), "write 1278 x2 = 0, 0");
  EXPECT_EQ(lock.line.baud, 38400u);
  EXPECT_EQ(lock.address, 6);
  EXPECT_EQ(lock.outcome, sim::Outcome::kAnswered);
}

TEST_F(ExchangeWindowTest, TheSummaryFollowsEveryBaudAndParityList) {
  const auto summary = [this] { return Find<QLabel>("Label208")->text(); };
  QString before = summary();
  for (const auto& [list, index] :
       {std::pair{"ComboBox14", 2}, std::pair{"ComboBox46", 6}, std::pair{"ComboBox47", 1}}) {
    SCOPED_TRACE(list);
    Operator(list, index);
    EXPECT_NE(summary(), before);
    before = summary();
  }
}

}  // namespace
}  // namespace qmx::test
