// The window between runs (size, place and view in the user's settings) and
// the poll-state line of the operator page "ИЗМЕРЕНИЕ".
#include "ui/window_state.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
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

TEST_F(WindowStateTest, AGeometryTheScreensCannotShowGivesTheDesignedSizeCentred) {
  const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
  QTemporaryDir dir;
  QSettings settings(dir.filePath(QStringLiteral("qmx41-config.conf")), QSettings::IniFormat);
  QSize designed;
  {
    MainWindow first_run(context_);  // nothing remembered yet
    RestoreWindowState(first_run, settings, false);
    designed = first_run.size();
  }
  // kOnScreen: Qt itself brings a window left wholly off the screens back
  // onto one; whatever it does, the window must be shown whole.
  enum Outcome { kKept, kDesigned, kOnScreen };
  const struct {
    const char* what;
    QRect saved;
    Outcome outcome;
  } cases[] = {
      {"32767 x 32767", QRect(0, 0, 32767, 32767), kDesigned},
      {"8000 x 6000", QRect(0, 0, 8000, 6000), kDesigned},
      {"taller than the screen", QRect(room.left(), room.top(), 300, room.height() + 1), kDesigned},
      {"across the right edge", QRect(room.right() - 300, room.top() + 30, 700, 500), kDesigned},
      {"on a screen that is gone", QRect(room.right() + 100, room.top() + 30, 700, 500), kOnScreen},
      {"above the top", QRect(room.left() + 40, room.top() - 60, 700, 500), kOnScreen},
      {"within the screen", QRect(room.left() + 40, room.top() + 30, 700, 500), kKept},
  };
  for (const auto& c : cases) {
    {
      MainWindow last_run(context_);
      last_run.setGeometry(c.saved);
      SaveWindowState(last_run, settings);
    }
    MainWindow next(context_);
    RestoreWindowState(next, settings, false);
    EXPECT_TRUE(room.contains(next.frameGeometry())) << c.what;
    if (c.outcome == kKept) {
      EXPECT_EQ(next.geometry(), c.saved) << c.what;
    }
    if (c.outcome == kDesigned) {
      EXPECT_EQ(next.size(), designed) << c.what;
      EXPECT_EQ(next.frameGeometry().center(), room.center()) << c.what;
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
