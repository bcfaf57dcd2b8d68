#include "integration/libmodbus_slave.h"

#include <modbus.h>

namespace qmx::testing {

LibmodbusSlave::LibmodbusSlave(const std::string& device, int address, uint16_t first,
                               uint16_t count, int baud, char parity) {
  modbus_t* ctx = modbus_new_rtu(device.c_str(), baud, parity, 8, parity == 'N' ? 2 : 1);
  if (ctx == nullptr) return;
  modbus_set_slave(ctx, address);
  modbus_mapping_t* map = modbus_mapping_new_start_address(0, 0, 0, 0, first, count, 0, 0);
  if (map == nullptr || modbus_connect(ctx) != 0) {
    if (map != nullptr) modbus_mapping_free(map);
    modbus_free(ctx);
    return;
  }
  // Short indication time-out so the serving loop notices when to stop.
  modbus_set_indication_timeout(ctx, 0, 50000);
  ctx_ = ctx;
  mapping_ = map;
  ok_ = true;
  thread_ = std::thread([this] { Serve(); });
}

LibmodbusSlave::~LibmodbusSlave() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (ctx_ != nullptr) {
    modbus_close(static_cast<modbus_t*>(ctx_));
    modbus_free(static_cast<modbus_t*>(ctx_));
  }
  if (mapping_ != nullptr) modbus_mapping_free(static_cast<modbus_mapping_t*>(mapping_));
}

void LibmodbusSlave::Serve() {
  auto* ctx = static_cast<modbus_t*>(ctx_);
  auto* map = static_cast<modbus_mapping_t*>(mapping_);
  uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
  while (!stop_) {
    int n = modbus_receive(ctx, query);
    if (n > 0) {
      ++requests_;
      std::lock_guard<std::mutex> lock(mutex_);
      modbus_reply(ctx, query, n, map);
    } else if (n < 0) {
      // Time-out, CRC error or a frame for another slave: keep serving.
      modbus_flush(ctx);
    }
  }
}

void LibmodbusSlave::SetRegister(uint16_t reg, uint16_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto* map = static_cast<modbus_mapping_t*>(mapping_);
  map->tab_registers[reg - map->start_registers] = value;
}

uint16_t LibmodbusSlave::Register(uint16_t reg) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto* map = static_cast<modbus_mapping_t*>(mapping_);
  return map->tab_registers[reg - map->start_registers];
}

}  // namespace qmx::testing
