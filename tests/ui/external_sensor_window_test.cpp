// The external sensor's pages in the window, against the virtual instrument:
// what the operator reads and switches there.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "blocks/external_sensor.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class ExternalSensorWindowTest : public WindowTest {
 protected:
  void Click(const char* button) {
    Find<QPushButton>(button)->click();
    Settle();
  }
  QColor Background(const char* name) {
    QWidget* widget = Find<QWidget>(name);
    return widget->palette().color(widget->backgroundRole());
  }
};

TEST_F(ExternalSensorWindowTest, SensorSwitchedOffFromItsPageAndAdcErrorAsTheOperatorSeesThem) {
  PlugInstrument(1);
  Start();
  window_->show();
  meter_.Set(1930, 2);
  meter_.Set(518, 0x0012);
  Click("Button56");
  Click("Button55");
  EXPECT_EQ(Find<QLabel>("Label202")->text(), QStringLiteral("МПа"));
  Find<QCheckBox>("CheckBox7")->click();
  dialogs_.AnswerYes();
  Click("Button57");
  Click("Button55");
  EXPECT_EQ(Find<QLabel>("Panel65")->text(), QStringLiteral("не обрабатывается"));
  EXPECT_EQ(Background("Panel65"), QColor(0xF0, 0xF0, 0xF0));

  Click("Button58");
  EXPECT_EQ(Background("Panel69"), QColor(Qt::yellow));
}

}  // namespace
}  // namespace qmx::test
