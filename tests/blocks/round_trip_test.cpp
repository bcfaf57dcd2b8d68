// What the operator did not edit goes back to the instrument exactly as it
// came: for every read and write of the catalog, the instrument holds values
// whose texts keep fewer digits than the registers (and configured floats
// beyond the measuring limit), the page is read, written without an edit,
// and each register written must carry the word the read brought.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <variant>

#include "block_fixture.h"
#include "blocks/block_catalog.h"
#include "blocks/clock_password.h"
#include "blocks/discrete_archive.h"
#include "blocks/exchange_parameters.h"
#include "blocks/external_sensor.h"
#include "blocks/measurement_settings.h"
#include "blocks/module_parameters.h"
#include "blocks/output_settings.h"
#include "blocks/recalculation.h"
#include "blocks/user_registers.h"
#include "registers/encoding.h"

namespace qmx::test {
namespace {

// Floats whose shown texts lose digits: 0.00012345 ("%-11.4f" gives 0.0001),
// 2.4999998 ("%-E" gives 2.500000E+00), 20000002 (above the measuring limit
// of 1e7, still a configured value), 101.325 and -3.3333333.
constexpr RegisterPair kLossy[] = {
    {0x3901, 0x725B}, {0x401F, 0xFFFF}, {0x4B98, 0x9681}, {0x42CA, 0xA666}, {0xC055, 0x5555},
};

// Every float register the catalog declares, in the instrument.
void FillFloats(sim::Instrument& meter) {
  size_t n = 0;
  for (const Block* block : AllBlocks()) {
    for (const Field& field : block->fields) {
      const bool single = std::holds_alternative<FloatRef>(field.slot) ||
                          (std::holds_alternative<DoubleRef>(field.slot) && field.count == 2);
      if (!single || field.measured) continue;
      const RegisterPair pair = kLossy[n++ % std::size(kLossy)];
      meter.Set(field.reg, pair.first);
      meter.Set(static_cast<uint16_t>(field.reg + 1), pair.second);
    }
  }
}

// The words each read brought, by register (the last read of a register
// wins), and the words each write sent.
std::map<uint16_t, uint16_t> ReadWords(const sim::Bus& bus) {
  std::map<uint16_t, uint16_t> words;
  for (const sim::JournalEntry& entry : bus.journal()) {
    if (entry.function != 3 || entry.answer.size() < 5u + 2u * entry.count) continue;
    for (unsigned i = 0; i < entry.count; ++i) {
      words[static_cast<uint16_t>(entry.start + i)] =
          static_cast<uint16_t>(entry.answer[3 + 2 * i] << 8 | entry.answer[4 + 2 * i]);
    }
  }
  return words;
}

struct RoundTrip {
  const char* name;
  BlockOutcome (*read)(BlockContext&);
  BlockOutcome (*write)(BlockContext&);
};

// Registers a write sends from something else than its read: the lock, the
// command words and the reserved word written as 0, the clock (it runs on
// between the read and the write), the reference checksum (the computed one
// goes there).
bool ComputedByTheWrite(uint16_t reg) {
  return reg == 1278 || reg == 1279 || reg == 1826 || (reg >= 1056 && reg <= 1061);
}

TEST(RoundTripTest, AnUneditedWriteSendsBackEveryWordItRead) {
  const RoundTrip trips[] = {
      {"units and averaging", &Button10Click, &Button11Click},
      {"cut-off", &Button66Click, &Button67Click},
      {"units and cut-off (page)", &BitBtn6Click, &BitBtn7Click},
      {"output type", &Button12Click, &Button13Click},
      {"frequency output", &Button14Click, &Button15Click},
      {"forced frequency", &Button81Click, &Button82Click},
      {"pulse output", &Button16Click, &Button49Click},
      {"factory number and date", &Button26Click, &Button27Click},
      {"model and versions", &Button28Click, &Button29Click},
      {"byte gap", &Button30Click, &Button31Click},
      {"password", &Button53Click, &Button54Click},
      {"discrete flags", &Button68Click, &Button69Click},
      {"archive interval", &Button73Click, &Button74Click},
      {"frame number", &Button75Click, &Button76Click},
      {"cleaning time", &Button63Click, &Button64Click},
      {"external sensor parameters", &Button56Click, &Button57Click},
      {"external sensor calibration", &Button59Click, &Button60Click},
      {"recalculation program", &Button90Click, &Button91Click},
      {"user registers", &Button47Click, &Button48Click},
  };
  for (const RoundTrip& trip : trips) {
    SCOPED_TRACE(trip.name);
    InstrumentBench bench;
    bench.dialogs.SetFailureHandler({});
    sim::Bus& bus = bench.bus;
    sim::Instrument& meter = bench.meter;
    ScriptedDialogs& dialogs = bench.dialogs;
    BlockContext& ctx = bench.ctx;
    FillFloats(meter);

    ASSERT_EQ(trip.read(ctx), BlockOutcome::kDone);
    const std::map<uint16_t, uint16_t> read = ReadWords(bus);
    bus.ClearJournal();
    dialogs.AnswerYes(4);
    ASSERT_EQ(trip.write(ctx), BlockOutcome::kDone) << ::testing::PrintToString(dialogs.texts());
    int compared = 0;
    for (const sim::JournalEntry& entry : bus.journal()) {
      for (size_t i = 0; i < entry.values.size(); ++i) {
        const auto reg = static_cast<uint16_t>(entry.start + i);
        if (ComputedByTheWrite(reg)) continue;
        ASSERT_TRUE(read.contains(reg)) << "register " << reg << " written, never read";
        EXPECT_EQ(entry.values[i], read.at(reg)) << "register " << reg;
        ++compared;
      }
    }
    EXPECT_GT(compared, 0);
  }
}

}  // namespace
}  // namespace qmx::test
