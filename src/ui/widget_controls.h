// The Controls seam over the real window: every control is found by its
// object name under one root widget.  A grid cell's name (GridCellName)
// stands for the item at that row and column of the QTableWidget named as
// the grid, whose fixed row and column are ordinary rows and columns of the
// table: its text and its background.
#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "operator/controls.h"

class QTableWidgetItem;

namespace qmx {

class WidgetNameCache;

// The colour the widget paints over most of its inner area, as the operator
// sees it: the text area of a memo or list, the face of a panel inside its
// frame.  Text and frame lines are outvoted by the background around them.
// Invalid for a widget with nothing to paint.
QColor PaintedColor(QWidget* widget);

class WidgetControls final : public Controls {
 public:
  explicit WidgetControls(QWidget* root) : root_(root) {}

  std::string Text(std::string_view name) const override;
  void SetText(std::string_view name, std::string_view text) override;
  int ItemIndex(std::string_view name) const override;
  void SetItemIndex(std::string_view name, int index) override;
  int ItemCount(std::string_view name) const override;
  bool Checked(std::string_view name) const override;
  void SetChecked(std::string_view name, bool checked) override;
  Rgb Color(std::string_view name) const override;
  void SetColor(std::string_view name, Rgb color) override;
  bool Visible(std::string_view name) const override;
  void SetVisible(std::string_view name, bool visible) override;
  void SetEnabled(std::string_view name, bool enabled) override;
  void Repaint() override;

  // The widget of that name, null when the window has none.
  QWidget* Find(std::string_view name) const;
  // The item of a grid cell name; `create` makes a missing one inside the
  // table.  Null for other names and for cells outside the table.
  QTableWidgetItem* FindCell(std::string_view name, bool create) const;

 private:
  QPointer<QWidget> root_;
  // The root's widgets by name (a child of the root), found on first use.
  mutable WidgetNameCache* cache_ = nullptr;
};

}  // namespace qmx
