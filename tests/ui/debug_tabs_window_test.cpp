// The debugging tabs and the hidden "АЦП" tab in the window: the polls run
// only while their tab is on top, the words on screen are the instrument's,
// the processing-results record follows "Запись в файл", and the ADC-code
// fields take hexadecimal digits only and turn cyan when changed.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "blocks/debug_reads.h"
#include "ui/debug_poll_controller.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class DebugTabsWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->SetEngineeringView(true);
    window_->show();
    Settle();
    polls_ = window_->findChild<DebugPollController*>(QStringLiteral("DebugPollController"));
    ASSERT_NE(polls_, nullptr);
  }
  void ShowPage(const char* page) {
    window_->PageControl1()->setCurrentWidget(Find<QWidget>(page));
    Settle();
  }
  void Click(const char* button) {
    Find<QPushButton>(button)->click();
    Settle();
  }
  size_t ReadsOf(const std::string& summary) {
    size_t n = 0;
    for (const std::string& line : bus_.JournalSummary()) n += line == summary;
    return n;
  }
  std::string Cell(const char* grid, int column, int row) {
    return Find<QTableWidget>(grid)->item(row, column)->text().toStdString();
  }
  // Cyan as a style paints it (with its shading).
  static bool Cyan(const QColor& c) { return c.red() < 100 && c.green() > 200 && c.blue() > 200; }
  // The colour the operator sees in the lower middle of a control.
  QColor Painted(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() - 4);
  }

  DebugPollController* polls_ = nullptr;
};

TEST_F(DebugTabsWindowTest, MeasurementPollShowsTheInstrumentsWordsAndStopsWhenItsTabIsLeft) {
  ShowPage("TabSheet_MeasurementDebug");
  Click("Button19");
  EXPECT_FALSE(Find<QPushButton>("Button18")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button20")->isEnabled());

  meter_.Set(300, 0x8102);
  polls_->Timer6Timer();
  Settle();
  EXPECT_EQ(ReadsOf("read 288 x18"), 1u);
  EXPECT_EQ(Cell("MeasurementDebugGrid", 0, 13), "300");
  EXPECT_EQ(Cell("MeasurementDebugGrid", 1, 13), "8102");
  EXPECT_EQ(Cell("MeasurementDebugGrid", 2, 13), "33026");
  EXPECT_EQ(Find<QLabel>("MeasurementDebugState")->text().left(16), "Нормальный обмен");

  // Another tab: the next tick reads nothing and puts the buttons at rest.
  ShowPage("TabSheet_MeasuringModule");
  polls_->Timer6Timer();
  Settle();
  EXPECT_EQ(ReadsOf("read 288 x18"), 1u);
  EXPECT_TRUE(Find<QPushButton>("Button18")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button19")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button20")->isEnabled());
  ShowPage("TabSheet_MeasurementDebug");
  polls_->Timer6Timer();
  Settle();
  EXPECT_EQ(ReadsOf("read 288 x18"), 1u);

  // The operator view hides the tab as well.
  Click("Button19");
  window_->SetEngineeringView(false);
  polls_->Timer6Timer();
  Settle();
  EXPECT_EQ(ReadsOf("read 288 x18"), 1u);
  EXPECT_FALSE(Find<QPushButton>("Button20")->isEnabled());
}

TEST_F(DebugTabsWindowTest, AdcPollFailureKeepsTheLastWordsAndSaysSo) {
  ShowPage("TabSheet_AdcDebug");
  meter_.Set(518, 0x0012);
  Click("Button35");
  EXPECT_EQ(Cell("AdcDebugGrid", 1, 7), "0012");
  Click("Button36");

  meter_.Set(518, 0x0034);
  const size_t boxes = dialogs_.boxes().size();
  meter_.AddFault({.kind = sim::FaultKind::kNoAnswer});
  polls_->Timer5Timer();
  Settle();
  const size_t reads = ReadsOf("read 512 x13");
  EXPECT_GT(reads, 1u);
  EXPECT_EQ(Cell("AdcDebugGrid", 1, 7), "0012");
  EXPECT_EQ(Find<QLabel>("AdcDebugState")->text().left(15), "Ошибка в обмене");
  EXPECT_EQ(Painted(Find<QLabel>("AdcDebugState")), QColor(255, 255, 0));
  EXPECT_EQ(dialogs_.boxes().size(), boxes) << "a poll tick opens no box";

  meter_.ClearFaults();
  ShowPage("TabSheet_Adc");
  polls_->Timer5Timer();
  Settle();
  EXPECT_EQ(ReadsOf("read 512 x13"), reads);
  EXPECT_FALSE(Find<QPushButton>("Button37")->isEnabled());
}

TEST_F(DebugTabsWindowTest, ProcessingResultsAreRecordedOnlyWithTheBoxTicked) {
  const std::string file = dir_.File("all_izm_debug.txt");
  context_.profile.records.all_izm_file_name = file;
  context_.profile.records.write_file = 1;
  ShowPage("TabSheet_MeasurementDebug");
  auto* record = Find<QCheckBox>("CheckBox22");
  EXPECT_TRUE(record->isChecked());  // write_all_izm_file starts at 1

  meter_.Set(300, 0x0110);
  Click("Button18");
  const std::string line = ReadText(file);
  EXPECT_NE(line.find("IZM_BT=0010 REL_FLAGS=0001 \n"), std::string::npos) << line;

  record->click();
  EXPECT_EQ(context_.profile.records.write_all_izm_file, 0);
  Click("Button18");
  EXPECT_EQ(ReadText(file), line);
}

TEST_F(DebugTabsWindowTest, AdcCodeFieldsTakeHexDigitsAndMarkChanges) {
  ShowPage("TabSheet_Adc");
  auto* lower = Find<QLineEdit>("Edit17");
  auto* upper = Find<QLineEdit>("Edit18");
  const QColor before = Painted(upper);
  QTest::keyClicks(lower, "a1g-f");
  QTest::keyClicks(upper, "7e.Z");
  EXPECT_EQ(lower->text(), "A1F");
  EXPECT_EQ(upper->text(), "7E");
  EXPECT_EQ(Painted(lower), QColor(0, 255, 255));
  EXPECT_EQ(Painted(upper), before);

  auto* list = Find<QComboBox>("ComboBox10");
  EXPECT_EQ(list->count(), 15);
  EXPECT_FALSE(Cyan(Painted(list)));
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_TRUE(Cyan(Painted(list)));
}

}  // namespace
}  // namespace qmx::test
