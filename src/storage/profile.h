// The operator's settings profile ("recent.prf" and other ".prf" files): the
// program's working state from one run to the next.  Loading a profile only
// fills the values below; it never talks to the instrument.  The window fills
// its controls from these values and collects them back before a save; the
// parameter blocks keep their staged values in the same structures.
//
// Every integer taken from a profile is cut to its low 16 bits, except the
// page indices, which are page numbers of the window's tab sets.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "storage/link_settings.h"

namespace qmx {

inline constexpr char kDefaultProfileName[] = "recent.prf";

// Pages of the four tab sets whose open page the profile remembers.
inline constexpr int kMainPageCount = 13;  // PageControl1
inline constexpr int kSettingsPageCount = 8;  // PageControl2, "Настройка параметров"
inline constexpr int kOperatorPageCount = 3;  // PageControl4, the operator set
inline constexpr int kWorkPageCount = 7;      // PageControl5, "НАСТРОЙКИ РАБОТЫ"
inline constexpr int kNoActivePage = -1;

// Section "TAB".
struct PageSelection {
  // Active page of each tab set; kNoActivePage when none is open.  After a
  // load the index is either a valid page of its set or kNoActivePage.
  int main = 0;          // ActivePageIndex1 (and ActivePageIndex)
  int settings = 0;      // ActivePageIndex2
  int operator_set = 0;  // ActivePageIndex4
  int work = 0;          // ActivePageIndex5
  // "num": the index of the selected tab among the shown tabs of
  // PageControl1.  Hidden tabs make it differ from `main`; the window sets it
  // before a save.  Never read back.
  int main_tab_index = 0;
  // 1 = the page "АРХИВ" / "ОБСЛУЖИВАНИЕ" of PageControl5 is shown.  The
  // window applies them at start-up only; they are never saved.
  uint16_t arch_tab_en = 0;
  uint16_t el_clear_tab_en = 0;
};

// Section "Seach": what the device search tries.
struct SearchRanges {
  // One flag per baud code 3..10 (keys "1200" ... "115200"); 1 = try it.
  std::array<uint16_t, 8> baud{0, 0, 0, 0, 1, 1, 1, 1};
  uint16_t beg = 1;  // first network address
  uint16_t end = 5;  // last network address
  uint16_t parity_non = 0;
  uint16_t parity_odd = 0;
  uint16_t parity_ev = 1;
};

// Section "NEW_DAT": the passport the operator prepares for the instrument.
struct PassportValues {
  uint16_t long_num = 1;
  uint16_t num_hi = 0;  // factory number, upper 16 bits
  uint16_t num_lo = 0;  // factory number, lower 16 bits
  uint16_t model = 0;
  uint16_t soft_new = 0;
  uint16_t hard_new = 0;
  uint16_t year_new = 11;
  uint16_t month_new = 6;
  uint16_t day_new = 1;
};

// Section "izm_to_comp": the measurement settings (registers 1840, 1841,
// 1856, 1874, 1956).
struct MeasurementValues {
  uint16_t izm_flow_v_dsum_type = 0;
  uint16_t izm_flow_v_unit = 0;
  uint16_t izm_flow_v_sum_unit = 0;
  uint16_t izm_flow_v_ns = 0;
  uint16_t time_stamp_val_corr_en = 0;
};

// Section "output": the output settings (registers 1792-1828).
struct OutputValues {
  uint16_t diskr_out_type0 = 0;
  uint16_t diskr_out_type1 = 1;
  uint16_t f_flow_err = 11000;
  uint16_t pulse_activ_min_t = 100;
  uint16_t pulse_passive_min_t = 100;
  float f_flow_v_min = 0.0F;
  float f_flow_v_max = 10.0F;
  float flow_v_for_pulse = 1.0F;
};

// Section "frame_write" plus the archive's current frame number, which the
// archive block keeps here and a profile load resets to 0 (it is not stored).
struct ArchiveValues {
  uint16_t frame_write_interval_sec = 1;
  uint16_t frame_write_type = 1;
  uint32_t current_frame = 0;
};

// Section "err_msk".
struct ErrorMaskValues {
  uint16_t izm_flow_v_err_hi_msk = 0;
  uint16_t izm_flow_v_err_lo_msk = 0;
};

// Section "USR_REG_HOLD": entries 8..15 are the instrument's user registers
// 1..8; entries 0..7 are only carried from load to save.
inline constexpr int kUserRegisterTableSize = 16;
struct UserRegisterTable {
  std::array<uint16_t, kUserRegisterTableSize> words{};
  // Set when the operator edits an entry; a profile load clears them all.
  std::array<bool, kUserRegisterTableSize> changed{};
};

// Sections "IZM" and "ADC": the measurement record files.
struct RecordFiles {
  std::string izm_file_name;
  std::string izm_modul_file_name;  // loaded, never saved
  std::string all_izm_file_name;
  uint16_t write_file = 1;
  uint16_t write_all_izm_file = 1;
  // ADC-code records: saved only, never loaded; nothing switches them on.
  std::string adc_name;
  uint16_t adc_write_file = 0;
};

// Section "PATH": record directories, kept and saved with no other use.
struct RecordPaths {
  std::string all_izm_dir;
  std::string com_dir;
  std::string izm_dir;  // also saved as "adc_dir"
};

struct ProfileValues {
  PageSelection pages;
  SearchRanges search;
  // "NEW_COMM"/"NET_FLTYPE".  The other four NEW_COMM keys are the proposed
  // exchange settings of LinkSettings (see LoadProfile).
  uint16_t net_fltype = 0;
  PassportValues passport;
  MeasurementValues measurement;
  OutputValues outputs;
  uint16_t el_clear_time_val = 3600;  // "el_clear"/"time_val", at most 3600 s
  ArchiveValues archive;
  ErrorMaskValues error_mask;
  UserRegisterTable user_registers;
  RecordFiles records;
  RecordPaths paths;
  std::string usr_txt = "КЮР 20MB";  // "USR"/"usr_txt": loaded, never saved
  uint16_t tx_interval = 10;         // "TX"/"INTERVAL"
};

// `current_dir` joined with "recent.prf".
std::string DefaultProfilePath(const std::string& current_dir);

// Loads the profile at `path` into `values`.  A missing file is first created
// with the creation set; every key the loader reads (except the user-register
// table) is then written back at once with the value taken, so the file
// gains what it lacked.  Page indices outside their tab set become
// kNoActivePage and are written back as -1.  The default record-file names
// and directories are built from `current_dir`, which is created when it is
// missing.
//
// The "NEW_COMM" keys NET_NUM, NET_SPD, NET_PAR and NET_DELY go to
// link.proposed_address, proposed_baud_code, proposed_parity_code and dely:
// the profile replaces what "dev.dat" started them with, and there is only
// one copy of each in the program.
//
// Nothing is reported: a file that cannot be written still loads.
void LoadProfile(ProfileValues& values, LinkSettings& link, const std::string& path,
                 const std::string& current_dir);
// The same with the process's current directory.
void LoadProfile(ProfileValues& values, LinkSettings& link, const std::string& path);

// Why the file at `path` cannot be loaded as a profile, in the operator's
// words; empty when it can.  A name with nothing under it can (the load
// creates the profile).  It cannot when the name is taken by a folder, a
// FIFO or a device, when the file cannot be opened or read, when it is not
// text (it holds NUL bytes or starts as UTF-16 text does), or when it holds
// none of the profile's sections, as a ".pgm" file or a text of notes does.
// A profile that lacks some sections or keys loads: they take defaults.
// Only the bytes decide, so a profile written on a Windows machine in its
// code page still loads.  The file is opened without waiting.
std::string ProfileUnreadableCause(const std::string& path);
// The box shown for a profile that cannot be loaded: "Не удалось прочитать
// профиль настроек из файла <path>: <cause>. Настройки не изменены."
std::string ProfileNotReadText(const std::string& path, const std::string& cause);

// Writes every saved key from `values` and `link` into the profile at
// `path`, making a read-only file writable first.  Keys the writer does not
// know are left as they are.  False when some value could not be written.
bool SaveProfile(const ProfileValues& values, const LinkSettings& link, const std::string& path);
// The same; on failure `cause` (when given) says why in the operator's
// words: "нет прав на запись", "на диске нет места", "папка ... не
// существует", "под этим именем находится папка", or the system's text.
bool SaveProfile(const ProfileValues& values, const LinkSettings& link, const std::string& path,
                 std::string* cause);
// The box shown when a profile could not be written: "Не удалось записать
// файл настроек <path>: <cause>."
std::string ProfileNotWrittenText(const std::string& path, const std::string& cause);
// The box shown when the profile written at close could not be written:
// "Не удалось записать файл настроек <path>: <cause>. Изменения этого
// сеанса не сохранены."
std::string ProfileNotSavedText(const std::string& path, const std::string& cause);

}  // namespace qmx
