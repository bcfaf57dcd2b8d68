// "Конфигурация прибора" in the window: read, compare with a file whose
// differences are painted, only the differences, write, verify.
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>

#include "config/configuration.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class ConfigurationWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->findChild<QAction*>(QStringLiteral("ConfigurationAction"))->trigger();
    Settle();
  }
  void Click(const char* name) {
    Find<QPushButton>(name)->click();
    for (int i = 0; i < 50 && Find<QPushButton>("ConfigStopButton")->isEnabled(); ++i) Settle();
  }
  QTableWidget* Table() { return Find<QTableWidget>("ConfigTable"); }
  // Rows whose cells are painted as a difference, by their caption.
  std::vector<std::string> Painted() {
    std::vector<std::string> rows;
    for (int row = 0; row < Table()->rowCount(); ++row) {
      if (Table()->item(row, 2)->background().color() == QColor(0xFF, 0xFF, 0x00)) {
        rows.push_back(Table()->item(row, 1)->text().toStdString());
      }
    }
    return rows;
  }
};

TEST_F(ConfigurationWindowTest, AFileIsComparedAndWhatDiffersIsWrittenAndVerified) {
  Click("ConfigReadButton");
  const int all = Table()->rowCount();
  EXPECT_GT(all, 50);
  EXPECT_TRUE(Painted().empty());
  // The file of another instrument: other averaging and factory number.
  dialogs_.AcceptFile(dir_.File("a.cfg"));
  Click("ConfigSaveButton");
  std::string text = ReadText(dir_.File("a.cfg"));
  const auto replace = [&](const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("\n1841 = 000A", "\n1841 = 0019");
  replace("\n1026 = ", "\n1026 = 0309 ; ");
  WriteText(dir_.File("a.cfg"), text);
  dialogs_.AcceptFile(dir_.File("a.cfg"));
  Click("ConfigOpenButton");
  EXPECT_EQ(Painted(),
            (std::vector<std::string>{"заводской номер (1026)", "единицы и усреднение (1841)"}));
  Find<QCheckBox>("ConfigOnlyDifferences")->setChecked(true);
  EXPECT_EQ(Table()->rowCount(), 2);

  dialogs_.AnswerYes();  // the list of blocks
  Click("ConfigWriteButton");
  EXPECT_EQ(meter_.Get(1841), 25);
  EXPECT_NE(meter_.Get(1026), 0x0309);  // the identity is never written
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_EQ(dialogs_.LastBox().text,
            "Конфигурация записана в прибор и проверена чтением: различий нет.");
  // Only the identity still differs.
  EXPECT_EQ(Painted(), (std::vector<std::string>{"заводской номер (1026)"}));
}

TEST_F(ConfigurationWindowTest, AStopEndsTheReadAfterThePartInProgress) {
  bool stopped = false;
  context_.link.SetEventPump([&] {
    if (!stopped && context_.link.InTransaction()) {
      stopped = true;
      Find<QPushButton>("ConfigStopButton")->click();
    }
    ExchangeGate::PumpEvents();
  });
  Click("ConfigReadButton");
  context_.link.SetEventPump(ExchangeGate::LinkEventPump());
  EXPECT_TRUE(stopped);
  EXPECT_EQ(Find<QLabel>("ConfigStatus")->text(), "Чтение остановлено оператором.");
  EXPECT_EQ(Table()->rowCount(), 0);
  EXPECT_TRUE(Find<QPushButton>("ConfigReadButton")->isEnabled());
}

}  // namespace
}  // namespace qmx::test
