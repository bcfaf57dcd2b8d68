// Building blocks of the pages: controls named as the instrument's
// documentation names them, captions, and the status panels.
#pragma once

#include <QColor>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QWidget;

namespace qmx {

// The designed colours are BGR numbers (0x00BBGGRR).
QColor FromBgr(uint32_t bgr);
// The busy and status panels: 0xFFF0D8, a pale blue.
QColor StatusPanelColor();

QComboBox* MakeList(QWidget* parent, const char* name, bool editable = false);
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption);
QLineEdit* MakeEdit(QWidget* parent, const char* name);
QListWidget* MakeListBox(QWidget* parent, const char* name);
// Fixed text beside a control; it has no name of its own.
QLabel* MakeCaption(QWidget* parent, const char* text);
// A titled frame around one block: its fields and the buttons that read and
// write them.
QGroupBox* MakeGroup(QWidget* parent, const char* title);
// A label the program writes into (counters, summaries).
QLabel* MakeValueLabel(QWidget* parent, const char* name, const char* text = "");
// A panel that shows a text on its own background: busy indications,
// progress and state texts.
QLabel* MakePanel(QWidget* parent, const char* name, const char* caption = "");
// A status panel in StatusPanelColor, hidden until an exchange shows it.
QLabel* MakeStatusPanel(QWidget* parent, const char* name, const char* caption = "");

// A grid the program writes into and the operator only reads: `rows` x
// `columns` cells, its first row the header (the grid's own cells, as the
// blocks count them), columns `width` pixels wide.
QTableWidget* MakeReadOnlyGrid(QWidget* parent, const char* name, int rows, int columns, int width);

// A label that takes a new text every poll cycle, set in a cell of its own
// for the page's layout: a new text then lays out nothing but the cell, and
// the page only when the label's size hints have changed (a longer number,
// another font).  Without it every cycle lays out the whole window again.
// The label keeps its name and its text; the returned cell goes into the
// layout in its place.  Only for labels that are never hidden on their own.
QWidget* InSteadyCell(QLabel* label);

// Caption in column `column`, control in the next one.
void AddRow(QGridLayout* grid, int row, int column, const char* caption, QWidget* control);
// Keeps the rows and columns used so far at the top left of the page.
void PushToTopLeft(QGridLayout* grid);

}  // namespace qmx
