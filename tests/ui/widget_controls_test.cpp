// The controls seam over real widgets: what it found once it finds again
// without searching the window, but never a widget that is gone or has
// been renamed.
#include "ui/widget_controls.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>
#include <memory>

namespace qmx::test {
namespace {

TEST(WidgetControlsTest, AFoundWidgetIsKeptOnlyWhileItLivesUnderItsName) {
  QWidget root;
  auto* label = new QLabel(&root);
  label->setObjectName(QStringLiteral("Label1"));
  EXPECT_EQ(WidgetControls(&root).Find("Label1"), label);
  // Another seam over the same window finds the same widget.
  WidgetControls(&root).SetText("Label1", "12.5");
  EXPECT_EQ(label->text(), "12.5");

  label->setObjectName(QStringLiteral("Label2"));
  EXPECT_EQ(WidgetControls(&root).Find("Label1"), nullptr);
  EXPECT_EQ(WidgetControls(&root).Find("Label2"), label);

  delete label;
  EXPECT_EQ(WidgetControls(&root).Find("Label2"), nullptr);
  auto* again = new QLabel(&root);
  again->setObjectName(QStringLiteral("Label2"));
  EXPECT_EQ(WidgetControls(&root).Find("Label2"), again);

  // A window of its own does not see the first one's widgets.
  auto other = std::make_unique<QWidget>();
  EXPECT_EQ(WidgetControls(other.get()).Find("Label2"), nullptr);
}

}  // namespace
}  // namespace qmx::test
