// An independent Modbus RTU slave (libmodbus) serving holding registers on a
// device path from its own thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qmx::testing {

class LibmodbusSlave {
 public:
  // Serves registers [first, first + count) at `address`, 19200 8N2.
  LibmodbusSlave(const std::string& device, int address, uint16_t first, uint16_t count,
                 int baud = 19200, char parity = 'N');
  ~LibmodbusSlave();

  bool ok() const { return ok_; }
  void SetRegister(uint16_t reg, uint16_t value);
  uint16_t Register(uint16_t reg);
  int requests() const { return requests_; }

 private:
  void Serve();

  void* ctx_ = nullptr;      // modbus_t*
  void* mapping_ = nullptr;  // modbus_mapping_t*
  std::mutex mutex_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  bool ok_ = false;
  std::thread thread_;
};

}  // namespace qmx::testing
