#include "blocks/measurement_records.h"

#include <cstdarg>
#include <cstdio>

#include "registers/number_locale.h"

namespace qmx {
namespace {

[[gnu::format(printf, 1, 2)]] std::string Line(const char* format, ...) {
  CNumericScope c_numeric;
  va_list args;
  va_start(args, format);
  va_list args_again;
  va_copy(args_again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args_again);
  }
  va_end(args_again);
  return text;
}

}  // namespace

std::string MeasurementRecordLine(const LocalTime& t, const MeasuredValues& v) {
  const unsigned keys = v.state_word & 0x00FFu;
  const unsigned outputs = (v.state_word & 0x7F00u) >> 8;
  return Line(
      "%02u %02u %02u %02u %02u %02u  IZM_FLOW_V=%11.4f IZM_FLOW_V_OTN=%05u "
      "IZM_FLOW_V_ERR_HI=%04x  IZM_FLOW_V_ERR_LO=%04x IZM_TEMP=%11.2f  IZM_TEMP_ERR=%04x "
      "IZM_P_KPA=%11.2f IZM_P_KPA_ERR=%04x IZM_FLOW_VEL=%11.2f IZM_FLOW_VEL_ERR=%04x "
      "IZM_BT=%04x REL_FLAGS=%04x \n",
      t.day, t.month, t.year, t.hour, t.minute, t.second, static_cast<double>(v.flow),
      unsigned{v.relative_flow}, unsigned{v.flow_state}, unsigned{v.flow_error},
      static_cast<double>(v.pipe_temperature), unsigned{v.pipe_temperature_error},
      static_cast<double>(v.pressure), unsigned{v.pressure_error}, static_cast<double>(v.velocity),
      unsigned{v.velocity_error}, keys, outputs);
}

std::string ModuleRecordLine(const LocalTime& t, const ModuleData& d) {
  return Line(
      "%02u %02u %02u %02u %02u %02u  IZM_FLOW_V=%11.4f IZM_FLOW_V_ERR_HI=%04x  "
      "IZM_FLOW_V_ERR_LO=%04x \n",
      t.day, t.month, t.year, t.hour, t.minute, t.second, static_cast<double>(d.flow),
      unsigned{d.error_hi}, unsigned{d.error_lo});
}

bool AppendRecordLine(const std::string& path, const std::string& line, RecordRefusals* refusals) {
  if (refusals == nullptr) {
    AppendFile file(path);
    const bool written = file.Write(line);
    return file.Close() && written;
  }
  const KeptAppendFile::Outcome outcome = refusals->file.AppendTold(path, line, refusals->told);
  if (outcome == KeptAppendFile::Outcome::kRefused) {
    refusals->news =
        "Результаты измерений не записываются в файл " + path + ": " + refusals->file.cause() + ".";
  }
  return outcome == KeptAppendFile::Outcome::kWritten;
}

bool WriteMeasurementRecord(const RecordFiles& files, RecordKind kind, Clock& clock,
                            const MeasuredValues& values, RecordRefusals* refusals) {
  if (files.write_file != 1) return true;
  const std::string& path =
      kind == RecordKind::kMeasurement ? files.izm_file_name : files.all_izm_file_name;
  return AppendRecordLine(path, MeasurementRecordLine(clock.LocalNow(), values), refusals);
}

bool WriteMeasurementRecord(const RecordFiles& files, Clock& clock, const ModuleData& data,
                            RecordRefusals* refusals) {
  if (files.write_file != 1) return true;
  return AppendRecordLine(files.izm_modul_file_name, ModuleRecordLine(clock.LocalNow(), data),
                          refusals);
}

}  // namespace qmx
