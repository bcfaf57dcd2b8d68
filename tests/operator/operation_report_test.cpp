#include "operator/operation_report.h"

#include <gtest/gtest.h>

#include <string>

#include "link/exchange_status.h"
#include "operator/scripted_dialogs.h"

namespace qmx {
namespace {

constexpr char kLengthText[] =
    "При приеме принято не ожидаемое число символов. Возможно, ответа просто не было.";

struct Case {
  uint16_t status;
  uint16_t exception;
  const char* text;
  const char* caption;
};

// Every row of the table once, each with only its own bit set.
TEST(OperationReportTest, EachCauseHasItsTextAndCaption) {
  const Case cases[] = {
      {0x0040, 0, "Ответа не было.", kCaptionExchangeError},
      {0x0010, 1, "Неподдерживаемая функция.", kCaptionDeviceError},
      {0x0010, 2, "Адрес данных выходит за допустимые границы.", kCaptionDeviceError},
      {0x0010, 3, "Величина данных превышает допустимое значение.", kCaptionDeviceError},
      {0x0010, 4, "Ошибка в работе адресуемого устройства.", kCaptionDeviceError},
      {0x0010, 6, "Ошибка устройства 6", kCaptionDeviceError},
      {0x0010, 0, "Ошибка устройства 0", kCaptionDeviceError},
      {0x0010, 255, "Ошибка устройства 255", kCaptionDeviceError},
      {0x0001, 0, "При приеме ответа ошибка паритета.", kCaptionExchangeError},
      {0x0002, 0, kLengthText, kCaptionExchangeError},
      {0x0004, 0, "При приеме в ответе указан не адрес того устройства к которому обращались.",
       kCaptionExchangeError},
      {0x0020, 0, "При приеме в ответе не сошлась контрольная сумма.", kCaptionExchangeError},
      {0x0008, 0, "В ответе указан не тот номер команды.", kCaptionExchangeError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << "status 0x" << c.status << " code " << std::dec << c.exception);
    ScriptedDialogs dialogs;
    EXPECT_TRUE(OperationReport(dialogs, c.status, c.exception));
    ASSERT_EQ(dialogs.box_count(), 1u);
    const RecordedBox box = dialogs.LastBox();
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption, c.caption);
    EXPECT_EQ(box.icon, BoxIcon::kExclamation);
    EXPECT_EQ(box.buttons, BoxButtons::kOk);
  }
}

TEST(OperationReportTest, MostTellingCauseWins) {
  // Silence drags along wrong length, address and function.
  EXPECT_EQ(OperationReportMessage(0x006E, 0)->text, "Ответа не было.");
  // An exception answer is short and carries function | 0x80.
  const auto exception = OperationReportMessage(0x001A, 2);
  EXPECT_EQ(exception->text, "Адрес данных выходит за допустимые границы.");
  EXPECT_EQ(exception->caption, kCaptionDeviceError);
  EXPECT_EQ(OperationReportMessage(0x0022, 0)->text, kLengthText);
  EXPECT_EQ(OperationReportMessage(0x0021, 0)->text, "При приеме ответа ошибка паритета.");
  EXPECT_EQ(OperationReportMessage(0x0011, 3)->caption, kCaptionDeviceError);
  EXPECT_EQ(OperationReportMessage(0x0024, 0)->text,
            "При приеме в ответе указан не адрес того устройства к которому обращались.");
  EXPECT_EQ(OperationReportMessage(0x0028, 0)->text,
            "При приеме в ответе не сошлась контрольная сумма.");
  // The repetition mark changes nothing.
  EXPECT_EQ(OperationReportMessage(0x8040, 0)->text, "Ответа не было.");
  EXPECT_EQ(OperationReportMessage(0x8010, 6)->text, "Ошибка устройства 6");
}

TEST(OperationReportTest, SuccessAndRepetitionAloneShowNothing) {
  for (const uint16_t status : {uint16_t{0}, uint16_t{0x8000}}) {
    ScriptedDialogs dialogs;
    dialogs.ExpectNoBoxes();
    EXPECT_FALSE(OperationReport(dialogs, status, 0));
    // An exception code without the exception bit is not a cause either.
    EXPECT_FALSE(OperationReport(dialogs, status, 4));
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_TRUE(dialogs.ok());
  }
}

TEST(OperationReportTest, RefusalsOfTheLinkAreReportedToo) {
  // A handler that was refused has not talked to the instrument: it must not
  // end silently as if nothing had gone wrong.
  EXPECT_EQ(OperationReportMessage(kStatusRefusedBusy, 0)->text, kTextRefusedBusy);
  EXPECT_EQ(OperationReportMessage(kStatusRefusedBadCount, 0)->text, kTextRefusedBadCount);
}

}  // namespace
}  // namespace qmx
