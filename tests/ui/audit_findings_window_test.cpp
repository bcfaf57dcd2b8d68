// The profile's remembered pages opened without the page-change handlers,
// the file menu commands waiting for an exchange in progress, and the byte
// gaps taken into a saved profile within their range.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "ui/page_sets.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class AuditFindingsWindowTest : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(AuditFindingsWindowTest, LoadedPageSelectionLeavesThePollRunning) {
  WriteText(dir_.File("pages.prf"), "[TAB]\nActivePageIndex2=1\nActivePageIndex4=1\n");
  Find<QPushButton>("BitBtn25")->click();  // the operator's poll
  ASSERT_TRUE(context_.measurement_polling);
  QTimer* timer8 = Find<QTimer>("Timer8");
  timer8->stop();

  dialogs_.AcceptFile(dir_.File("pages.prf"));
  window_->N2()->trigger();
  Settle();
  QTabWidget* operator_pages = window_->PageControl4();
  EXPECT_EQ(operator_pages->currentIndex(), 1);
  EXPECT_EQ(window_->PageControl2()->currentIndex(), 1);
  EXPECT_TRUE(context_.measurement_polling);
  EXPECT_FALSE(timer8->isActive());
  EXPECT_EQ(operator_pages->tabBar()->tabTextColor(1), ActiveTabTextColor());

  // The operator's own change still ends the poll.
  operator_pages->setCurrentIndex(0);
  EXPECT_FALSE(context_.measurement_polling);
}

TEST_F(AuditFindingsWindowTest, FileCommandsWaitForTheExchangeInProgress) {
  WriteText(dir_.File("other.prf"), "[Seach]\nbeg=4\n");
  RecordFiles& records = context_.profile.records;
  const std::string trace = context_.link.settings().log_file_name;
  const RecordFiles before = records;
  for (QAction* command :
       {window_->N2(), window_->N12(), window_->N13(), window_->N14(), window_->N15()}) {
    dialogs_.AcceptFile(command == window_->N2() ? dir_.File("other.prf") : "/tmp/qmx/chosen");
  }
  bool unchanged_during = false;
  gate_.RunOperatorAction([&] {
    for (QAction* command :
         {window_->N2(), window_->N12(), window_->N13(), window_->N14(), window_->N15()}) {
      command->trigger();
    }
    unchanged_during = dialogs_.file_dialogs().empty() &&
                       context_.link.settings().log_file_name == trace &&
                       records.izm_file_name == before.izm_file_name &&
                       records.all_izm_file_name == before.all_izm_file_name &&
                       records.adc_name == before.adc_name && context_.profile.search.beg != 4;
  });
  EXPECT_TRUE(unchanged_during);
  Settle();
  EXPECT_EQ(context_.link.settings().log_file_name, "/tmp/qmx/chosen.txt");
  EXPECT_EQ(records.izm_file_name, "/tmp/qmx/chosen.txt");
  EXPECT_EQ(records.all_izm_file_name, "/tmp/qmx/chosen.txt");
  EXPECT_EQ(records.adc_name, "/tmp/qmx/chosen.txt");
  EXPECT_EQ(context_.profile.search.beg, 4);
}

TEST_F(AuditFindingsWindowTest, SavedByteGapsStayWithin0To255) {
  auto* device_gap = Find<QComboBox>("ComboBox20");
  auto* program_gap = Find<QComboBox>("ComboBox21");
  device_gap->setEditText(QStringLiteral("300"));
  program_gap->setEditText(QStringLiteral("-7"));
  dialogs_.AcceptFile(dir_.File("gaps.prf"), 2);
  window_->N3()->trigger();
  EXPECT_EQ(device_gap->currentText(), QStringLiteral("255"));
  EXPECT_EQ(program_gap->currentText(), QStringLiteral("0"));
  EXPECT_EQ(context_.link.settings().time_gap_dev, 255);
  EXPECT_EQ(context_.link.settings().time_gap_prg, 0);
}

}  // namespace
}  // namespace qmx::test
