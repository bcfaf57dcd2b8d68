#include "ui/window_state.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QSettings>

#include "ui/main_window.h"
#include "ui/trend/trend_view.h"

namespace qmx {
namespace {

constexpr char kGeometryKey[] = "window/geometry";
constexpr char kEngineeringKey[] = "window/engineering";
// "trend/TrendOperator", "trend/TrendEngineering": whether each trend is open.
constexpr char kTrendKeyPrefix[] = "trend/";

// Shrinks a window larger than the room the screen gives it (the title bar
// and the desktop's panels subtracted).
void FitOnScreen(MainWindow& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QSize room = screen->availableGeometry().size();
  const QSize frame = window.frameGeometry().size() - window.geometry().size();
  window.resize(window.size().boundedTo(room - frame).expandedTo(window.minimumSizeHint()));
}

// True when `rect` lies wholly within the room the screens give windows
// together (a window may span two screens side by side).
bool FitsTheScreens(const QRect& rect) {
  if (!rect.isValid()) return false;
  QRegion room;
  for (const QScreen* screen : QGuiApplication::screens()) room += screen->availableGeometry();
  return QRegion(rect).subtracted(room).isEmpty();
}

// A remembered geometry the screens of this run cannot show: a huge one
// (a window of 32767 x 32767 pixels needs gigabytes for its picture and
// never answers again), or one left on a screen that is gone.
bool RestoredOffScreen(const MainWindow& window) {
  if (!FitsTheScreens(window.frameGeometry())) return true;
  // A maximised window goes back to its normal geometry when the operator
  // restores it.
  const QRect normal = window.normalGeometry();
  return normal.isValid() && !FitsTheScreens(normal);
}

// The designed size, fitted and centred on the primary screen.
void PlaceAsDesigned(MainWindow& window, const QSize& designed) {
  window.setWindowState(Qt::WindowNoState);
  window.resize(designed);
  FitOnScreen(window);
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == nullptr) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(primary->availableGeometry().center());
  window.move(frame.topLeft());
}

}  // namespace

void SaveWindowState(const MainWindow& window, QSettings& settings) {
  settings.setValue(QLatin1String(kGeometryKey), window.saveGeometry());
  settings.setValue(QLatin1String(kEngineeringKey), window.EngineeringView());
  for (const TrendView* trend : window.findChildren<TrendView*>()) {
    settings.setValue(QLatin1String(kTrendKeyPrefix) + trend->objectName(), trend->Shown());
  }
  settings.sync();
}

void RestoreWindowState(MainWindow& window, QSettings& settings, bool engineering_asked) {
  const bool engineering =
      engineering_asked || settings.value(QLatin1String(kEngineeringKey), false).toBool();
  window.SetEngineeringView(engineering);
  for (TrendView* trend : window.findChildren<TrendView*>()) {
    trend->SetShown(
        settings.value(QLatin1String(kTrendKeyPrefix) + trend->objectName(), false).toBool());
  }
  const QByteArray geometry = settings.value(QLatin1String(kGeometryKey)).toByteArray();
  const QSize designed = window.size();
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) {
    FitOnScreen(window);
  } else if (RestoredOffScreen(window)) {
    PlaceAsDesigned(window, designed);
  }
}

}  // namespace qmx
