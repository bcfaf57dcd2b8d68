#include "storage/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "storage/file_access.h"
#include "storage/ini_file.h"
#include "storage/number_text.h"
#include "storage/settings_files.h"

namespace qmx {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 8> kSearchBaudKeys = {"1200",  "2400",  "4800",  "9600",
                                                             "19200", "38400", "57600", "115200"};

// Nothing in the program reads "Definition"; a save writes the texts a new
// profile starts with, so saved and new profiles look alike.
constexpr std::array<std::string_view, 4> kDefinitionKeys = {"txt0", "txt1", "txt2", "txt3"};
constexpr std::array<std::string_view, 4> kDefinitionTexts = {"Flowmeter 0.0.0", "19200", "", ""};

constexpr std::array<std::string_view, 6> kMtrIntegerKeys = {"msenstype", "mox",     "mcl",
                                                             "mdest",     "mprecis", "mmat"};

constexpr uint16_t kMaxElClearTime = 3600;

// Every section a profile can hold, read or only written: a file with none
// of them is no profile.
constexpr std::array<std::string_view, 20> kProfileSections = {
    "TAB",      "Definition",   "TX",      "SET_0", "SET_DIAP",    "Seach",  "NEW_DAT",
    "NEW_COMM", "USR_REG_HOLD", "IZM",     "PATH",  "izm_to_comp", "output", "USR",
    "el_clear", "frame_write",  "err_msk", "ADC",   "IND",         "MTR"};

// A profile is a few kilobytes; the settings files refuse more than this.
constexpr uintmax_t kLargestProfileSize = uintmax_t{64} << 20;

std::string UserRegisterKey(int i) {
  return "reg_" + std::to_string(i);
}

// Writes the keys a brand-new profile starts with.  Several of them are
// never read again (TAB/num, Definition, SET_0, SET_DIAP).
void WriteCreationSet(IniFile& ini) {
  ini.WriteInteger("TAB", "num", 0);
  for (size_t i = 0; i < kDefinitionKeys.size(); ++i) {
    ini.WriteString("Definition", kDefinitionKeys[i], kDefinitionTexts[i]);
  }
  ini.WriteInteger("TX", "INTERVAL", 10);
  ini.WriteInteger("SET_0", "SET_0_N", 32);
  ini.WriteInteger("SET_DIAP", "SET_DIAP_N", 32);
  ini.WriteString("SET_0", "SET_0_VAL", "0.0");
  ini.WriteString("SET_DIAP", "SET_DIAP_VAL", "250.0");
  constexpr std::array<int, 8> kCreatedBauds = {0, 0, 0, 1, 1, 0, 0, 0};
  for (size_t i = 0; i < kSearchBaudKeys.size(); ++i) {
    ini.WriteInteger("Seach", kSearchBaudKeys[i], kCreatedBauds[i]);
  }
  ini.WriteInteger("Seach", "beg", 1);
  ini.WriteInteger("Seach", "end", 3);
  ini.WriteInteger("Seach", "parity_non", 1);
  ini.WriteInteger("Seach", "parity_odd", 1);
  ini.WriteInteger("Seach", "parity_ev", 1);
  ini.WriteInteger("NEW_DAT", "NUM_HI", 0);
  ini.WriteInteger("NEW_DAT", "NUM_LO", 0);
  ini.WriteInteger("NEW_DAT", "MODEL", 10);
  ini.WriteInteger("NEW_DAT", "SOFT_NEW", 0);
  ini.WriteInteger("NEW_DAT", "HARD_NEW", 0);
  ini.WriteInteger("NEW_DAT", "YEAR_NEW", 11);
  ini.WriteInteger("NEW_DAT", "MONTH_NEW", 6);
  ini.WriteInteger("NEW_DAT", "DAY_NEW", 15);
}

// Reads keys and writes each one back at once with the value taken, so
// that a profile lacking a key gains it.
class WriteBackReader {
 public:
  explicit WriteBackReader(IniFile& ini) : ini_(ini) {}

  uint16_t Word(std::string_view section, std::string_view key, uint16_t default_value) {
    const uint16_t value = ReadWord(section, key, default_value);
    ini_.WriteInteger(section, key, value);
    return value;
  }

