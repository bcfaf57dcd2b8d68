// The clock and the menu password in the window: the tab's password field in
// step with the page's, its key filter, and the page "ВРЕМЯ" showing the
// instrument's clock after a read and after setting it from the computer.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "blocks/clock_password.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class ClockWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->show();
    Settle();
  }
  void Click(const char* button) {
    Find<QPushButton>(button)->click();
    Settle();
  }
};

TEST_F(ClockWindowTest, PasswordFieldsFollowEachOtherAndTheTabTakesOnlyFourDigits) {
  auto* tab = Find<QLineEdit>("Edit7");
  auto* page = Find<QLineEdit>("Edit113");

  // Typed on the tab: digits only, four of them at most.
  QTest::keyClicks(tab, "12a-3.45");
  EXPECT_EQ(tab->text(), "1234");
  EXPECT_EQ(page->text(), "1234");
  QTest::keyClick(tab, Qt::Key_Backspace);
  EXPECT_EQ(page->text(), "123");

  // The page's field is not cut to the tab's four characters.
  page->setText("70000");
  EXPECT_EQ(tab->text(), "70000");
  EXPECT_EQ(page->text(), "70000");

  // What the tab shows is what its write button sends.
  tab->setText("4321");
  dialogs_.AnswerYes();
  Click("Button54");
  EXPECT_EQ(meter_.Get(1264), 4321);
  EXPECT_EQ(dialogs_.LastBox().text, kPasswordWrittenText);

  meter_.Set(1264, 808);
  Click("BitBtn28");
  EXPECT_EQ(tab->text(), "808");
  EXPECT_EQ(page->text(), "808");
}

TEST_F(ClockWindowTest, TimePageShowsTheClockReadAndTheComputerTimeWritten) {
  const uint16_t clock[] = {2021, 4, 3, 7, 5, 9};
  for (uint16_t i = 0; i < 6; ++i) meter_.Set(static_cast<uint16_t>(1056 + i), clock[i]);
  Click("BitBtn15");
  EXPECT_EQ(Find<QLabel>("Panel117")->text(), "7:05:09  3.04.2021");
  EXPECT_EQ(dialogs_.LastBox().text, kClockReadText);
  EXPECT_TRUE(Find<QPushButton>("BitBtn17")->isHidden());

  clock_.SetLocalOrigin({2026, 12, 8, 3, 15, 0, 0});
  dialogs_.AnswerYes();
  Click("BitBtn31");
  EXPECT_EQ(dialogs_.LastBox().text, kClockWrittenText);
  Click("BitBtn15");
  // The computer's time, a second or two on.
  const std::string shown = Find<QLabel>("Panel117")->text().toStdString();
  EXPECT_TRUE(shown == "3:15:00  8.12.2026" || shown == "3:15:01  8.12.2026" ||
              shown == "3:15:02  8.12.2026")
      << shown;
}

}  // namespace
}  // namespace qmx::test
