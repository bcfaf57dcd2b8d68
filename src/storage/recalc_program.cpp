#include "storage/recalc_program.h"

#include <cmath>
#include <limits>

#include "storage/ini_file.h"
#include "storage/number_text.h"

namespace qmx {
namespace {

// The instrument holds single floats; the file shows what it will get.  A
// constant beyond the single range becomes an infinity there (the plain
// conversion would be undefined).
float AsSingle(double value) {
  if (std::fabs(value) > std::numeric_limits<float>::max()) {
    const float infinity = std::numeric_limits<float>::infinity();
    return std::signbit(value) ? -infinity : infinity;
  }
  return static_cast<float>(value);
}

}  // namespace

void LoadRecalcProgram(RecalcProgram& program, const std::string& path) {
  IniFile ini(path);
  for (int i = 0; i < kRecalcOpCount; ++i) {
    const std::string key = "op_" + std::to_string(i);
    program.op[i] = ScanHexWord(ini.ReadString("PGM_OP_COD", key, "0.0"));
    ini.WriteString("PGM_OP_COD", key, FormatHexWordText(program.op[i]));
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    const std::string key = "const_" + std::to_string(i);
    program.constants[i] = ScanDoubleText(ini.ReadString("PGM_CONST", key, "0.0"));
    ini.WriteString("PGM_CONST", key, FormatFloatStandardText(AsSingle(program.constants[i])));
  }
}

}  // namespace qmx
