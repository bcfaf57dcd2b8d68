// The window between runs (size, place and view in the user's settings) and
// the poll-state line of the operator page "ИЗМЕРЕНИЕ".
#include "ui/window_state.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include "measured_fixture.h"

namespace qmx::test {
namespace {

class WindowStateTest : public MeasuredWindowTest {};

TEST_F(WindowStateTest, SizePlaceAndViewComeBackInTheNextRunEngineeringAskedWins) {
  QTemporaryDir dir;
  QSettings settings(dir.filePath(QStringLiteral("qmx41-config.conf")), QSettings::IniFormat);
  for (bool engineering : {true, false}) {
    window_->SetEngineeringView(engineering);
    window_->setGeometry(40, 30, 700, 500 - (engineering ? 0 : 20));
    SaveWindowState(*window_, settings);
    for (bool asked : {false, true}) {
      MainWindow next(context_);
      RestoreWindowState(next, settings, asked);
      EXPECT_EQ(next.geometry(), window_->geometry()) << engineering << asked;
      EXPECT_EQ(next.EngineeringView(), engineering || asked);
    }
  }
}

TEST_F(WindowStateTest, PollStateLineTellsTheTimeOfTheLastUpdate) {
  auto* line = Find<QLabel>("PollStateLine");
  EXPECT_EQ(line->text(), QStringLiteral("Опрос остановлен"));
  Click("BitBtn25");
  polling_->Timer3Timer();
  Settle();
  const QRegularExpression polling(QStringLiteral("^Опрос идёт · \\d\\d:\\d\\d:\\d\\d$"));
  EXPECT_TRUE(polling.match(line->text()).hasMatch()) << line->text().toStdString();
  Click("BitBtn26");
  EXPECT_EQ(line->text(), QStringLiteral("Опрос остановлен"));
}

}  // namespace
}  // namespace qmx::test
