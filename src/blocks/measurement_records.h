// The measurement record files: one text line appended per reading, so that
// an engineer can leave the program polling overnight and read the flow, its
// state and the process conditions back afterwards.
//
// Which value feeds which field of the measurement line (the processing-
// results file uses the same line):
//   IZM_FLOW_V        flow (256), in the flow unit
//   IZM_FLOW_V_OTN    relative flow (258), 0..65535 = 0..100 %
//   IZM_FLOW_V_ERR_HI flow state word (259; layout of the module's HI word)
//   IZM_FLOW_V_ERR_LO flow error word (260; layout of the module's LO word)
//   IZM_TEMP / _ERR   pipe temperature (266) and its error word (268)
//   IZM_P_KPA / _ERR  pressure (278) and its error word (280)
//   IZM_FLOW_VEL/_ERR velocity (262) and its error word (264)
//   IZM_BT            the key bits of register 300 (its low byte, in place)
//   REL_FLAGS         the discrete outputs of register 300 (bits 8..14
//                     shifted down: bit 0 = output 1, bit 1 = output 2)
// A line written after a failed read carries the values of the last read
// that succeeded: the block is never cleared by a failure.
#pragma once

#include <string>

#include "blocks/measured_values.h"
#include "blocks/module_data.h"
#include "link/clock.h"
#include "storage/file_access.h"
#include "storage/profile.h"

namespace qmx {

// The two files that take the measurement line; the module's own line goes
// to izm_modul_file_name.
enum class RecordKind {
  kMeasurement,        // izm_file_name
  kProcessingResults,  // all_izm_file_name
};

// One line each, with its line end.  The date's year keeps all four digits.
std::string MeasurementRecordLine(const LocalTime& stamp, const MeasuredValues& values);
std::string ModuleRecordLine(const LocalTime& stamp, const ModuleData& data);

// Record files refused because their names are taken by something other
// than a regular file (a FIFO, a device, a folder): which of them the
// operator has been told of, and the text of a refusal that is news, which
// the caller shows and clears.  A name is told once, and again only after a
// line has been written to it in between.  The record file a poll writes
// to is kept open from one line to the next (see KeptAppendFile).
struct RecordRefusals {
  RefusalNotices told;
  std::string news;  // "Результаты измерений не записываются в файл <path>: <cause>."
  KeptAppendFile file;
};

// Appends `line` to `path`, creating the file when absent.  False when the
// file cannot be opened or written.  The open never waits: a name taken by
// something other than a regular file is refused, and `refusals` (when
// given, and then its file kept open) learns of it.  Other failures are
// not reported.
bool AppendRecordLine(const std::string& path, const std::string& line,
                      RecordRefusals* refusals = nullptr);

// When recording is on (write_file = 1): takes the time stamp from `clock`
// and appends one line to the file of `kind`, or the module line to the
// module file.  Recording off creates and
// touches nothing and counts as success.  False only when the file could not
// be written, which the poll ignores.
bool WriteMeasurementRecord(const RecordFiles& files, RecordKind kind, Clock& clock,
                            const MeasuredValues& values, RecordRefusals* refusals = nullptr);
bool WriteMeasurementRecord(const RecordFiles& files, Clock& clock, const ModuleData& data,
                            RecordRefusals* refusals = nullptr);

}  // namespace qmx