  uint16_t ReadWord(std::string_view section, std::string_view key, uint16_t default_value) {
    return static_cast<uint16_t>(ini_.ReadInteger(section, key, default_value));
  }

  std::string Text(std::string_view section, std::string_view key, std::string_view default_value) {
    std::string value = ini_.ReadString(section, key, default_value);
    ini_.WriteString(section, key, value);
    return value;
  }

  // Float keys are stored as text; the write-back normalises it.
  float Float(std::string_view section, std::string_view key, std::string_view default_text,
              std::string (*format)(double)) {
    const float value = ScanFloatText(ini_.ReadString(section, key, default_text));
    ini_.WriteString(section, key, format(value));
    return value;
  }

  // The index a tab set ends up with when asked to open page `stored`: an
  // index outside the set opens none.
  int Page(std::string_view key, int page_count) {
    const int32_t stored = ini_.ReadInteger("TAB", key, 0);
    const int page = stored >= 0 && stored < page_count ? stored : kNoActivePage;
    ini_.WriteInteger("TAB", key, page);
    return page;
  }

 private:
  IniFile& ini_;
};

// Collects the outcome of a run of writes.
class Writer {
 public:
  explicit Writer(IniFile& ini) : ini_(ini) {}

  void Integer(std::string_view section, std::string_view key, int32_t value) {
    errno = 0;
    Took(ini_.WriteInteger(section, key, value));
  }
  void Text(std::string_view section, std::string_view key, std::string_view value) {
    errno = 0;
    Took(ini_.WriteString(section, key, value));
  }
  bool ok() const { return ok_; }
  // The system's error code of the first write that failed (0 when the
  // failure left none, as for a path that is not a plain file).
  int first_error() const { return first_error_; }

 private:
  void Took(bool written) {
    if (!written && ok_) first_error_ = errno;
    ok_ = written && ok_;
  }

  IniFile& ini_;
  bool ok_ = true;
  int first_error_ = 0;
};

}  // namespace

std::string DefaultProfilePath(const std::string& current_dir) {
  return JoinPath(current_dir, kDefaultProfileName);
}

