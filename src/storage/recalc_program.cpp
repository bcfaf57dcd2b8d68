#include "storage/recalc_program.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>

#include "storage/ini_file.h"
#include "storage/number_text.h"

namespace qmx {
namespace {

constexpr char kCodeSection[] = "PGM_OP_COD";
constexpr char kConstSection[] = "PGM_CONST";
// No value can hold a line break, so this stands for a missing key.
constexpr std::string_view kMissing = "\n";

std::string CodeKey(int i) {
  return "op_" + std::to_string(i);
}
std::string ConstKey(int i) {
  return "const_" + std::to_string(i);
}

bool Readable(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  return std::ifstream(path, std::ios::binary).is_open();
}

// The instrument holds single floats: a number it cannot hold (it would
// arrive as an infinity) is refused, not quietly made 0.  A text without a
// number is no number and reads as 0.
bool RefusedConstant(std::string_view text) {
  const RealScan scan = ScanRealText(text);
  return scan.kind == RealScan::Kind::kNotFinite ||
         (scan.kind == RealScan::Kind::kFinite &&
          std::fabs(scan.value) > std::numeric_limits<float>::max());
}

}  // namespace

std::string RecalcConstantText(double value) {
  char text[64];
  // A constant read from the instrument is a single float: its shortest
  // text as a single (101.325, not 101.32499694824219) reads back to the
  // same registers.
  const bool single = std::fabs(value) <= std::numeric_limits<float>::max() &&
                      static_cast<double>(static_cast<float>(value)) == value;
  if (single) {
    const auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    // The largest single's shortest text reads back beyond the single range.
    if (ec == std::errc() && std::fabs(ScanDoubleText(std::string_view(text, end - text))) <=
                                 std::numeric_limits<float>::max()) {
      return std::string(text, end);
    }
  }
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : std::string("0");
}

RecalcFileStatus LoadRecalcProgram(RecalcProgram& program, const std::string& path,
                                   std::vector<std::string>* refused_keys) {
  if (!Readable(path)) return RecalcFileStatus::kNotOpened;
  IniFile ini(path);
  std::array<std::string, kRecalcOpCount> codes;
  std::array<std::string, kRecalcConstCount> constants;
  bool any = false;
  for (int i = 0; i < kRecalcOpCount; ++i) {
    codes[i] = ini.ReadString(kCodeSection, CodeKey(i), kMissing);
    any = any || codes[i] != kMissing;
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    constants[i] = ini.ReadString(kConstSection, ConstKey(i), kMissing);
    any = any || constants[i] != kMissing;
  }
  if (!any) return RecalcFileStatus::kNoProgram;
  bool refused = false;
  for (int i = 0; i < kRecalcConstCount; ++i) {
    if (constants[i] == kMissing || !RefusedConstant(constants[i])) continue;
    refused = true;
    if (refused_keys != nullptr) refused_keys->push_back(ConstKey(i));
  }
  if (refused) return RecalcFileStatus::kRefusedConstants;

  for (int i = 0; i < kRecalcOpCount; ++i) {
    if (codes[i] == kMissing) {
      program.op[i] = 0;
      ini.WriteString(kCodeSection, CodeKey(i), FormatHexWordText(0));
    } else {
      program.op[i] = ScanHexWord(codes[i]);
    }
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    if (constants[i] == kMissing) {
      program.constants[i] = 0.0;
      ini.WriteString(kConstSection, ConstKey(i), RecalcConstantText(0.0));
    } else {
      program.constants[i] = ScanDoubleText(constants[i]);
    }
  }
  return RecalcFileStatus::kLoaded;
}

bool SaveRecalcProgram(const RecalcProgram& program, const std::string& path) {
  IniFile ini(path);
  for (int i = 0; i < kRecalcOpCount; ++i) {
    if (!ini.WriteString(kCodeSection, CodeKey(i), FormatHexWordText(program.op[i]))) return false;
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    if (!ini.WriteString(kConstSection, ConstKey(i), RecalcConstantText(program.constants[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace qmx
