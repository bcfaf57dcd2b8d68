// A value label in its own cell: a new number of the same width repaints the
// label and lays out nothing; a wider text or a bigger font still gets the
// room it needs, also when it came while the page was out of sight.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>

#include "ui/pages/page_widgets.h"

namespace qmx::test {
namespace {

class SteadyCellTest : public ::testing::Test, public QObject {
 protected:
  SteadyCellTest() {
    auto* grid = new QGridLayout(&page_);
    grid->addWidget(MakeCaption(&page_, "Прямой"), 0, 0);
    label_ = MakeValueLabel(&page_, "Label441", "12.345 ");
    grid->addWidget(InSteadyCell(label_), 0, 1);
    grid->setColumnStretch(2, 1);
    page_.resize(400, 80);
    page_.show();
    Settle();
    page_.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    layout_requests_ += event->type() == QEvent::LayoutRequest;
    return false;
  }
  // The cell asks the page for room; the page lays out on its next turn.
  static void Settle() {
    QApplication::processEvents();
    QApplication::processEvents();
  }
  void Expect(const QString& text, const char* what) {
    label_->setText(text);
    Settle();
    EXPECT_GE(label_->width(), label_->sizeHint().width()) << what;
    EXPECT_GE(label_->height(), label_->sizeHint().height()) << what;
  }

  QWidget page_;
  QLabel* label_ = nullptr;
  int layout_requests_ = 0;
};

TEST_F(SteadyCellTest, ANewNumberOfTheSameWidthLaysOutNothing) {
  const QRect before = label_->geometry();
  for (const char* text : {"12.346 ", "19.347 ", "82.348 "}) Expect(text, text);
  EXPECT_EQ(layout_requests_, 0);
  EXPECT_EQ(label_->geometry(), before);
  EXPECT_EQ(page_.findChild<QLabel*>("Label441"), label_);
}

TEST_F(SteadyCellTest, AWiderTextOrABiggerFontGetsItsRoomAlsoWhenItCameOutOfSight) {
  Expect(QStringLiteral("-1234567.8901 м куб, обратный поток "), "a wider text");
  QFont big = label_->font();
  big.setPointSizeF(big.pointSizeF() * 3);
  label_->setFont(big);
  Expect(label_->text(), "a bigger font");
  page_.hide();
  label_->setText(QStringLiteral("Время наработки: 123456789 суток и ещё немного "));
  Settle();
  page_.show();
  Expect(label_->text(), "a text that came while the page was hidden");
}

}  // namespace
}  // namespace qmx::test