void LoadProfile(ProfileValues& values, LinkSettings& link, const std::string& path,
                 const std::string& current_dir) {
  IniFile ini(path);
  std::error_code error;
  if (!fs::exists(path, error)) WriteCreationSet(ini);
  WriteBackReader read(ini);

  // The user-register table is taken as stored, without write-back.
  UserRegisterTable& table = values.user_registers;
  for (int i = 0; i < kUserRegisterTableSize; ++i) {
    table.words[i] = read.ReadWord("USR_REG_HOLD", UserRegisterKey(i), 0);
  }
  table.changed.fill(false);

  PageSelection& pages = values.pages;
  pages.arch_tab_en = read.Word("TAB", "ArchTabEn", 0);
  pages.el_clear_tab_en = read.Word("TAB", "ElClearTabEn", 0);
  pages.main = read.Page("ActivePageIndex1", kMainPageCount);
  pages.settings = read.Page("ActivePageIndex2", kSettingsPageCount);
  pages.operator_set = read.Page("ActivePageIndex4", kOperatorPageCount);
  pages.work = read.Page("ActivePageIndex5", kWorkPageCount);

  // Record files default to the working directory, which the records need.
  if (!current_dir.empty() && !fs::exists(current_dir, error)) {
    fs::create_directories(current_dir, error);
  }

  RecordFiles& records = values.records;
  records.izm_file_name = read.Text("IZM", "izm_file_name", JoinPath(current_dir, "izm.txt"));
  records.izm_modul_file_name =
      read.Text("IZM", "izm_modul_file_name", JoinPath(current_dir, "izm_modul.txt"));
  records.all_izm_file_name =
      read.Text("IZM", "all_izm_file_name", JoinPath(current_dir, "all_izm.txt"));
  records.write_file = read.Word("IZM", "write_file", 1);
  records.write_all_izm_file = read.Word("IZM", "write_all_izm_file", 1);

  RecordPaths& paths = values.paths;
  paths.all_izm_dir = read.Text("PATH", "all_izm_dir", current_dir);
  paths.com_dir = read.Text("PATH", "com_dir", current_dir);
  paths.izm_dir = read.Text("PATH", "izm_dir", current_dir);

  MeasurementValues& measurement = values.measurement;
  measurement.izm_flow_v_dsum_type = read.Word("izm_to_comp", "izm_flow_v_dsum_type", 0);
  measurement.izm_flow_v_unit = read.Word("izm_to_comp", "izm_flow_v_unit", 0);
  measurement.izm_flow_v_sum_unit = read.Word("izm_to_comp", "izm_flow_v_sum_unit", 0);
  measurement.izm_flow_v_ns = read.Word("izm_to_comp", "izm_flow_v_ns", 0);
  measurement.time_stamp_val_corr_en = read.Word("izm_to_comp", "time_stamp_val_corr_en", 0);

  OutputValues& outputs = values.outputs;
  outputs.diskr_out_type0 = read.Word("output", "diskr_out_type0", 0);
  outputs.diskr_out_type1 = read.Word("output", "diskr_out_type1", 1);
  outputs.f_flow_err = read.Word("output", "f_flow_err", 11000);
  outputs.pulse_activ_min_t = read.Word("output", "pulse_activ_min_t", 100);
  outputs.pulse_passive_min_t = read.Word("output", "pulse_passive_min_t", 100);
  // The two frequency-output limits are written back in the short form on
  // load but saved in the standard form; both forms read back alike.
  outputs.f_flow_v_min = read.Float("output", "f_flow_v_min", "0", FormatFloatShortText);
  outputs.f_flow_v_max = read.Float("output", "f_flow_v_max", "10.0", FormatFloatShortText);
  outputs.flow_v_for_pulse =
      read.Float("output", "flow_v_for_pulse", "1.0", FormatFloatStandardText);

  values.tx_interval = read.Word("TX", "INTERVAL", 10);
  values.usr_txt = read.Text("USR", "usr_txt", "КЮР 20MB");

  SearchRanges& search = values.search;
  constexpr std::array<uint16_t, 8> kDefaultBauds = {0, 0, 0, 0, 1, 1, 1, 1};
  for (size_t i = 0; i < kSearchBaudKeys.size(); ++i) {
    search.baud[i] = read.Word("Seach", kSearchBaudKeys[i], kDefaultBauds[i]);
  }
  search.beg = read.Word("Seach", "beg", 1);
  search.end = read.Word("Seach", "end", 5);
  search.parity_non = read.Word("Seach", "parity_non", 0);
  search.parity_odd = read.Word("Seach", "parity_odd", 0);
  search.parity_ev = read.Word("Seach", "parity_ev", 1);

  link.proposed_address = read.Word("NEW_COMM", "NET_NUM", 1);
  link.proposed_baud_code = read.Word("NEW_COMM", "NET_SPD", 7);
  link.proposed_parity_code = read.Word("NEW_COMM", "NET_PAR", 0);
  link.dely = read.Word("NEW_COMM", "NET_DELY", 0);
  values.net_fltype = read.Word("NEW_COMM", "NET_FLTYPE", 0);

  PassportValues& passport = values.passport;
  passport.long_num = read.Word("NEW_DAT", "LONG_NUM", 1);
  passport.num_hi = read.Word("NEW_DAT", "NUM_HI", 0);
  passport.num_lo = read.Word("NEW_DAT", "NUM_LO", 0);
  passport.model = read.Word("NEW_DAT", "MODEL", 0);
  passport.soft_new = read.Word("NEW_DAT", "SOFT_NEW", 0);
  passport.hard_new = read.Word("NEW_DAT", "HARD_NEW", 0);
  passport.year_new = read.Word("NEW_DAT", "YEAR_NEW", 11);
  passport.month_new = read.Word("NEW_DAT", "MONTH_NEW", 6);
  passport.day_new = read.Word("NEW_DAT", "DAY_NEW", 1);

  uint16_t time_val = read.ReadWord("el_clear", "time_val", kMaxElClearTime);
  if (time_val > kMaxElClearTime) time_val = kMaxElClearTime;
  ini.WriteInteger("el_clear", "time_val", time_val);
  values.el_clear_time_val = time_val;

  ArchiveValues& archive = values.archive;
  archive.frame_write_interval_sec = read.Word("frame_write", "frame_write_interval_sec", 1);
  archive.frame_write_type = read.Word("frame_write", "frame_write_type", 1);
  archive.current_frame = 0;

  values.error_mask.izm_flow_v_err_hi_msk = read.Word("err_msk", "izm_flow_v_err_hi_msk", 0);
  values.error_mask.izm_flow_v_err_lo_msk = read.Word("err_msk", "izm_flow_v_err_lo_msk", 0);
}

