// Pictures of every page, for the documentation and for checking a layout
// on a machine without a display (QT_QPA_PLATFORM=offscreen).
#pragma once

#include <QString>

namespace qmx {

class MainWindow;

// Renders every page of both page sets, nested pages included, each with its
// parents opened and in the view it belongs to, into `dir` (created when
// missing) as "<page set>_<index>_<page>.png", e.g.
// "PageControl4_0_OperatorMeasurement.png".  The window comes back in the
// view and on the pages it had.  False when a file could not be written.
bool RenderScreenshots(MainWindow& window, const QString& dir);

}  // namespace qmx
