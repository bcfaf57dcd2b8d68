// The measuring module in the window: the parameter page keeps its design
// texts until a read succeeds; the mask sent is the boxes ticked inside the
// panels of the error names; the line switch is on the tab.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "blocks/module_parameters.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class ModuleWindowTest : public WindowTest {
 protected:
  void Click(const char* button) {
    Find<QPushButton>(button)->click();
    Settle();
  }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
};

TEST_F(ModuleWindowTest, PageReadMaskWriteAndLineSwitch) {
  PlugInstrument(1);
  Start();
  EXPECT_EQ(Text("Label337"), QStringLiteral("    -     "));
  meter_.Set(1326, 0x0102);
  meter_.Set(1284, 65);
  Click("Button65");
  EXPECT_EQ(dialogs_.LastBox().text, kModuleParametersReadText);
  EXPECT_EQ(Text("Label337"), QStringLiteral("65"));
  EXPECT_EQ(Text("Label373") + " " + Text("Label383") + Text("Label384"), "0102 1.2");

  for (QLabel* panel : window_->findChildren<QLabel*>()) {
    if (panel->text() == "SENS_ERR" || panel->text() == "NOT_RDY") {
      panel->findChild<QCheckBox*>()->setChecked(true);
    }
  }
  dialogs_.AnswerYes();
  Click("Button84");
  EXPECT_EQ(dialogs_.LastBox().text, kErrorMaskWrittenText);
  EXPECT_EQ(meter_.Get(1969), 0x8000);
  EXPECT_EQ(meter_.Get(1970), 0x0001);

  dialogs_.AnswerYes();
  Click("Button86");
  EXPECT_EQ(dialogs_.LastBox().text, kModuleToConnectorText);
  EXPECT_EQ(meter_.Get(1072), 1);
}

}  // namespace
}  // namespace qmx::test
