// The measuring module in the window: the parameter page keeps its design
// texts until a read succeeds, and the mask sent from "Изм. модуль" is the
// boxes ticked inside the panels of the error names.
#include <gmock/gmock.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "blocks/module_parameters.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

class ModuleWindowTest : public WindowTest {
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
  // The check box inside the panel that carries `caption`.
  QCheckBox* BoxOf(const char* caption) {
    for (QLabel* panel : window_->findChildren<QLabel*>()) {
      if (panel->text() == QLatin1String(caption)) return panel->findChild<QCheckBox*>();
    }
    ADD_FAILURE() << caption;
    return nullptr;
  }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
};

TEST_F(ModuleWindowTest, ParameterPageFilledOnlyByASuccessfulRead) {
  EXPECT_EQ(Text("Label337"), QStringLiteral("    -     "));
  sim::Fault silence;
  silence.kind = sim::FaultKind::kNoAnswer;
  silence.remaining = 1;
  meter_.AddFault(silence);
  Click("Button65");
  EXPECT_THAT(dialogs_.texts(), Not(Contains(kModuleParametersReadText)));
  EXPECT_EQ(Text("Label337"), QStringLiteral("    -     "));
  EXPECT_EQ(Text("Label373"), QString());

  dialogs_.Clear();
  meter_.Set(1326, 0x0102);
  meter_.Set(1284, 65);
  Click("Button65");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleParametersReadText));
  EXPECT_EQ(Text("Label337"), QStringLiteral("65"));
  EXPECT_EQ(Text("Label373"), QStringLiteral("0102"));
  EXPECT_EQ(Text("Label383") + Text("Label384"), QStringLiteral("1.2"));
}

TEST_F(ModuleWindowTest, TickedBoxesAreTheMaskSentAndTheLineSwitchKeepsTheLockOpen) {
  BoxOf("SENS_ERR")->setChecked(true);
  BoxOf("NOT_RDY")->setChecked(true);
  dialogs_.AnswerYes();
  Click("Button84");
  EXPECT_EQ(dialogs_.LastBox().text, kErrorMaskWrittenText);
  EXPECT_EQ(meter_.Get(1969), 0x8000);
  EXPECT_EQ(meter_.Get(1970), 0x0001);
  EXPECT_EQ(meter_.Get(1278), 0);

  dialogs_.AnswerYes();
  Click("Button86");
  EXPECT_EQ(dialogs_.LastBox().text, kModuleToConnectorText);
  EXPECT_EQ(meter_.Get(1072), 1);
  EXPECT_EQ(meter_.Get(1278), 1);
  dialogs_.AnswerYes();
  Click("Button87");
  EXPECT_EQ(dialogs_.LastBox().text, kModuleToInstrumentText);
  EXPECT_EQ(meter_.Get(1072), 0);
}

}  // namespace
}  // namespace qmx::test
