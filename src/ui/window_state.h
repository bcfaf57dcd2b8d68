// The window as the operator left it: its size, its place on the screen, the
// view (operator or engineering) and which trends are open, kept between
// runs in the user's settings (~/.config/qmx41-config/qmx41-config.conf),
// apart from the settings profile that engineers pass on to one another.
#pragma once

class QSettings;

namespace qmx {

class MainWindow;

void SaveWindowState(const MainWindow& window, QSettings& settings);
// Puts the remembered geometry and view back; `engineering_asked` (the
// command line's --engineering) wins over a remembered operator view.  With
// nothing remembered the window keeps its designed size, made smaller where
// the screen is smaller.  A remembered geometry is taken only when it lies
// wholly within the screens of this run; otherwise the window gets its
// designed size (fitted as above), centred on the primary screen.
void RestoreWindowState(MainWindow& window, QSettings& settings, bool engineering_asked);

}  // namespace qmx
