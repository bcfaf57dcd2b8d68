// A value label in its own cell: a new number of the same width repaints the
// label and lays out nothing, a wider text or a bigger font still gets the
// room it needs, also when it came while the page was out of sight.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

#include "ui/pages/page_widgets.h"

namespace qmx::test {
namespace {

class LayoutRequests final : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::LayoutRequest) ++count;
    return QObject::eventFilter(watched, event);
  }
};

class SteadyCellTest : public ::testing::Test {
 protected:
  SteadyCellTest() {
    auto* grid = new QGridLayout(&page_);
    grid->addWidget(MakeCaption(&page_, "Прямой"), 0, 0);
    label_ = MakeValueLabel(&page_, "Label441", "12.345 ");
    grid->addWidget(InSteadyCell(label_), 0, 1);
    grid->addWidget(MakeCaption(&page_, "м куб"), 0, 2);
    grid->setColumnStretch(3, 1);
    page_.resize(400, 80);
    page_.show();
    Settle();
    page_.installEventFilter(&requests_);
  }

  // The cell asks the page for room, the page lays out on its next turn.
  static void Settle() {
    QApplication::processEvents();
    QApplication::processEvents();
  }

  // The label shows all of its text: the room it has is at least its hint.
  bool Fits() const {
    return label_->width() >= label_->sizeHint().width() &&
           label_->height() >= label_->sizeHint().height();
  }

  QWidget page_;
  QLabel* label_ = nullptr;
  LayoutRequests requests_;
};

TEST_F(SteadyCellTest, ANewNumberOfTheSameWidthLaysOutNothing) {
  const QRect before = label_->geometry();
  for (const char* text : {"12.346 ", "12.347 ", "12.348 "}) {
    label_->setText(QString::fromLatin1(text));
    Settle();
  }
  EXPECT_EQ(requests_.count, 0);
  EXPECT_EQ(label_->geometry(), before);
  EXPECT_EQ(label_->objectName(), "Label441");
  EXPECT_EQ(page_.findChild<QLabel*>("Label441"), label_);
}

TEST_F(SteadyCellTest, AWiderTextOrABiggerFontGetsItsRoom) {
  label_->setText(QStringLiteral("-1234567.8901 м куб, обратный поток "));
  Settle();
  EXPECT_TRUE(Fits()) << label_->width() << " < " << label_->sizeHint().width();

  QFont big = label_->font();
  big.setPointSizeF(big.pointSizeF() * 3);
  label_->setFont(big);
  Settle();
  EXPECT_TRUE(Fits()) << label_->height() << " < " << label_->sizeHint().height();
}

TEST_F(SteadyCellTest, ATextThatCameWhileThePageWasHiddenFitsWhenItShows) {
  page_.hide();
  label_->setText(QStringLiteral("Время наработки: 123456789 суток и ещё немного "));
  Settle();
  page_.show();
  Settle();
  EXPECT_TRUE(Fits()) << label_->width() << " < " << label_->sizeHint().width();
}

}  // namespace
}  // namespace qmx::test
