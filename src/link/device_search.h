// The search of the line for instruments whose baud rate, parity or address
// the operator does not have at hand: every chosen combination is tried with
// a real read, each one that answers cleanly is listed, and the operator can
// switch the link to a listed instrument.
//
// The search itself knows nothing of windows.  The read that tells whether an
// instrument answers is handed in as a callable, and what the operator sees
// (the list, the probe text, the progress, the final box, the port) goes
// through SearchHost, so the same loop runs in the window and, in virtual
// time, against the in-process instruments of the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/link.h"
#include "storage/link_settings.h"
#include "storage/profile.h"

namespace qmx {

// The list holds this many instruments; the one that fills it ends the search.
inline constexpr size_t kFoundTableSize = 33;

inline constexpr char kSearchCaption[] = "Ход поиска";
inline constexpr char kSearchCompletedText[] = "Процедура поиска завершена.";
inline constexpr char kSearchTooManyText[] =
    "Процедура поиска завершена.На линии слишком много приборов.";
inline constexpr char kSearchStoppedText[] = "Процедура поиска завершена пользователем.";
// The address lists name no address the search may try.
// A port whose line only its gateway sets, with more than one rate or
// parity ticked: nothing was sent.
inline constexpr char kSearchLineFixedText[] =
    "Скорость и паритет линии этого порта задаёт сетевой шлюз (tcp://): поиск по нескольким "
    "скоростям или паритетам невозможен. Отметьте одну скорость и один паритет — те, что "
    "заданы в шлюзе, или измените настройки линии шлюза вручную.";
inline constexpr char kSearchNoAddressText[] =
    "Не выбран диапазон адресов для поиска: начальный и последний адрес должны быть от 1 до 247.";

// The addresses a search tries.  At 0 the master takes an answer from any
// address and at 255 it takes any answer unchecked, so neither can tell
// that an instrument is there.
inline constexpr uint16_t kFirstSearchAddress = 1;
inline constexpr uint16_t kLastSearchAddress = 247;

// One instrument that answered: the line it answered on.
struct FoundInstrument {
  uint16_t baud_code = 0;  // 3..10
  uint16_t address = 0;
  uint16_t parity = 0;  // 0 none, 1 odd, 2 even

  friend bool operator==(const FoundInstrument&, const FoundInstrument&) = default;
};

enum class SearchEnd {
  kCompleted,    // every combination tried
  kTooMany,      // the list is full
  kStopped,      // the operator stopped it
  kPortFailed,   // the port could not be opened; the open has told the operator
  kNoAddresses,  // the range holds no address to try; nothing was sent
  kLineFixed,    // several lines asked of a port whose line is the gateway's
};

// What the first read of a probe returned.
struct ProbeResult {
  uint16_t status = 0;
  uint16_t exception = 0;
};
using SearchProbe = std::function<ProbeResult()>;

// Where the search stands: the combination being tried.
struct SearchPosition {
  uint16_t baud_code = 3;
  uint32_t address = 0;
  uint16_t parity = 0;
};

// The settings as the operator left them in the controls, made usable: a
// reversed address range is turned round, a range from address 0 starts at
// 1, no parity ticked means all three, no rate ticked means 9600 and 19200.
SearchRanges NormalizeSearchRanges(SearchRanges ranges);
// Whether the (normalised) range holds addresses to try, all of them within
// kFirstSearchAddress..kLastSearchAddress.  An address list left without a
// choice (the profile's address is one no list holds) leaves none.
bool SearchAddressesChosen(const SearchRanges& ranges);

// "Скорость 19200  без парит. Сет. номер 1"
std::string FoundLineText(const FoundInstrument& found);
// "Проверяется скорость 19200 без паритета номер прибора 1"
std::string ProbeText(uint16_t baud_code, uint16_t parity, uint32_t address);

// Probes the search will make (rates on × addresses × parities on).
unsigned SearchProbeCount(const SearchRanges& ranges);
// How long a read of `count` registers waits when nobody answers: every
// attempt the retry settings allow, each with its read time-outs, and the
// pause before each repetition.
int64_t SilentReadMs(const LinkSettings& settings, uint16_t baud_code, uint8_t count);
// The same for a whole probe made of reads of `counts` registers.
int64_t SilentProbeMs(const LinkSettings& settings, uint16_t baud_code,
                      const std::vector<uint8_t>& counts);
// The longest the search can still take from `position` on, the probe at
// `position` included: an empty address costs the full silent probe.
int64_t SearchTimeLeftMs(const LinkSettings& settings, const SearchRanges& ranges,
                         const SearchPosition& position, const std::vector<uint8_t>& counts);
// "Проба 3 из 30, осталось около 1 мин 20 с"
std::string SearchProgressText(unsigned probe, unsigned total, int64_t left_ms);
// "45 с", "1 мин 20 с", "2 ч 5 мин" (seconds rounded up).
std::string DurationText(int64_t ms);

// What the search shows the operator and how it reaches the port.
class SearchHost {
 public:
  virtual ~SearchHost() = default;
  // Opens the port with the current line parameters; with `report_failure`
  // 1 a failure is shown to the operator.  Returns whether it opened.
  virtual bool OpenPort(uint16_t report_failure) = 0;
  // The settings and the instruments found so far.
  virtual void ShowTable(const SearchRanges& ranges, const std::vector<FoundInstrument>& found) = 0;
  // The combination being tried ("" once the search is over); the window
  // repaints so the text is there before the read starts.
  virtual void ShowProbe(std::string_view text) = 0;
  // Before probe `probe` of `total`; `left_ms` is the longest the rest of
  // the search can take, that probe included.
  virtual void ShowProgress(unsigned probe, unsigned total, int64_t left_ms) = 0;
  // How the search ended, for the box that tells so; kNoAddresses is an
  // input error, and after kPortFailed the port's own box has said it all.
  virtual void ShowEnd(SearchEnd end) = 0;
};

class DeviceSearch {
 public:
  explicit DeviceSearch(Link& link) : link_(link) {}

  // Register counts of the reads a probe makes, for the time estimate.
  void SetProbeReads(std::vector<uint8_t> counts) { probe_reads_ = std::move(counts); }

  // Runs the whole search with `ranges` (already normalised) and returns
  // how it ended.  The line parameters in force before are in force again
  // afterwards and the port is re-opened with them.  A range without an
  // address to try ends at once: nothing is opened or sent; so does a range
  // of several rates or parities on a port whose line is not ours to set.
  SearchEnd Run(const SearchRanges& ranges, const SearchProbe& probe, SearchHost& host);
  // The stop button: the search ends after the probe in progress.
  void Stop() { running_ = false; }
  // The window is closing: as Stop, but the search ends without a box and
  // re-opens the port without telling of a failure.
  void StopQuietly() {
    quiet_ = true;
    running_ = false;
  }
  bool running() const { return running_; }

  const std::vector<FoundInstrument>& found() const { return found_; }
  // The entry shown on list line `row`, or null for no line or an empty one.
  const FoundInstrument* EntryAt(int row) const;

 private:
  int64_t TimeLeftMs(const SearchRanges& ranges, const SearchPosition& position) const;

  Link& link_;
  std::vector<uint8_t> probe_reads_;
  std::vector<FoundInstrument> found_;
  bool running_ = false;
  bool quiet_ = false;
};

// Switches the line parameters to a found instrument (a baud code the
// program does not offer becomes 19200).
void UseFoundLine(const FoundInstrument& found, LineParameters& line);

}  // namespace qmx
