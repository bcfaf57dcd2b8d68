// The device search against instruments on one virtual RS-485 pair, in
// virtual time: the probe is the program's own measured-value read, the line
// is the in-process port, so what the tests see is what went over the line
// (the instruments' journal) and what the operator was shown.
#include "link/device_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "blocks/measured_values.h"
#include "link/clock.h"
#include "link/link.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/instrument.h"

namespace qmx {
namespace {

using qmx::Parity;

// The operator's side of the search, recorded.
class RecordingHost final : public SearchHost {
 public:
  explicit RecordingHost(Link& link) : link_(link) {}

  struct Open {
    uint16_t baud_code;
    uint16_t parity;
    uint16_t address;
    uint16_t report_failure;
    bool ok;
  };

  bool OpenPort(uint16_t report_failure) override {
    const LineParameters& line = link_.line();
    const bool ok = link_.OpenCurrentPort(report_failure).ok;
    opens.push_back({line.baud_code, line.parity_code, line.network_address, report_failure, ok});
    if (!ok && report_failure == 1) ++port_boxes;
    return ok;
  }
  void ShowTable(const SearchRanges& ranges, const std::vector<FoundInstrument>& found) override {
    shown_ranges = ranges;
    lines.clear();
    for (const FoundInstrument& entry : found) lines.push_back(FoundLineText(entry));
  }
  void ShowProbe(std::string_view text) override { panel = std::string(text); }
  void ShowProgress(unsigned probe, unsigned total, int64_t left_ms) override {
    progress.push_back(SearchProgressText(probe, total, left_ms));
    left.push_back(left_ms);
    at_ms.push_back(link_.clock().NowMs());
  }
  void ShowEnd(SearchEnd end) override { ends.push_back(end); }

  std::vector<Open> opens;
  int port_boxes = 0;
  SearchRanges shown_ranges;
  std::vector<std::string> lines;
  std::string panel = "(untouched)";
  std::vector<std::string> progress;
  std::vector<int64_t> left;
  std::vector<int64_t> at_ms;
  std::vector<SearchEnd> ends;

 private:
  Link& link_;
};

SearchRanges Ranges(std::vector<uint16_t> baud_codes, uint16_t beg, uint16_t end,
                    std::vector<uint16_t> parities) {
  SearchRanges ranges;
  ranges.baud.fill(0);
  for (uint16_t code : baud_codes) ranges.baud[code - 3] = 1;
  ranges.beg = beg;
  ranges.end = end;
  ranges.parity_non = ranges.parity_odd = ranges.parity_ev = 0;
  for (uint16_t p : parities)
    (p == 0 ? ranges.parity_non : p == 1 ? ranges.parity_odd : ranges.parity_ev) = 1;
  return ranges;
}

constexpr uint16_t k1200 = 3, k9600 = 6, k19200 = 7, k38400 = 8, k57600 = 9, k115200 = 10;

class DeviceSearchTest : public ::testing::Test {
 protected:
  DeviceSearchTest() {
    ports_.Attach(1, bus_);
    link_.settings().use_log_file = 0;
    // The operator's own line before the search: 19200, even, address 9.
    link_.line().baud_code = k19200;
    link_.line().parity_code = 2;
    link_.line().network_address = 9;
    search_.SetProbeReads({kMeasuredBlockCount, kStandardFlowCount});
  }

  sim::Instrument& AddInstrument(uint8_t address, uint32_t baud, Parity parity) {
    return bus_.AddInstrument(sim::InstrumentSettings{address, baud, parity});
  }

  SearchEnd Run(const SearchRanges& ranges) { return search_.Run(ranges, probe_, host_); }

  // The probes as they went over the line, "19200/none/3": the first read
  // of each probe, its repetitions folded in.
  std::vector<std::string> Probes() const {
    std::vector<std::string> probes;
    std::string previous;
    for (const sim::JournalEntry& entry : bus_.journal()) {
      if (entry.start == kStandardFlowStart) {
        previous.clear();
        continue;
      }
      if (entry.start != kMeasuredBlockStart) continue;
      const std::string probe = Probe(entry);
      if (probe != previous) probes.push_back(probe);
      previous = probe;
    }
    return probes;
  }
  static std::string Probe(const sim::JournalEntry& entry) {
    static const char* kParities[] = {"none", "odd", "even"};
    return std::to_string(entry.line.baud) + "/" + kParities[static_cast<int>(entry.line.parity)] +
           "/" + std::to_string(entry.address);
  }
  // Requests of each probe: the block, then register 305 whatever came back.
  std::vector<std::string> Requests() const { return bus_.JournalSummary(); }

