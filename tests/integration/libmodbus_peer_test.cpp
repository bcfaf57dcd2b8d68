// Our master against an independent Modbus RTU slave (libmodbus) over real
// pseudo-terminals: whatever our frames get wrong, libmodbus will not forgive.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "integration/libmodbus_slave.h"
#include "integration/pty_bridge.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/posix_serial_port.h"

namespace qmx {
namespace {

using testing::LibmodbusSlave;
using testing::PtyBridge;
using testing::TempDir;

constexpr uint16_t kFirst = 0;
constexpr uint16_t kCount = 2000;

class LibmodbusPeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bridge_.ok());
    ports_dir_ = dir_.path() + "/ports";
    std::filesystem::create_directory(ports_dir_);
    std::filesystem::create_symlink(bridge_.path_b(), ports_dir_ + "/COM4");
    slave_ = std::make_unique<LibmodbusSlave>(bridge_.path_a(), 1, kFirst, kCount);
    ASSERT_TRUE(slave_->ok());
    for (uint16_t r = 0; r < kCount; ++r) slave_->SetRegister(r, static_cast<uint16_t>(r * 7 + 3));
    provider_ = std::make_unique<PosixPortProvider>("/nonexistent-dev", ports_dir_);
    link_ = std::make_unique<Link>(*provider_, clock_);
    link_->settings().use_log_file = 0;
    link_->line().port_number = 4;
    link_->line().timeout = 300;
    ASSERT_TRUE(link_->OpenCurrentPort(1).ok);
  }

  TempDir dir_;
  std::string ports_dir_;
  PtyBridge bridge_;
  std::unique_ptr<LibmodbusSlave> slave_;
  SystemClock clock_;
  std::unique_ptr<PosixPortProvider> provider_;
  std::unique_ptr<Link> link_;
};

TEST_F(LibmodbusPeerTest, ReadsOfEveryLengthRoundTrip) {
  for (unsigned count : {1u, 2u, 49u, 123u, 124u}) {
    for (uint16_t start : {uint16_t{0}, uint16_t{300}, uint16_t{1876}}) {
      std::array<uint16_t, 124> values{};
      uint16_t exception = 0xFFFF;
      uint16_t status =
          link_->ReadHoldingRegisters(start, static_cast<uint8_t>(count), values.data(), &exception);
      ASSERT_EQ(status, 0) << "count " << count << " start " << start;
      EXPECT_EQ(exception, 0);
      for (unsigned i = 0; i < count; ++i)
        ASSERT_EQ(values[i], static_cast<uint16_t>((start + i) * 7 + 3)) << i;
    }
  }
}

TEST_F(LibmodbusPeerTest, WritesOfEveryLengthLandInTheSlave) {
  for (unsigned count : {1u, 2u, 64u, 123u}) {
    const uint16_t start = static_cast<uint16_t>(100 + count);
    std::array<uint16_t, 123> values{};
    for (unsigned i = 0; i < count; ++i) values[i] = static_cast<uint16_t>(0xA000 + i * 3 + count);
    uint16_t exception = 0;
    ASSERT_EQ(link_->WriteMultipleRegisters(start, static_cast<uint8_t>(count), values.data(),
                                            &exception, "Проверка записи."),
              0)
        << count;
    for (unsigned i = 0; i < count; ++i)
      ASSERT_EQ(slave_->Register(static_cast<uint16_t>(start + i)), values[i]);
  }
}

TEST_F(LibmodbusPeerTest, IllegalAddressComesBackAsExceptionTwo) {
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  link_->settings().retry_limit = 1;
  EXPECT_EQ(link_->ReadHoldingRegisters(kCount - 1, 2, values.data(), &exception), 0x001A);
  EXPECT_EQ(exception, 2);
  link_->settings().retry_limit = 2;
  EXPECT_EQ(link_->ReadHoldingRegisters(kCount - 1, 2, values.data(), &exception), 0x801A);
  EXPECT_EQ(exception, 2);
  const uint16_t one = 1;
  EXPECT_EQ(link_->WriteMultipleRegisters(kCount, 1, &one, &exception, "Вне карты."), 0x801A);
  EXPECT_EQ(exception, 2);
}

TEST_F(LibmodbusPeerTest, SilentSlaveGivesNothingReceivedAfterTheTimeOut) {
  bridge_.MuteBToA(true);
  link_->settings().retry_limit = 1;
  std::array<uint16_t, 10> values{};
  uint16_t exception = 0;
  const auto began = std::chrono::steady_clock::now();
  const uint16_t status = link_->ReadHoldingRegisters(0, 10, values.data(), &exception);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - began)
                        .count();
  EXPECT_EQ(status, 0x006E);
  // 24 ms per byte × (2·10 + 7) + the 300 ms constant.
  EXPECT_GE(took, 24 * 27 + 300 - 15);
  EXPECT_LE(took, 24 * 27 + 300 + 150);
}

// The command-line front end against the same slave.
class ModbusToolTest : public LibmodbusPeerTest {
 protected:
  int Run(const std::string& args, std::string* out) {
    const char* bin = std::getenv("QMX_BINARY_DIR");
    if (bin == nullptr) return -1;
    std::string cmd = "cd '" + dir_.path() + "' && '" + bin + "/src/qmx41-modbus' --ports-dir '" +
                      ports_dir_ + "' --port 4 --timeout 300 " + args + " 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buf[256];
    out->clear();
    while (fgets(buf, sizeof buf, pipe) != nullptr) *out += buf;
    int rc = pclose(pipe);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
};

TEST_F(ModbusToolTest, ReadWriteAndExitCodes) {
  link_->ClosePort();  // the tool needs the port for itself
  std::string out;
  ASSERT_EQ(Run("read 300 2", &out), 0) << out;
  EXPECT_NE(out.find("  300:  2103  0x0837"), std::string::npos) << out;
  EXPECT_NE(out.find("status 0x0000"), std::string::npos) << out;

  ASSERT_EQ(Run("write 0x20 4660 0xBEEF", &out), 0) << out;
  EXPECT_EQ(slave_->Register(0x20), 4660);
  EXPECT_EQ(slave_->Register(0x21), 0xBEEF);

  EXPECT_EQ(Run("--retries 1 read 1999 2", &out), 1) << out;
  EXPECT_NE(out.find("status 0x001A"), std::string::npos) << out;
  EXPECT_NE(out.find("exception code 2: illegal data address"), std::string::npos) << out;

  EXPECT_EQ(Run("read 300 125", &out), 2) << out;
  EXPECT_EQ(Run("read", &out), 2) << out;
  EXPECT_EQ(Run("--parity sideways read 1 1", &out), 2) << out;
  EXPECT_EQ(Run("--port 9 read 1 1", &out), 1) << out;
  EXPECT_NE(out.find("COM9"), std::string::npos) << out;
  // The tool, like the window, leaves its settings files behind.
  EXPECT_TRUE(std::filesystem::exists(dir_.path() + "/dev.dat"));
}

}  // namespace
}  // namespace qmx
