// A FIFO named as the exchange trace or as a record file: the window goes
// on exchanging and polling, and the operator is told once, in a box that
// waits until the exchange is over.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measured_fixture.h"
#include "support/no_wait.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kNotRegular[] = ": под этим именем находится не обычный файл.";
constexpr char kMeasuredRead[] = "Прочитано измеренное значение.";

class RefusedFilesWindowTest : public MeasuredWindowTest {
 protected:
  void SetUp() override {
    MeasuredWindowTest::SetUp();
    // Whether a transaction was still on the line when each box came up.
    dialogs_.SetBoxObserver(
        [this](const RecordedBox&) { in_transaction_.push_back(context_.link.InTransaction()); });
  }

  std::vector<bool> in_transaction_;
};

TEST_F(RefusedFilesWindowTest, ATraceFileThatIsAFifoIsToldOnceAfterTheExchange) {
  const std::string fifo = dir_.File("COM.fifo");
  ASSERT_TRUE(MakeFifo(fifo));
  context_.link.settings().use_log_file = 1;
  context_.link.settings().log_file_name = fifo;

  {
    const FifoWatch watch({fifo});
    Click("Button3");
    Click("Button3");
    Click("BitBtn25");
    polling_->Timer3Timer();
    polling_->Timer3Timer();
    Settle();
    ASSERT_FALSE(watch.released()) << "the window waited for a reader of the trace";
  }
  const std::string refused = "Обмен не записывается в файл " + fifo + kNotRegular;
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kMeasuredRead, refused, kMeasuredRead));
  ASSERT_EQ(dialogs_.box_count(), 3U);
  EXPECT_EQ(dialogs_.boxes()[1].caption, "Ошибка");
  EXPECT_THAT(in_transaction_, ElementsAre(false, false, false));
  EXPECT_EQ(context_.measurement.counters.cycles, 2);
  EXPECT_EQ(context_.measurement.counters.exchange_errors, 0);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
}  // namespace qmx::test
