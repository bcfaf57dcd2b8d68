// The instrument's side of Modbus RTU framing: its own CRC, the length of a
// request as far as its first bytes tell, and the three answers it builds.
// Kept apart from the master's code on purpose, so that one mistake in the
// frame rules cannot pass both ends of the line unnoticed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qmx::sim {

constexpr uint8_t kFunctionReadHolding = 0x03;
constexpr uint8_t kFunctionWriteMultiple = 0x10;

constexpr uint8_t kExceptionIllegalFunction = 1;
constexpr uint8_t kExceptionIllegalAddress = 2;
constexpr uint8_t kExceptionIllegalValue = 3;
constexpr uint8_t kExceptionDeviceFailure = 4;

// Largest counts the instrument serves in one request.
constexpr unsigned kMaxReadRegisters = 125;
constexpr unsigned kMaxWriteRegisters = 123;

// An RTU frame never exceeds this on the instrument's line.
constexpr size_t kMaxFrameSize = 256;

// CRC-16 of the Modbus RTU line (polynomial 0xA001 reflected, start 0xFFFF).
uint16_t SlaveCrc(const uint8_t* data, size_t size);
// Appends the CRC of everything in `frame`, low byte first.
void AppendSlaveCrc(std::vector<uint8_t>& frame);
// True when the last two bytes are the CRC of the bytes before them.
bool SlaveCrcMatches(const uint8_t* frame, size_t size);

// The full length of a request whose first `size` bytes are known: 0 while
// more bytes are needed to tell, kLengthBySilence for a function whose frame
// can only end by the line going quiet.
constexpr size_t kLengthBySilence = static_cast<size_t>(-1);
size_t RequestLength(const uint8_t* data, size_t size);

// A request as the instrument decodes it (CRC already checked).
struct SlaveRequest {
  uint8_t address = 0;
  uint8_t function = 0;
  uint16_t start = 0;
  uint16_t count = 0;
  uint8_t byte_count = 0;        // function 16 only
  std::vector<uint16_t> values;  // function 16 only
  // A defect in the frame's own structure that the instrument answers with
  // this exception (0 = none).
  uint8_t structural_exception = 0;
};

// Decodes a CRC-checked frame (CRC bytes included).  Null when the frame is
// too short to carry an address and a function.
std::optional<SlaveRequest> DecodeRequest(const uint8_t* frame, size_t size);

std::vector<uint8_t> ReadAnswer(uint8_t address, const std::vector<uint16_t>& values);
std::vector<uint8_t> WriteAnswer(uint8_t address, uint16_t start, uint16_t count);
std::vector<uint8_t> ExceptionAnswer(uint8_t address, uint8_t function, uint8_t code);

}  // namespace qmx::sim
