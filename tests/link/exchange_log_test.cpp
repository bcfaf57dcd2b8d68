#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/exchange_status.h"
#include "link_fixture.h"
#include "support/no_wait.h"

namespace qmx::test {
namespace {

namespace fs = std::filesystem;

class ExchangeLogTest : public LinkTest {
 protected:
  ExchangeLogTest() {
    dir_ =
        fs::path(::testing::TempDir()) /
        ("qmx_log_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = dir_ / "COM.txt";
    link_.settings().use_log_file = 1;
    link_.settings().log_file_name = path_.string();
  }
  ~ExchangeLogTest() override { fs::remove_all(dir_); }

  std::string LogText() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  uint16_t ReadTwo() {
    std::array<uint16_t, 2> values{};
    uint16_t exception = 0;
    return link_.ReadHoldingRegisters(300, 2, values.data(), &exception);
  }
  uint16_t WriteOne() {
    const uint16_t value = 1;
    uint16_t exception = 0;
    return link_.WriteMultipleRegisters(1046, 1, &value, &exception, "Команда на мигание.");
  }

  fs::path dir_;
  fs::path path_;
};

const std::string kSeparator = "\r\n____________________________\r\n";

TEST_F(ExchangeLogTest, ReadWithGoodFirstAnswer) {
  // The answer comes 740 ms after the request; the read ends 24 ms after
  // its last byte, across a second boundary.
  port_->Script(Reply(WithCrc({0x01, 0x03, 0x04, 0x00, 0x0A, 0xFF, 0x01})).After(740));
  ASSERT_EQ(ReadTwo(), 0);
  EXPECT_EQ(LogText(), kSeparator +
                           "06 03 2025 14-05-07.250 \r\n"
                           "Attempt:0\r\n"
                           "Send:\r\n"
                           " 01 03 01 2c 00 02 04 3e"
                           "\r\n"
                           "06 03 2025 14-05-08.014 \r\n"
                           "Answ:\r\n"
                           " 01 03 04 00 0a ff 01 5a 01");
}

TEST_F(ExchangeLogTest, FailedWriteWithRepetitionAndStatusBlock) {
  ASSERT_EQ(WriteOne(), 0x806E);
  const std::string request = " 01 10 04 16 00 01 02 00 01 20 a6";
  // Attempts at 0 and 3192 ms, each answer part one total time-out (2192 ms)
  // after its request.
  EXPECT_EQ(LogText(), kSeparator +
                           "06 03 2025 14-05-07.250 \r\n"
                           "Команда на мигание.\r\n"
                           "\r\nSend:\r\n" +
                           request +
                           "\r\n\r\n"
                           "06 03 2025 14:05:09.442 \r\n"
                           "Attempt:0\r\n"
                           "Answ:\r\n" +
                           kSeparator +
                           "06 03 2025 14-05-10.442 \r\n"
                           "Команда на мигание.\r\n"
                           "\r\nSend:\r\n" +
                           request +
                           "\r\n\r\n"
                           "06 03 2025 14:05:12.634 \r\n"
                           "Attempt:1                                        *************\r\n"
                           "Answ:\r\n"
                           "\r\nout=806e\r\n"
                           "принято не сколько ожидалось\r\n"
                           "в ответе другой адрес\r\n"
                           "в ответе не номер команды\r\n"
                           "не сошлась контрольная сумма\r\n"
                           "совсем ничего не пришло\r\n");
}

TEST_F(ExchangeLogTest, WriteExceptionNamesTheModbusError) {
  link_.settings().retry_limit = 1;
  link_.line().parity_code = 2;
  port_->Script(Reply(WithCrc({0x01, 0x90, 0x0B})).Errors(kLineErrorParity));
  ASSERT_EQ(WriteOne(), 0x001B);
  const std::string text = LogText();
  const std::string tail =
      "Answ:\r\n 01 90 0b 0d c7"
      "\r\nout=1b\r\n"
      "ошибка паритета\r\n"
      "принято не сколько ожидалось\r\n"
      "в ответе не номер команды\r\n"
      "прибор отвечает с ошибкой modbus_err\r\n"
      "modbus_err=b\r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

  // A successful write leaves no status block.
  port_->Script(Reply(WithCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})));
  ASSERT_EQ(WriteOne(), 0);
  EXPECT_EQ(LogText().find("out=", text.size()), std::string::npos);
}

TEST_F(ExchangeLogTest, ReadRepetitionIsMarkedAndReadsHaveNoStatusBlock) {
  std::vector<uint8_t> damaged = ReadAnswer(1, {1, 2});
  damaged.back() ^= 0xFF;
  port_->Script(Reply(damaged));
  port_->Script(Reply(damaged));
  ASSERT_EQ(ReadTwo(), 0x8020);
  const std::string text = LogText();
  EXPECT_NE(text.find("Attempt:0\r\nSend:"), std::string::npos);
  EXPECT_NE(text.find("Attempt:1" + std::string(40, ' ') + std::string(13, '*') + "\r\nSend:"),
            std::string::npos);
  EXPECT_EQ(text.find("out="), std::string::npos);
}

TEST_F(ExchangeLogTest, AppendsToWhatIsThere) {
  { std::ofstream(path_, std::ios::binary) << "earlier"; }
  port_->Script(Reply(ReadAnswer(1, {1, 2})));
  ASSERT_EQ(ReadTwo(), 0);
  EXPECT_EQ(LogText().rfind("earlier" + kSeparator, 0), 0u);
}

TEST_F(ExchangeLogTest, WrittenOnlyWhenSwitchIsExactlyOne) {
  for (uint16_t value : {0, 2}) {
    link_.settings().use_log_file = value;
    EXPECT_EQ(WriteOne(), 0x806E);
    EXPECT_FALSE(fs::exists(path_)) << "UseLogFile " << value;
  }
}

TEST_F(ExchangeLogTest, UnwritableFileIsSilentlySkipped) {
  link_.settings().log_file_name = (dir_ / "missing" / "COM.txt").string();
  port_->Script(Reply(ReadAnswer(1, {1, 2})));
  EXPECT_EQ(ReadTwo(), 0);
  EXPECT_EQ(WriteOne(), 0x806E);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(ExchangeLogTest, UncheckedAddressAndMissingPortAreStillLogged) {
  link_.line().network_address = 255;
  port_->Script(Reply({0x07, 0x08}));
  ASSERT_EQ(ReadTwo(), 0);
  EXPECT_NE(LogText().find("Send:\r\n ff 03 01 2c 00 02"), std::string::npos);
  EXPECT_NE(LogText().find("Answ:\r\n 07 08"), std::string::npos);

  link_.line().network_address = 1;
  link_.settings().retry_limit = 1;
  link_.AttachPortForTesting(nullptr);
  const size_t before = LogText().size();
  ASSERT_EQ(WriteOne(), 0x006E);
  const std::string added = LogText().substr(before);
  EXPECT_NE(added.find("Send:\r\n 01 10 04 16"), std::string::npos);
  EXPECT_NE(added.find("Answ:\r\n\r\nout=6e\r\n"), std::string::npos);
}

TEST_F(ExchangeLogTest, RefusedTransactionLeavesNoTrace) {
  size_t size_in_pump = 0;
  link_.SetEventPump([&] {
    if (size_in_pump != 0) return;
    size_in_pump = LogText().size() + 1;
    std::array<uint16_t, 2> values{};
    uint16_t exception = 0;
    EXPECT_EQ(link_.ReadHoldingRegisters(0, 2, values.data(), &exception), kStatusRefusedBusy);
    EXPECT_EQ(LogText().size() + 1, size_in_pump);
  });
  port_->Script(Reply(ReadAnswer(1, {1, 2})));
  ASSERT_EQ(ReadTwo(), 0);
  EXPECT_NE(size_in_pump, 0u);
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  link_.SetEventPump(nullptr);
  const size_t before = LogText().size();
  EXPECT_EQ(link_.ReadHoldingRegisters(0, 125, nullptr, &exception), kStatusRefusedBadCount);
  EXPECT_EQ(link_.ReadHoldingRegisters(0, 0, values.data(), &exception), kStatusRefusedBadCount);
  EXPECT_EQ(LogText().size(), before);
}

TEST_F(ExchangeLogTest, AFifoAsTheTraceIsRefusedWithoutWaitingAndToldOnce) {
  std::vector<std::string> told;
  link_.log().SetRefusalReporter([&told](const std::string& text) { told.push_back(text); });
  const std::string fifo = (dir_ / "COM.fifo").string();
  ASSERT_TRUE(MakeFifo(fifo));
  link_.settings().log_file_name = fifo;
  const std::vector<uint8_t> answer = WithCrc({0x01, 0x03, 0x04, 0x00, 0x0A, 0xFF, 0x01});
  std::vector<uint16_t> statuses;
  // Two reads and a write, each with several parts for the trace.
  ASSERT_TRUE(ReturnsWithoutWaiting(fifo, [&] {
    for (int i = 0; i < 2; ++i) {
      port_->Script(Reply(answer));
      statuses.push_back(ReadTwo());
    }
    port_->Script(Reply(WithCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})));
    statuses.push_back(WriteOne());
  }));
  EXPECT_EQ(statuses, (std::vector<uint16_t>{0, 0, 0}));
  const std::string refused =
      "Обмен не записывается в файл " + fifo + ": под этим именем находится не обычный файл.";
  EXPECT_EQ(told, std::vector<std::string>{refused});

  // Once a part has gone to a regular file under that name, a FIFO put
  // there again is news again.
  fs::remove(fifo);
  port_->Script(Reply(answer));
  ASSERT_EQ(ReadTwo(), 0);
  EXPECT_TRUE(fs::is_regular_file(fifo));
  fs::remove(fifo);
  ASSERT_TRUE(MakeFifo(fifo));
  port_->Script(Reply(answer));
  ASSERT_EQ(ReadTwo(), 0);
  EXPECT_EQ(told, (std::vector<std::string>{refused, refused}));
}

}  // namespace
}  // namespace qmx::test
