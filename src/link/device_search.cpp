#include "link/device_search.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "link/exchange_status.h"
#include "link/link.h"

namespace qmx {
namespace {

constexpr uint16_t kBaud9600 = 6;
constexpr uint16_t kBaud19200 = 7;
constexpr unsigned kParityCount = 3;

constexpr std::array<const char*, 8> kRateTexts = {"1200",  "2400",  "4800",  "9600",
                                                   "19200", "38400", "57600", "115200"};
constexpr std::array<const char*, 3> kListParityTexts = {"без парит.", "нечёт. пар.", "чет. пар."};
constexpr std::array<const char*, 3> kProbeParityTexts = {"без паритета", "нечетный паритет",
                                                          "четный паритет"};

const char* RateText(uint16_t baud_code) {
  return baud_code >= kFirstBaudCode && baud_code <= kLastBaudCode
             ? kRateTexts[baud_code - kFirstBaudCode]
             : "";
}

bool RateOn(const SearchRanges& ranges, uint16_t baud_code) {
  const bool any =
      std::any_of(ranges.baud.begin(), ranges.baud.end(), [](uint16_t flag) { return flag != 0; });
  // With no rate chosen at all every rate is tried.
  return !any || ranges.baud[baud_code - kFirstBaudCode] != 0;
}

bool ParityOn(const SearchRanges& ranges, uint16_t parity) {
  const std::array<uint16_t, kParityCount> flags = {ranges.parity_non, ranges.parity_odd,
                                                    ranges.parity_ev};
  const bool any = std::any_of(flags.begin(), flags.end(), [](uint16_t f) { return f != 0; });
  return !any || flags[parity] != 0;
}

unsigned ParitiesOn(const SearchRanges& ranges, uint16_t from_parity = 0) {
  unsigned count = 0;
  for (uint16_t p = from_parity; p < kParityCount; ++p) count += ParityOn(ranges, p) ? 1 : 0;
  return count;
}

uint32_t LastAddress(const SearchRanges& ranges) {
  return std::min<uint32_t>(ranges.end, kLastSearchAddress);
}

// Addresses from `from` to the last one of the range.
unsigned AddressesFrom(const SearchRanges& ranges, uint32_t from) {
  const uint32_t last = LastAddress(ranges);
  return from > last ? 0u : last - from + 1;
}

}  // namespace

SearchRanges NormalizeSearchRanges(SearchRanges ranges) {
  if (ranges.end < ranges.beg) std::swap(ranges.beg, ranges.end);
  if (ranges.beg < kFirstSearchAddress && ranges.end >= kFirstSearchAddress) {
    ranges.beg = kFirstSearchAddress;
  }
  if (ranges.parity_non == 0 && ranges.parity_odd == 0 && ranges.parity_ev == 0) {
    ranges.parity_non = ranges.parity_odd = ranges.parity_ev = 1;
  }
  if (std::all_of(ranges.baud.begin(), ranges.baud.end(), [](uint16_t f) { return f == 0; })) {
    ranges.baud[kBaud9600 - kFirstBaudCode] = 1;
    ranges.baud[kBaud19200 - kFirstBaudCode] = 1;
  }
  return ranges;
}

bool SearchAddressesChosen(const SearchRanges& ranges) {
  return ranges.beg >= kFirstSearchAddress && ranges.beg <= ranges.end &&
         ranges.end <= kLastSearchAddress;
}

std::string FoundLineText(const FoundInstrument& found) {
  std::string text = "Скорость ";
  text += RateText(found.baud_code);
  text += "  ";
  text += found.parity < kParityCount ? kListParityTexts[found.parity] : "";
  text += " Сет. номер ";
  text += std::to_string(found.address);
  return text;
}

std::string ProbeText(uint16_t baud_code, uint16_t parity, uint32_t address) {
  std::string text = "Проверяется скорость ";
  text += RateText(baud_code);
  text += ' ';
  text += parity < kParityCount ? kProbeParityTexts[parity] : "";
  text += " номер прибора ";
  text += std::to_string(address);
  return text;
}

unsigned SearchProbeCount(const SearchRanges& ranges) {
  if (!SearchAddressesChosen(ranges)) return 0;
  unsigned rates = 0;
  for (uint16_t code = kFirstBaudCode; code <= kLastBaudCode; ++code) {
    rates += RateOn(ranges, code) ? 1 : 0;
  }
  return rates * AddressesFrom(ranges, ranges.beg) * ParitiesOn(ranges);
}

int64_t SilentReadMs(const LinkSettings& settings, uint16_t baud_code, uint8_t count) {
  return ReadWaitLimitMs(settings, baud_code, count);
}

int64_t SilentProbeMs(const LinkSettings& settings, uint16_t baud_code,
                      const std::vector<uint8_t>& counts) {
  int64_t ms = 0;
  for (uint8_t count : counts) ms += SilentReadMs(settings, baud_code, count);
  return ms;
}

int64_t SearchTimeLeftMs(const LinkSettings& settings, const SearchRanges& ranges,
                         const SearchPosition& position, const std::vector<uint8_t>& counts) {
  if (position.baud_code < kFirstBaudCode || position.baud_code > kLastBaudCode) return 0;
  int64_t ms = 0;
  if (RateOn(ranges, position.baud_code)) {
    // The rest of this address, then the addresses after it.
    unsigned probes = ParitiesOn(ranges, position.parity);
    const uint32_t last = LastAddress(ranges);
    if (position.address < last) probes += (last - position.address) * ParitiesOn(ranges);
    ms += probes * SilentProbeMs(settings, position.baud_code, counts);
  }
  const unsigned per_rate = AddressesFrom(ranges, ranges.beg) * ParitiesOn(ranges);
  for (uint16_t code = position.baud_code + 1; code <= kLastBaudCode; ++code) {
    if (RateOn(ranges, code)) ms += per_rate * SilentProbeMs(settings, code, counts);
  }
  return ms;
}

std::string DurationText(int64_t ms) {
  const int64_t seconds = ms <= 0 ? 0 : (ms + 999) / 1000;
  char text[48];
  if (seconds < 60) {
    std::snprintf(text, sizeof text, "%lld с", static_cast<long long>(seconds));
  } else if (seconds < 3600) {
    std::snprintf(text, sizeof text, "%lld мин %lld с", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld ч %lld мин", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60));
  }
  return text;
}

std::string SearchProgressText(unsigned probe, unsigned total, int64_t left_ms) {
  return "Проба " + std::to_string(probe) + " из " + std::to_string(total) + ", осталось около " +
         DurationText(left_ms);
}

int64_t DeviceSearch::TimeLeftMs(const SearchRanges& ranges, const SearchPosition& position) const {
  return SearchTimeLeftMs(link_.settings(), ranges, position, probe_reads_);
}

SearchEnd DeviceSearch::Run(const SearchRanges& ranges, const SearchProbe& probe,
                            SearchHost& host) {
  quiet_ = false;
  if (!SearchAddressesChosen(ranges)) {
    // Before anything is opened or sent, and before the list of an earlier
    // search is cleared: the operator only has to choose the addresses.
    host.ShowEnd(SearchEnd::kNoAddresses);
    return SearchEnd::kNoAddresses;
  }
  if (link_.ports().LineFixed(link_.line().port_number)) {
    unsigned rates = 0;
    for (uint16_t code = kFirstBaudCode; code <= kLastBaudCode; ++code) {
      rates += RateOn(ranges, code) ? 1 : 0;
    }
    if (rates > 1 || ParitiesOn(ranges) > 1) {
      host.ShowEnd(SearchEnd::kLineFixed);
      return SearchEnd::kLineFixed;
    }
  }
  LineParameters& line = link_.line();
  const uint16_t saved_address = line.network_address;
  const uint16_t saved_parity = line.parity_code;
  const uint16_t saved_baud = line.baud_code;

  found_.clear();
  SearchPosition at{kFirstBaudCode, ranges.beg, 0};
  host.ShowTable(ranges, found_);
  running_ = true;
  const unsigned total = SearchProbeCount(ranges);
  unsigned probes = 0;

  SearchEnd end = SearchEnd::kCompleted;
  for (;;) {
    if (RateOn(ranges, at.baud_code)) {
      if (ParityOn(ranges, at.parity)) {
        host.ShowProgress(++probes, total, TimeLeftMs(ranges, at));
        line.baud_code = at.baud_code;
        line.network_address = static_cast<uint16_t>(at.address);
        line.parity_code = at.parity;
        if (!host.OpenPort(1)) {
          // The open has just told the operator.  Every further probe would
          // fail the same way and show the same box again, one box per
          // probe, thousands of them, and the stop button cannot be reached
          // behind them: one box is enough, and the search ends here.
          end = SearchEnd::kPortFailed;
          break;
        }
        host.ShowProbe(ProbeText(at.baud_code, at.parity, at.address));
        const ProbeResult result = probe();
        // Only a clean first answer counts: an instrument that needed a
        // repetition may be another one's echo or a line that barely works.
        if (result.status == 0 && result.exception == 0) {
          found_.push_back({at.baud_code, static_cast<uint16_t>(at.address), at.parity});
          host.ShowTable(ranges, found_);
          if (found_.size() >= kFoundTableSize) {
            end = SearchEnd::kTooMany;
            break;
          }
        }
      }
      link_.PumpEvents();
      if (!running_) {
        end = SearchEnd::kStopped;
        break;
      }
      if (++at.parity < kParityCount) continue;
      at.parity = 0;
      ++at.address;
      if (at.address <= LastAddress(ranges)) {
        link_.PumpEvents();
        continue;
      }
    }
    at.address = ranges.beg;
    if (++at.baud_code <= kLastBaudCode) continue;
    break;
  }

  running_ = false;
  const bool quiet = quiet_;
  if (!quiet) host.ShowEnd(end);
  line.network_address = saved_address;
  line.parity_code = saved_parity;
  line.baud_code = saved_baud;
  // After a port that would not open, or while the window closes, a second
  // port box would tell the operator nothing new.
  host.OpenPort(quiet || end == SearchEnd::kPortFailed ? 0 : 1);
  host.ShowProbe("");
  return end;
}

const FoundInstrument* DeviceSearch::EntryAt(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= found_.size()) return nullptr;
  const FoundInstrument& entry = found_[static_cast<size_t>(row)];
  return entry.baud_code == 0 ? nullptr : &entry;
}

void UseFoundLine(const FoundInstrument& found, LineParameters& line) {
  line.network_address = found.address;
  line.baud_code = ListedBaudCodeOr19200(found.baud_code);
  line.parity_code = found.parity;
}

}  // namespace qmx
