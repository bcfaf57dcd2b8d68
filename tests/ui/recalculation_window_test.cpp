// The recalculation page in the window: a constant typed into a grid cell
// reaches the instrument, the constants not typed into go back as read.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "registers/encoding.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class RecalculationWindowTest : public WindowTest {};

TEST_F(RecalculationWindowTest, WhatIsTypedIsWritten) {
  PlugInstrument(1);
  Start();
  window_->SetEngineeringView(true);
  window_->PageControl1()->setCurrentIndex(1);
  window_->PageControl2()->setCurrentIndex(5);
  window_->PageControl3()->setCurrentIndex(4);
  window_->show();
  Find<QPushButton>("Button90")->click();
  Settle();
  auto* constants = Find<QTableWidget>("StringGrid3");
  ASSERT_NE(constants, nullptr);
  EXPECT_EQ(constants->item(4, 1)->text(), QStringLiteral("0.003661"));

  constants->setCurrentCell(2, 1);
  constants->editItem(constants->item(2, 1));
  Settle();
  auto* editor = constants->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("-12.5"));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(editor, &enter);
  Settle();
  dialogs_.AnswerYes();
  Find<QPushButton>("Button91")->click();
  Settle();
  EXPECT_EQ(dialogs_.LastBox().text, "Запись виртуальной машины успешно осуществлена.");
  EXPECT_EQ(meter_.Get(2028), FloatToRegisters(-12.5f).first);
  EXPECT_EQ(meter_.Get(2033), FloatToRegisters(0.00366099f).second);
}

}  // namespace
}  // namespace qmx::test
