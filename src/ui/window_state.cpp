#include "ui/window_state.h"

#include <QScreen>
#include <QSettings>

#include "ui/main_window.h"

namespace qmx {
namespace {

constexpr char kGeometryKey[] = "window/geometry";
constexpr char kEngineeringKey[] = "window/engineering";

// Shrinks a window larger than the room the screen gives it (the title bar
// and the desktop's panels subtracted).
void FitOnScreen(MainWindow& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QSize room = screen->availableGeometry().size();
  const QSize frame = window.frameGeometry().size() - window.geometry().size();
  window.resize(window.size().boundedTo(room - frame).expandedTo(window.minimumSizeHint()));
}

}  // namespace

void SaveWindowState(const MainWindow& window, QSettings& settings) {
  settings.setValue(QLatin1String(kGeometryKey), window.saveGeometry());
  settings.setValue(QLatin1String(kEngineeringKey), window.EngineeringView());
  settings.sync();
}

void RestoreWindowState(MainWindow& window, QSettings& settings, bool engineering_asked) {
  const bool engineering =
      engineering_asked || settings.value(QLatin1String(kEngineeringKey), false).toBool();
  window.SetEngineeringView(engineering);
  const QByteArray geometry = settings.value(QLatin1String(kGeometryKey)).toByteArray();
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) FitOnScreen(window);
}

}  // namespace qmx
