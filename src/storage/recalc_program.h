// The recalculation program for standard conditions as kept in a ".pgm"
// file: 32 operation codes (section "PGM_OP_COD", keys "op_0".."op_31") and
// 16 constants (section "PGM_CONST", keys "const_0".."const_15").
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qmx {

inline constexpr int kRecalcOpCount = 32;
inline constexpr int kRecalcConstCount = 16;

struct RecalcProgram {
  std::array<uint16_t, kRecalcOpCount> op{};
  std::array<double, kRecalcConstCount> constants{};
};

// Reads the program from `path` (a missing file or key reads as "0.0") and
// writes every value back normalised: codes as "0x%04x", constants as
// "%-11.4f" of the value as a single float.  Codes are hexadecimal with or
// without "0x"; a text that is not one gives 0.  Constants are decimal or
// exponent notation; a text that is not one gives 0.0.  Nothing is reported.
void LoadRecalcProgram(RecalcProgram& program, const std::string& path);

}  // namespace qmx