void LoadProfile(ProfileValues& values, LinkSettings& link, const std::string& path) {
  LoadProfile(values, link, path, CurrentDirectory());
}

std::string ProfileUnreadableCause(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return {};  // a new profile, which the load creates
    return errno == EACCES ? "нет прав на чтение" : std::strerror(errno);
  }
  if (std::string kind = NotRegularFileCause(path); !kind.empty()) return kind;
  // Non-blocking: something put in place of the file after the look above
  // must not hold the window either.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return errno == EACCES || errno == EPERM ? "нет прав на чтение" : std::strerror(errno);
  }
  std::string bytes;
  std::string cause;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    cause = "под этим именем находится не обычный файл";
  } else if (static_cast<uintmax_t>(info.st_size) > kLargestProfileSize) {
    cause = "файл слишком велик для профиля настроек";
  } else {
    char buffer[8192];
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        cause = std::strerror(errno);
        break;
      }
      if (got == 0) break;
      bytes.append(buffer, static_cast<size_t>(got));
      if (bytes.size() > kLargestProfileSize) {
        cause = "файл слишком велик для профиля настроек";
        break;
      }
    }
  }
  close(fd);
  if (!cause.empty()) return cause;
  const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  if (utf16 || bytes.find('\0') != std::string::npos) {
    return "файл не текстовый (возможно, он записан в кодировке UTF-16)";
  }
  for (const std::string& name : IniFile(path).SectionNames()) {
    for (std::string_view known : kProfileSections) {
      if (SameIniName(name, known)) return {};
    }
  }
  return "в файле нет ни одного раздела профиля настроек";
}

std::string ProfileNotReadText(const std::string& path, const std::string& cause) {
  return "Не удалось прочитать профиль настроек из файла " + path + ": " + cause +
         ". Настройки не изменены.";
}

bool SaveProfile(const ProfileValues& values, const LinkSettings& link, const std::string& path) {
  return SaveProfile(values, link, path, nullptr);
}

std::string ProfileNotWrittenText(const std::string& path, const std::string& cause) {
  return "Не удалось записать файл настроек " + path + ": " + cause + ".";
}

std::string ProfileNotSavedText(const std::string& path, const std::string& cause) {
  return ProfileNotWrittenText(path, cause) + " Изменения этого сеанса не сохранены.";
}

