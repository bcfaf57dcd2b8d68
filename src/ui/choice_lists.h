// The fixed item lists of the window's combo boxes and the hints of the
// link and search controls.  Filled once at start-up, before any value is
// shown; the item index is what the program stores.
#pragma once

class QWidget;

namespace qmx {

// Fills every list of the window under `root` that it finds by name, and
// gives the link and search controls their hints.  A list keeps its
// selection when it is filled again; a list filled for the first time has
// none, as the instrument's pages expect until a value is shown.
void FillChoiceLists(QWidget* root);

}  // namespace qmx
