#include "sim/slave_frame.h"

#include <array>

namespace qmx::sim {
namespace {

// Table-driven, unlike the master's bit loop: the two are written
// differently so that they check each other.
constexpr std::array<uint16_t, 256> MakeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t value = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 1) ? static_cast<uint16_t>((value >> 1) ^ 0xA001)
                          : static_cast<uint16_t>(value >> 1);
    }
    table[i] = value;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

void PutWord(std::vector<uint8_t>& frame, uint16_t value) {
  frame.push_back(static_cast<uint8_t>(value >> 8));
  frame.push_back(static_cast<uint8_t>(value & 0xFF));
}

}  // namespace

uint16_t SlaveCrc(const uint8_t* data, size_t size) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFF]);
  }
  return crc;
}

void AppendSlaveCrc(std::vector<uint8_t>& frame) {
  const uint16_t crc = SlaveCrc(frame.data(), frame.size());
  frame.push_back(static_cast<uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
}

bool SlaveCrcMatches(const uint8_t* frame, size_t size) {
  if (size < 3) return false;
  const uint16_t sent = static_cast<uint16_t>(frame[size - 2] | frame[size - 1] << 8);
  return SlaveCrc(frame, size - 2) == sent;
}

size_t RequestLength(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  switch (data[1]) {
    case kFunctionReadHolding:
      return 8;
    case kFunctionWriteMultiple:
      // Address, function, start, count, byte count, data, CRC.
      return size < 7 ? 0 : 9 + size_t{data[6]};
    default:
      return kLengthBySilence;
  }
}

std::optional<SlaveRequest> DecodeRequest(const uint8_t* frame, size_t size) {
  if (size < 4) return std::nullopt;
  SlaveRequest request;
  request.address = frame[0];
  request.function = frame[1];
  const size_t body = size - 2;  // without the CRC
  if (request.function != kFunctionReadHolding && request.function != kFunctionWriteMultiple) {
    request.structural_exception = kExceptionIllegalFunction;
    return request;
  }
  if (body < 6) {
    request.structural_exception = kExceptionIllegalValue;
    return request;
  }
  request.start = Word(frame + 2);
  request.count = Word(frame + 4);
  if (request.function == kFunctionReadHolding) {
    if (body != 6 || request.count == 0 || request.count > kMaxReadRegisters) {
      request.structural_exception = kExceptionIllegalValue;
    }
    return request;
  }
  if (body < 7) {
    request.structural_exception = kExceptionIllegalValue;
    return request;
  }
  request.byte_count = frame[6];
  if (request.count == 0 || request.count > kMaxWriteRegisters ||
      request.byte_count != 2 * request.count || body != 7 + size_t{request.byte_count}) {
    request.structural_exception = kExceptionIllegalValue;
    return request;
  }
  request.values.reserve(request.count);
  for (unsigned i = 0; i < request.count; ++i) request.values.push_back(Word(frame + 7 + 2 * i));
  return request;
}

std::vector<uint8_t> ReadAnswer(uint8_t address, const std::vector<uint16_t>& values) {
  std::vector<uint8_t> frame{address, kFunctionReadHolding,
                             static_cast<uint8_t>(2 * values.size())};
  for (uint16_t v : values) PutWord(frame, v);
  AppendSlaveCrc(frame);
  return frame;
}

std::vector<uint8_t> WriteAnswer(uint8_t address, uint16_t start, uint16_t count) {
  std::vector<uint8_t> frame{address, kFunctionWriteMultiple};
  PutWord(frame, start);
  PutWord(frame, count);
  AppendSlaveCrc(frame);
  return frame;
}

std::vector<uint8_t> ExceptionAnswer(uint8_t address, uint8_t function, uint8_t code) {
  std::vector<uint8_t> frame{address, static_cast<uint8_t>(function | 0x80), code};
  AppendSlaveCrc(frame);
  return frame;
}

}  // namespace qmx::sim