bool SaveProfile(const ProfileValues& values, const LinkSettings& link, const std::string& path,
                 std::string* cause) {
  std::error_code error;
  // A read-only profile is made writable, as the operator asked for the save.
  if (fs::exists(path, error)) {
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
  }
  IniFile ini(path);
  Writer write(ini);

  const RecordFiles& records = values.records;
  write.Integer("IZM", "write_file", records.write_file);
  write.Integer("ADC", "write_file", records.adc_write_file);
  write.Integer("IZM", "write_all_izm_file", records.write_all_izm_file);
  write.Integer("TAB", "num", values.pages.main_tab_index);
  write.Integer("TAB", "ActivePageIndex", values.pages.main);
  write.Text("IZM", "izm_file_name", records.izm_file_name);
  write.Text("IZM", "all_izm_file_name", records.all_izm_file_name);
  write.Text("ADC", "adc_name", records.adc_name);

  const RecordPaths& paths = values.paths;
  write.Text("PATH", "all_izm_dir", paths.all_izm_dir);
  write.Text("PATH", "com_dir", paths.com_dir);
  write.Text("PATH", "izm_dir", paths.izm_dir);
  write.Text("PATH", "adc_dir", paths.izm_dir);

  const MeasurementValues& measurement = values.measurement;
  write.Integer("izm_to_comp", "izm_flow_v_dsum_type", measurement.izm_flow_v_dsum_type);
  write.Integer("izm_to_comp", "izm_flow_v_unit", measurement.izm_flow_v_unit);
  write.Integer("izm_to_comp", "izm_flow_v_sum_unit", measurement.izm_flow_v_sum_unit);
  write.Integer("izm_to_comp", "izm_flow_v_ns", measurement.izm_flow_v_ns);
  write.Integer("izm_to_comp", "time_stamp_val_corr_en", measurement.time_stamp_val_corr_en);

  const OutputValues& outputs = values.outputs;
  write.Integer("output", "diskr_out_type0", outputs.diskr_out_type0);
  write.Integer("output", "diskr_out_type1", outputs.diskr_out_type1);
  write.Integer("output", "f_flow_err", outputs.f_flow_err);
  write.Integer("output", "pulse_activ_min_t", outputs.pulse_activ_min_t);
  write.Integer("output", "pulse_passive_min_t", outputs.pulse_passive_min_t);
  write.Text("output", "f_flow_v_min", FormatFloatStandardText(outputs.f_flow_v_min));
  write.Text("output", "f_flow_v_max", FormatFloatStandardText(outputs.f_flow_v_max));
  write.Text("output", "flow_v_for_pulse", FormatFloatStandardText(outputs.flow_v_for_pulse));

  for (size_t i = 0; i < kDefinitionKeys.size(); ++i) {
    write.Text("Definition", kDefinitionKeys[i], kDefinitionTexts[i]);
  }
  write.Integer("TX", "INTERVAL", values.tx_interval);

  const SearchRanges& search = values.search;
  for (size_t i = 0; i < kSearchBaudKeys.size(); ++i) {
    write.Integer("Seach", kSearchBaudKeys[i], search.baud[i]);
  }
  write.Integer("Seach", "beg", search.beg);
  write.Integer("Seach", "end", search.end);
  write.Integer("Seach", "parity_non", search.parity_non);
  write.Integer("Seach", "parity_odd", search.parity_odd);
  write.Integer("Seach", "parity_ev", search.parity_ev);

  write.Integer("NEW_COMM", "NET_NUM", link.proposed_address);
  write.Integer("NEW_COMM", "NET_SPD", link.proposed_baud_code);
  write.Integer("NEW_COMM", "NET_PAR", link.proposed_parity_code);
  write.Integer("NEW_COMM", "NET_DELY", link.dely);
  write.Integer("NEW_COMM", "NET_FLTYPE", values.net_fltype);

  const PassportValues& passport = values.passport;
  write.Integer("NEW_DAT", "LONG_NUM", passport.long_num);
  write.Integer("NEW_DAT", "NUM_HI", passport.num_hi);
  write.Integer("NEW_DAT", "NUM_LO", passport.num_lo);
  write.Integer("NEW_DAT", "MODEL", passport.model);
  write.Integer("NEW_DAT", "SOFT_NEW", passport.soft_new);
  write.Integer("NEW_DAT", "HARD_NEW", passport.hard_new);
  write.Integer("NEW_DAT", "YEAR_NEW", passport.year_new);
  write.Integer("NEW_DAT", "MONTH_NEW", passport.month_new);
  write.Integer("NEW_DAT", "DAY_NEW", passport.day_new);

  // Keys of the compatibility page, whose fields nothing copies here.
  write.Integer("IND", "point", 0);
  for (std::string_view key : kMtrIntegerKeys) write.Integer("MTR", key, 0);
  write.Text("MTR", "mdat", "");

  for (int i = 0; i < kUserRegisterTableSize; ++i) {
    write.Integer("USR_REG_HOLD", UserRegisterKey(i), values.user_registers.words[i]);
  }

  write.Integer("TAB", "ActivePageIndex1", values.pages.main);
  write.Integer("TAB", "ActivePageIndex2", values.pages.settings);
  write.Integer("TAB", "ActivePageIndex4", values.pages.operator_set);
  write.Integer("TAB", "ActivePageIndex5", values.pages.work);
  write.Integer("el_clear", "time_val", values.el_clear_time_val);
  write.Integer("frame_write", "frame_write_interval_sec", values.archive.frame_write_interval_sec);
  write.Integer("frame_write", "frame_write_type", values.archive.frame_write_type);
  write.Integer("err_msk", "izm_flow_v_err_hi_msk", values.error_mask.izm_flow_v_err_hi_msk);
  write.Integer("err_msk", "izm_flow_v_err_lo_msk", values.error_mask.izm_flow_v_err_lo_msk);
  if (!write.ok() && cause != nullptr) *cause = WriteFailureCause(path, write.first_error());
  return write.ok();
}

}  // namespace qmx
