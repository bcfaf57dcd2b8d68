// The recalculation program for standard conditions as kept in a ".pgm"
// file: 32 operation codes (section "PGM_OP_COD", keys "op_0".."op_31") and
// 16 constants (section "PGM_CONST", keys "const_0".."const_15").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qmx {

inline constexpr int kRecalcOpCount = 32;
inline constexpr int kRecalcConstCount = 16;

struct RecalcProgram {
  std::array<uint16_t, kRecalcOpCount> op{};
  std::array<double, kRecalcConstCount> constants{};
  friend bool operator==(const RecalcProgram&, const RecalcProgram&) = default;
};

enum class RecalcFileStatus {
  kLoaded,
  kNotOpened,         // no such file, or one that cannot be read
  kNoProgram,         // a file without any key of the program
  kRefusedConstants,  // constants the instrument cannot hold
};

// Reads the program from `path` into `program`.  Codes are hexadecimal with
// or without "0x" (a text that is not one gives 0, a longer one its low 16
// bits); constants are decimal or exponent notation (a text that is not one
// gives 0.0).  A key the file lacks gives 0 and is added to the file
// ("0x0000", "0"); values already in the file are left exactly as they are.
//
// A constant whose number is not finite ("inf", "nan") or lies beyond the
// single-float range the instrument holds (1e308; any finite single such as
// 2e7 or 1e30 is taken) refuses the whole file: its keys go to
// `refused_keys` (when given) in file key order, "const_5".  A file that is
// refused, cannot be read or holds none of the keys leaves `program` and the
// file untouched.
RecalcFileStatus LoadRecalcProgram(RecalcProgram& program, const std::string& path,
                                   std::vector<std::string>* refused_keys = nullptr);

// Writes every code as "0x%04x" and every constant in the shortest text
// that reads back as the same double, so a load after the save gives the
// same program.  Other keys of an existing file stay.  False when the file
// could not be written.
bool SaveRecalcProgram(const RecalcProgram& program, const std::string& path);

// The file's text of a constant: "273.15", "0.00366099", "1e-07".
std::string RecalcConstantText(double value);

}  // namespace qmx