  void ExpectOperatorLineBack() {
    EXPECT_EQ(link_.line().baud_code, k19200);
    EXPECT_EQ(link_.line().parity_code, 2);
    EXPECT_EQ(link_.line().network_address, 9);
    ASSERT_FALSE(host_.opens.empty());
    const RecordingHost::Open& last = host_.opens.back();
    EXPECT_EQ(std::tie(last.baud_code, last.parity, last.address),
              std::make_tuple(uint16_t{k19200}, uint16_t{2}, uint16_t{9}));
    EXPECT_EQ(host_.panel, "");
  }

  VirtualClock clock_;
  sim::Bus bus_{clock_};
  sim::InProcessPortProvider ports_{clock_};
  Link link_{ports_, clock_};
  MeasuredValues values_;
  uint16_t last_status_ = 0;
  SearchProbe probe_ = [this] {
    const ExchangeOutcome outcome = ReadMeasuredValues(link_, values_, last_status_);
    return ProbeResult{outcome.status, outcome.exception};
  };
  RecordingHost host_{link_};
  DeviceSearch search_{link_};
};

// A port whose line is its gateway's: several rates or parities are refused
// before anything is opened or sent; one of each is searched as usual.
TEST_F(DeviceSearchTest, OnAFixedLineOnlyOneRateAndOneParityAreSearched) {
  ports_.FixLine(1);
  AddInstrument(2, 19200, Parity::kEven);
  struct Case {
    std::vector<uint16_t> rates;
    std::vector<uint16_t> parities;
    SearchEnd end;
  };
  const Case cases[] = {
      {{k9600, k19200}, {2}, SearchEnd::kLineFixed},
      {{k19200}, {0, 2}, SearchEnd::kLineFixed},
      {{k19200}, {}, SearchEnd::kLineFixed},  // no parity ticked: all three
      {{k19200}, {2}, SearchEnd::kCompleted},
  };
  for (const Case& c : cases) {
    RecordingHost host(link_);
    bus_.ClearJournal();
    const SearchRanges ranges = NormalizeSearchRanges(Ranges(c.rates, 1, 3, c.parities));
    EXPECT_EQ(search_.Run(ranges, probe_, host), c.end);
    EXPECT_EQ(host.ends, std::vector<SearchEnd>{c.end});
    const bool refused = c.end == SearchEnd::kLineFixed;
    EXPECT_EQ(host.opens.empty(), refused);
    EXPECT_EQ(bus_.journal().empty(), refused);
    EXPECT_EQ(host.lines.size(), refused ? 0u : 1u);
  }
}

// Three instruments at different rates, parities and addresses, and two
// that the settings leave out (a rate not chosen, an address beyond the
// range): the three are listed in the order the loops meet them, rate first.
TEST_F(DeviceSearchTest, FindsTheInstrumentsOnAMultiDropLineInRateAddressParityOrder) {
  AddInstrument(5, 19200, Parity::kNone);
  AddInstrument(2, 9600, Parity::kOdd);
  AddInstrument(3, 38400, Parity::kEven);
  AddInstrument(4, 57600, Parity::kNone);  // 57600 is not searched
  AddInstrument(7, 19200, Parity::kNone);  // beyond the last address

  EXPECT_EQ(Run(Ranges({k9600, k19200, k38400}, 1, 5, {0, 1, 2})), SearchEnd::kCompleted);

  EXPECT_EQ(host_.lines, (std::vector<std::string>{"Скорость 9600  нечёт. пар. Сет. номер 2",
                                                   "Скорость 19200  без парит. Сет. номер 5",
                                                   "Скорость 38400  чет. пар. Сет. номер 3"}));
  EXPECT_EQ(search_.found().size(), 3u);
  EXPECT_EQ(host_.ends, std::vector<SearchEnd>{SearchEnd::kCompleted});
  // Every combination once, each probe on a freshly opened port.
  const std::vector<std::string> probes = Probes();
  ASSERT_EQ(probes.size(), 45u);
  EXPECT_EQ(probes.front(), "9600/none/1");
  EXPECT_EQ(probes[1], "9600/odd/1");
  EXPECT_EQ(probes[3], "9600/none/2");
  EXPECT_EQ(probes[15], "19200/none/1");
  EXPECT_EQ(probes.back(), "38400/even/5");
  EXPECT_EQ(host_.opens.size(), 46u);  // 45 probes and the return to the operator's line
  ExpectOperatorLineBack();
  EXPECT_EQ(host_.opens.back().report_failure, 1);
}

TEST_F(DeviceSearchTest, StopDuringTheProbeAtAddress4EndsAfterThatProbeAndKeepsTheHits) {
  AddInstrument(2, 19200, Parity::kNone);
  AddInstrument(6, 19200, Parity::kNone);
  // The operator presses stop while the probe at address 4 waits for its
  // answer.
  link_.SetEventPump([this] {
    if (search_.running() && link_.line().network_address == 4 && link_.InTransaction()) {
      search_.Stop();
    }
  });

  EXPECT_EQ(Run(Ranges({k19200}, 1, 8, {0, 1, 2})), SearchEnd::kStopped);

  // The probe at address 4 ran to its end (both reads), none came after it.
  const std::vector<std::string> probes = Probes();
  ASSERT_FALSE(probes.empty());
  EXPECT_EQ(probes.back(), "19200/none/4");
  EXPECT_EQ(probes.size(), 10u);
  EXPECT_EQ(bus_.journal().back().start, kStandardFlowStart);
  EXPECT_EQ(host_.ends, std::vector<SearchEnd>{SearchEnd::kStopped});
  EXPECT_EQ(host_.lines, std::vector<std::string>{"Скорость 19200  без парит. Сет. номер 2"});
  ExpectOperatorLineBack();
}

TEST_F(DeviceSearchTest, TheThirtyThirdInstrumentEndsTheSearchWithAFullList) {
  for (uint8_t address = 1; address <= 34; ++address) AddInstrument(address, 19200, Parity::kNone);

  EXPECT_EQ(Run(Ranges({k19200}, 1, 40, {0})), SearchEnd::kTooMany);

  EXPECT_EQ(host_.lines.size(), 33u);
  EXPECT_EQ(host_.lines.back(), "Скорость 19200  без парит. Сет. номер 33");
  EXPECT_EQ(Probes().size(), 33u);  // the 34th is never asked
  EXPECT_EQ(host_.ends, std::vector<SearchEnd>{SearchEnd::kTooMany});
  ExpectOperatorLineBack();
}

TEST_F(DeviceSearchTest, AnAnswerThatNeededARepetitionIsNoHit) {
  sim::Instrument& shaky = AddInstrument(1, 19200, Parity::kNone);
  sim::Fault every_second;
  every_second.kind = sim::FaultKind::kEverySecond;
  shaky.AddFault(every_second);
  AddInstrument(2, 19200, Parity::kNone);

  Run(Ranges({k19200}, 1, 2, {0}));

  // Address 1 answered the repetition of the block read (so the master saw
  // a success after a repetition); only address 2 is listed.
  ASSERT_GE(bus_.journal().size(), 2u);
  EXPECT_EQ(bus_.journal()[0].outcome, sim::Outcome::kSilent);
  EXPECT_EQ(bus_.journal()[1].outcome, sim::Outcome::kAnswered);
  EXPECT_EQ(bus_.journal()[1].start, kMeasuredBlockStart);
  EXPECT_EQ(host_.lines, std::vector<std::string>{"Скорость 19200  без парит. Сет. номер 2"});
}

TEST_F(DeviceSearchTest, APortThatCannotBeOpenedEndsTheSearchAfterOneBox) {
  link_.line().port_number = 4;  // nothing there

  EXPECT_EQ(Run(Ranges({k9600, k19200}, 1, 5, {0, 1, 2})), SearchEnd::kPortFailed);

  EXPECT_EQ(host_.port_boxes, 1);
  EXPECT_TRUE(bus_.journal().empty());
  ASSERT_EQ(host_.opens.size(), 2u);  // the first probe, then the operator's line, quietly
  EXPECT_EQ(host_.opens.back().report_failure, 0);
  EXPECT_EQ(host_.ends, std::vector<SearchEnd>{SearchEnd::kPortFailed});
  ExpectOperatorLineBack();
}

// An address list left without a choice (a profile's address that no list
// holds), or a range of nothing but address 0: the search refuses before it
// opens or sends anything, and leaves the line and the list as they were.
TEST_F(DeviceSearchTest, ARangeWithoutAnAddressToTryIsRefusedBeforeAnythingIsSent) {
  AddInstrument(5, 19200, Parity::kNone);
  ASSERT_EQ(Run(Ranges({k19200}, 5, 5, {0})), SearchEnd::kCompleted);
  const std::vector<std::string> earlier = host_.lines;
  ASSERT_EQ(earlier.size(), 1u);
  bus_.ClearJournal();

  struct Case {
    const char* what;
    uint16_t beg;
    uint16_t end;
  };
  const Case cases[] = {
      // Once searched up to 255, where every probe "answered".
      {"last list without a choice", 5, 65535},
      {"first list without a choice", 65535, 5},
      {"both lists without a choice", 65535, 65535},
      {"a profile's addresses beyond the lists", 250, 252},
      {"a profile's last address beyond the lists", 3, 248},
      {"address 0 alone", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SearchRanges ranges = NormalizeSearchRanges(Ranges({k19200}, c.beg, c.end, {}));
    EXPECT_FALSE(SearchAddressesChosen(ranges));
    EXPECT_EQ(SearchProbeCount(ranges), 0u);
    RecordingHost host(link_);
    EXPECT_EQ(search_.Run(ranges, probe_, host), SearchEnd::kNoAddresses);
    EXPECT_EQ(host.ends, std::vector<SearchEnd>{SearchEnd::kNoAddresses});
    EXPECT_TRUE(host.opens.empty());
    EXPECT_TRUE(bus_.journal().empty());
    EXPECT_EQ(search_.found().size(), 1u);
    EXPECT_EQ(link_.line().network_address, 9);
  }
}

TEST_F(DeviceSearchTest, TheSearchShowsItsSettingsAtTheStart) {
  const SearchRanges ranges = NormalizeSearchRanges(Ranges({}, 10, 3, {}));
  AddInstrument(3, 9600, Parity::kNone);
  Run(ranges);
  EXPECT_EQ(host_.shown_ranges.beg, 3);
  EXPECT_EQ(host_.shown_ranges.end, 10);
  EXPECT_EQ(host_.shown_ranges.baud, (std::array<uint16_t, 8>{0, 0, 0, 1, 1, 0, 0, 0}));
  const std::vector<std::string> probes = Probes();
  ASSERT_EQ(probes.size(), 2u * 8 * 3);
  EXPECT_EQ(probes.front(), "9600/none/3");
  EXPECT_EQ(probes.back(), "19200/even/10");
}

// --- settings, texts and the table ---------------------------------------------------

TEST(SearchRangesTest, NormalizeTurnsTheRangeRoundAndFillsEmptyChoices) {
  struct Case {
    const char* what;
    SearchRanges taken;
    SearchRanges wanted;
  };
  const Case cases[] = {
      {"first above last", Ranges({k1200}, 10, 3, {1}), Ranges({k1200}, 3, 10, {1})},
      {"no parity", Ranges({k115200}, 1, 5, {}), Ranges({k115200}, 1, 5, {0, 1, 2})},
      {"no rate", Ranges({}, 1, 5, {2}), Ranges({k9600, k19200}, 1, 5, {2})},
      {"nothing at all", Ranges({}, 7, 7, {}), Ranges({k9600, k19200}, 7, 7, {0, 1, 2})},
      {"as chosen", Ranges({k1200, k57600}, 1, 247, {0, 2}),
       Ranges({k1200, k57600}, 1, 247, {0, 2})},
      {"from address 0", Ranges({k1200}, 0, 247, {1}), Ranges({k1200}, 1, 247, {1})},
      {"down to address 0", Ranges({k1200}, 4, 0, {1}), Ranges({k1200}, 1, 4, {1})},
      {"address 0 alone", Ranges({k1200}, 0, 0, {1}), Ranges({k1200}, 0, 0, {1})},
      {"beyond the lists", Ranges({k1200}, 250, 5, {1}), Ranges({k1200}, 5, 250, {1})},
  };
  for (const Case& c : cases) {
    const SearchRanges got = NormalizeSearchRanges(c.taken);
    EXPECT_EQ(got.baud, c.wanted.baud) << c.what;
    EXPECT_EQ(std::tie(got.beg, got.end), std::tie(c.wanted.beg, c.wanted.end)) << c.what;
    EXPECT_EQ(std::tie(got.parity_non, got.parity_odd, got.parity_ev),
              std::tie(c.wanted.parity_non, c.wanted.parity_odd, c.wanted.parity_ev))
        << c.what;
  }
}

TEST(SearchTextsTest, ListLineAndProbeText) {
  EXPECT_EQ(FoundLineText({k19200, 1, 0}),
            std::string("Скорость ") + "19200 " + " " + "без парит." + " Сет. номер " + "1");
  EXPECT_EQ(FoundLineText({k115200, 247, 2}), "Скорость 115200  чет. пар. Сет. номер 247");
  EXPECT_EQ(ProbeText(k1200, 1, 0), "Проверяется скорость 1200 нечетный паритет номер прибора 0");
}

TEST(SearchTableTest, OnlyAFilledLineSwitchesTheLink) {
  // A click below the last line, or on no line, finds no entry.
  VirtualClock clock;
  sim::InProcessPortProvider ports(clock);
  Link link(ports, clock);
  DeviceSearch search(link);
  EXPECT_EQ(search.EntryAt(-1), nullptr);
  EXPECT_EQ(search.EntryAt(0), nullptr);

  LineParameters line;
  UseFoundLine({k38400, 17, 1}, line);
  EXPECT_EQ(std::tie(line.baud_code, line.network_address, line.parity_code),
            std::make_tuple(uint16_t{k38400}, uint16_t{17}, uint16_t{1}));
  UseFoundLine({11, 3, 0}, line);  // a code the program does not offer
  EXPECT_EQ(line.baud_code, k19200);
}

// --- how long it takes -----------------------------------------------------

TEST(SearchEstimateTest, AnEmptyAddressAt19200CostsTheFullRetrySequenceOfBothReads) {
  LinkSettings settings;
  settings.line.timeout = 2000;
  const std::vector<uint8_t> reads = {kMeasuredBlockCount, kStandardFlowCount};
  EXPECT_EQ(SilentProbeMs(settings, k19200, reads),
            (24 * 105 + 2000) * 2 + 1000 + (24 * 11 + 2000) * 2 + 1000);
  // One attempt allowed, or no silent status bit in the retry mask: no pause.
  settings.retry_limit = 1;
  EXPECT_EQ(SilentReadMs(settings, k19200, kStandardFlowCount), 24 * 11 + 2000);
  settings.retry_limit = 3;
  settings.retry_mask = 0x0001;
  EXPECT_EQ(SilentReadMs(settings, k19200, kStandardFlowCount), 24 * 11 + 2000);
  // The program's extra gap lengthens the per-byte time and the constant.
  settings.retry_mask = 127;
  settings.time_gap_prg = 5;
  EXPECT_EQ(SilentReadMs(settings, k1200, kStandardFlowCount),
            3 * ((192 + 5) * 11 + 2000 + 5) + 2 * 1000);
}

TEST(SearchEstimateTest, DurationAndProgressTexts) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0 с"},
      {1, "1 с"},
      {59000, "59 с"},
      {59001, "1 мин 0 с"},
      {80000, "1 мин 20 с"},
      {3600000, "1 ч 0 мин"},
      {3900000, "1 ч 5 мин"},
  };
  for (const auto& [ms, text] : cases) EXPECT_EQ(DurationText(ms), text) << ms;
  EXPECT_EQ(SearchProgressText(3, 30, 80000), "Проба 3 из 30, осталось около 1 мин 20 с");
}

// The estimate against the clock: on a line where nobody answers, the time
// left announced before each probe is the time the search then really takes.
class SearchEstimateOnTheLineTest
    : public DeviceSearchTest,
      public ::testing::WithParamInterface<std::tuple<uint16_t, uint16_t, uint16_t, uint16_t>> {};

TEST_P(SearchEstimateOnTheLineTest, MatchesTheVirtualTimeOfASilentSearch) {
  const auto [retry_limit, time_gap_prg, timeout, multiplier] = GetParam();
  link_.settings().retry_limit = retry_limit;
  link_.settings().time_gap_prg = time_gap_prg;
  link_.settings().line.timeout = timeout;
  link_.settings().timeouts.by_code[k1200 - 3].multiplier = multiplier;
  link_.settings().timeouts.by_code[k115200 - 3].multiplier = multiplier;

  const int64_t start = clock_.NowMs();
  Run(Ranges({k1200, k115200}, 1, 2, {0, 2}));
  const int64_t end = clock_.NowMs();

  ASSERT_EQ(host_.left.size(), 8u);
  for (size_t i = 0; i < host_.left.size(); ++i) {
    // Milliseconds of rounding per read at most.
    EXPECT_NEAR(static_cast<double>(host_.left[i]), static_cast<double>(end - host_.at_ms[i]),
                8.0 * (8 - i))
        << "before probe " << i + 1;
  }
  EXPECT_EQ(host_.at_ms.front(), start);
}

INSTANTIATE_TEST_SUITE_P(RetryAndTimeouts, SearchEstimateOnTheLineTest,
                         ::testing::Values(std::make_tuple(2, 0, 2000, 24),
                                           std::make_tuple(1, 0, 50, 1),
                                           std::make_tuple(3, 7, 300, 192)));

}  // namespace
}  // namespace qmx
