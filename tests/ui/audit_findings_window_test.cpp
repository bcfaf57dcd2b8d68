// The profile's pages opened without the page-change handlers, the file
// commands waiting at the gate, and the byte gaps a saved profile takes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "ui/page_sets.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class AuditFindingsWindowTest : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(AuditFindingsWindowTest, LoadedPageSelectionLeavesThePollRunning) {
  WriteText(dir_.File("pages.prf"), "[TAB]\nActivePageIndex4=1\n");
  Find<QPushButton>("BitBtn25")->click();  // the operator's poll
  dialogs_.AcceptFile(dir_.File("pages.prf"));
  window_->N2()->trigger();
  EXPECT_EQ(window_->PageControl4()->currentIndex(), 1);
  EXPECT_EQ(window_->PageControl4()->tabBar()->tabTextColor(1), ActiveTabTextColor());
  EXPECT_TRUE(context_.measurement_polling);
}

TEST_F(AuditFindingsWindowTest, FileCommandsWaitForTheExchangeInProgress) {
  WriteText(dir_.File("other.prf"), "[Seach]\nbeg=4\n");
  dialogs_.AcceptFile(dir_.File("other.prf"));
  dialogs_.AcceptFile("/tmp/qmx/izm");
  gate_.RunOperatorAction([&] {
    window_->N2()->trigger();
    window_->N13()->trigger();
    EXPECT_TRUE(dialogs_.file_dialogs().empty());
  });
  Settle();
  EXPECT_EQ(context_.profile.search.beg, 4);
  EXPECT_EQ(context_.profile.records.izm_file_name, "/tmp/qmx/izm.txt");
}

TEST_F(AuditFindingsWindowTest, SavedByteGapsStayWithin0To255) {
  Find<QComboBox>("ComboBox20")->setEditText(QStringLiteral("300"));
  Find<QComboBox>("ComboBox21")->setEditText(QStringLiteral("-7"));
  dialogs_.AcceptFile(dir_.File("gaps.prf"), 2);
  window_->N3()->trigger();
  EXPECT_EQ(Find<QComboBox>("ComboBox20")->currentText(), QStringLiteral("255"));
  EXPECT_EQ(Find<QComboBox>("ComboBox21")->currentText(), QStringLiteral("0"));
}

}  // namespace
}  // namespace qmx::test
