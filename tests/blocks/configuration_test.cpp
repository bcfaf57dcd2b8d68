// The instrument's configuration as a whole, against virtual instruments
// in virtual time: read all of it, keep it in a file, compare two, write
// only what differs to another instrument and verify it.
#include "config/configuration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "block_fixture.h"
#include "blocks/block_catalog.h"
#include "link/serial_port.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

ConfigReadResult ReadAll(InstrumentBench& bench) {
  return ReadConfiguration(bench.ctx, {}, "2026-12-09 10:00:00", "COM1", "test");
}

std::vector<std::string> Keys(std::span<const ConfigPart* const> parts) {
  std::vector<std::string> keys;
  for (const ConfigPart* part : parts) keys.emplace_back(part->key);
  return keys;
}

std::vector<std::string> Writes(const sim::Bus& bus) {
  std::vector<std::string> writes;
  for (const std::string& line : bus.JournalSummary()) {
    if (line.starts_with("write")) writes.push_back(line.substr(0, line.find(" =")));
  }
  return writes;
}

// Blocks of the catalog that belong to no part, and why.
const std::set<std::string_view> kNotConfiguration = {
    "измеренное значение внешнего датчика",  // measured values
    "коды АЦП внешнего датчика",             // measured values
    "код АЦП нуля давления",                 // a copy of 1925-1926, read only
    "параметры обмена для записи",           // what an exchange write stages
    "режим INIT",                            // the instrument's state
    "проверка прибора",                      // read before a byte-gap write
    "порядок байт",                          // read only
    "часы прибора",                          // the clock
    "номер текущего кадра",                  // the frame number
    "перезапуск",                            // commands
    "сброс накопленного объема",
    "сброс времени наработки",
    "включить очистку электродов",
    "выключить очистку электродов",
    "параметры модуля измерения",  // read only
    "страница параметров модуля измерения",
    "включить принудительную частоту",  // forcing the output: a test, not a setting
    "выключить принудительную частоту",
    "принудительная частота",
    "объем для передачи импульсами",  // a counter
};

TEST(ConfigurationCatalogTest, EveryBlockBelongsToExactlyOnePartOrIsNamedAsNone) {
  std::map<const Block*, int> owners;
  std::set<std::string_view> keys;
  for (const ConfigPart& part : ConfigurationParts()) {
    EXPECT_TRUE(keys.insert(part.key).second) << part.key;
    for (const Block* block : part.operation->blocks) ++owners[block];
  }
  for (const Block* block : AllBlocks()) {
    SCOPED_TRACE(std::string(block->name));
    const int count = owners.contains(block) ? owners[block] : 0;
    if (kNotConfiguration.contains(block->name)) {
      EXPECT_EQ(count, 0);
    } else {
      EXPECT_EQ(count, 1);
    }
  }
}

TEST(ConfigurationTest, AWholeReadTakesEveryPartAndTheIdentityNamesTheInstrument) {
  InstrumentBench bench;
  bench.meter.Set(1024, 41);
  bench.meter.Set(1025, 0x0001);
  bench.meter.Set(1026, 0x86A0);  // 100000
  bench.meter.Set(1028, 7);
  std::vector<size_t> progress;
  const ConfigReadResult read = ReadConfiguration(
      bench.ctx,
      [&](size_t done, size_t total, const ConfigPart&) {
        EXPECT_EQ(total, ConfigurationParts().size());
        progress.push_back(done);
        return true;
      },
      "2026-12-09 10:00:00", "COM1", "test");
  ASSERT_EQ(read.end, ConfigEnd::kDone);
  EXPECT_EQ(read.configuration.parts.size(), ConfigurationParts().size());
  EXPECT_EQ(progress.size(), ConfigurationParts().size() + 1);
  EXPECT_EQ(read.configuration.header.model, 41);
  EXPECT_EQ(read.configuration.header.factory_number, 100000u);
  EXPECT_EQ(read.configuration.header.software_version, 7);
  EXPECT_EQ(read.configuration.parts.at("recalculation").size(), 64u);
  // Only reads went over the line.
  EXPECT_THAT(Writes(bench.bus), IsEmpty());

  // A stop after the third part ends before the fourth.
  InstrumentBench stopped;
  const ConfigReadResult part_way = ReadConfiguration(
      stopped.ctx, [](size_t done, size_t, const ConfigPart&) { return done < 3; }, "", "", "");
  EXPECT_EQ(part_way.end, ConfigEnd::kStopped);
  EXPECT_EQ(part_way.configuration.parts.size(), 3u);
}

TEST(ConfigurationTest, TheFileKeepsEveryWordAndIsRefusedWhenDamagedOrNewer) {
  InstrumentBench bench;
  bench.meter.Set(1939, 0x3901);
  bench.meter.Set(1940, 0x725B);  // 0.00012345: its page shows 0.0001
  const Configuration read = ReadAll(bench).configuration;
  const std::string text = ConfigurationText(read);
  EXPECT_THAT(text, HasSubstr("\n1939 = 3901 725B ; 0.0001      ; параметры измерения"));
  const ConfigParse parsed = ParseConfiguration(text);
  ASSERT_TRUE(parsed.configuration) << parsed.error;
  EXPECT_EQ(parsed.configuration->parts, read.parts);
  EXPECT_EQ(ConfigurationText(*parsed.configuration), text);

  const auto replaced = [&](std::string_view from, std::string_view to) {
    std::string changed = text;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
  };
  const struct {
    std::string text;
    const char* error;
  } refused[] = {
      {replaced("format 1", "format 2"), "более новой версией"},
      {replaced("[units]", "[future-part]"), "неизвестен"},
      {replaced("1939 = 3901 725B", "1939 = 3901"), "нет регистра 1940"},
      {replaced("1939 = 3901 725B", "1939 = 39 725B"), "четыре шестнадцатеричные"},
      {replaced("1939 = 3901 725B", "1939 = 3901 725B 0000"), "повторяется"},
      {replaced("65528 = 0000", "65528 = 0000 0000 0000 0000 0000 0000 0000 0000 0000"),
       "не входит в блок"},
      {replaced("format 1\n", ""), "нет строки формата"},
      {std::string("format 1\nmodel 41\n\0", 19), "не текстовый"},
      {"format 1\nmodel 41\n", "ни одного блока"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.error);
    const ConfigParse bad = ParseConfiguration(c.text);
    EXPECT_FALSE(bad.configuration);
    EXPECT_THAT(bad.error, HasSubstr(c.error));
  }
}

class CopyTest : public ::testing::Test {
 protected:
  CopyTest() {
    a_.meter.Set(1024, 41);
    b_.meter.Set(1024, 41);
    b_.meter.Set(1025, 0);
    b_.meter.Set(1026, 777);  // B's own factory number
    a_.meter.Set(1841, 25);   // averaging
    a_.meter.Set(1952, 3);    // archive interval
    file_ = ReadAll(a_).configuration;
    // Another address in the file than either instrument has.
    file_.parts.at("exchange").at(1032) = 9;
    b_.dialogs.AnswerYes(1);
  }
  InstrumentBench a_;
  InstrumentBench b_;
  Configuration file_;
};

TEST_F(CopyTest, OnlyTheDifferingSettingsAreWrittenAndReadBack) {
  const Configuration before = ReadAll(b_).configuration;
  const std::vector<const ConfigPart*> parts =
      PartsToWrite(before, file_, CopiedGroups(false, false, false));
  EXPECT_THAT(Keys(parts), ElementsAre("units", "archive-interval"));
  b_.bus.ClearJournal();
  const ConfigWriteResult written =
      WriteConfiguration(b_.ctx, file_, parts, ProtectionAnswer::kAsk);
  EXPECT_EQ(written.end, ConfigEnd::kDone);
  EXPECT_TRUE(written.verified);
  EXPECT_FALSE(written.lock_open);
  // One unlock, the two parts with their transactions, one lock.
  EXPECT_THAT(Writes(b_.bus),
              ElementsAre("write 1278 x2", "write 1840 x2", "write 1856 x1", "write 1874 x1",
                          "write 1956 x1", "write 1952 x2", "write 1278 x2"));
  EXPECT_EQ(b_.meter.Get(1841), 25);
  EXPECT_FALSE(b_.meter.unlocked());
  const Configuration after = ReadAll(b_).configuration;
  EXPECT_THAT(PartsToWrite(after, file_, CopiedGroups(false, false, false)), IsEmpty());
  // B keeps its identity and its line.
  EXPECT_EQ(b_.meter.Get(1026), 777);
  EXPECT_EQ(b_.meter.Get(1032), 1);
  // The comparison still shows the identity as different.
  const std::vector<ComparedValue> compared = CompareConfigurations(after, file_);
  const auto number = std::find_if(compared.begin(), compared.end(),
                                   [](const ComparedValue& v) { return v.reg == 1026; });
  ASSERT_NE(number, compared.end());
  EXPECT_TRUE(number->differs);
  EXPECT_EQ(number->part->group, ConfigGroup::kIdentity);
}

TEST_F(CopyTest, AFailureInTheMiddleNamesItsPartAndClosesTheLock) {
  const Configuration before = ReadAll(b_).configuration;
  const std::vector<const ConfigPart*> parts =
      PartsToWrite(before, file_, CopiedGroups(false, false, false));
  sim::Fault refused;
  refused.kind = sim::FaultKind::kException;
  refused.value = 4;
  refused.on_write = 1952;
  b_.meter.AddFault(refused);
  b_.link.settings().retry_limit = 1;
  const ConfigWriteResult written =
      WriteConfiguration(b_.ctx, file_, parts, ProtectionAnswer::kAsk);
  EXPECT_EQ(written.end, ConfigEnd::kFailed);
  ASSERT_NE(written.failed, nullptr);
  EXPECT_EQ(written.failed->key, "archive-interval");
  EXPECT_THAT(Keys(written.written), ElementsAre("units"));
  EXPECT_FALSE(b_.meter.unlocked());
  EXPECT_EQ(b_.bus.JournalSummary().back(), "write 1278 x2 = 0, 0");
}

TEST_F(CopyTest, WriteProtectionRefusesBeforeAnythingIsSentWhenAskedTo) {
  b_.meter.SetWriteProtection(true);
  const Configuration before = ReadAll(b_).configuration;
  b_.bus.ClearJournal();
  const ConfigWriteResult written = WriteConfiguration(
      b_.ctx, file_, PartsToWrite(before, file_, CopiedGroups(0, 0, 0)), ProtectionAnswer::kRefuse);
  EXPECT_EQ(written.end, ConfigEnd::kRefused);
  EXPECT_THAT(Writes(b_.bus), IsEmpty());
}

TEST_F(CopyTest, BehindARawGatewayANewRateIsRefusedBeforeAnythingIsSent) {
  b_.ports.FixLine(1);
  file_.parts.at("exchange").at(1033) = 5;  // 4800
  const Configuration before = ReadAll(b_).configuration;
  b_.bus.ClearJournal();
  b_.dialogs.SetFailureHandler({});
  const ConfigWriteResult written = WriteConfiguration(
      b_.ctx, file_, PartsToWrite(before, file_, CopiedGroups(true, false, false)),
      ProtectionAnswer::kAsk);
  EXPECT_EQ(written.end, ConfigEnd::kStopped);
  EXPECT_THAT(Writes(b_.bus), IsEmpty());
  EXPECT_EQ(b_.dialogs.LastBox().text, kLineFixedText);
}

TEST_F(CopyTest, TheLineIsCopiedOnlyWhenAskedAndTheProgramFollowsTheInstrument) {
  const Configuration before = ReadAll(b_).configuration;
  const std::vector<const ConfigPart*> parts =
      PartsToWrite(before, file_, CopiedGroups(true, false, false));
  EXPECT_EQ(Keys(parts).back(), "exchange");
  const ConfigWriteResult written =
      WriteConfiguration(b_.ctx, file_, parts, ProtectionAnswer::kAsk);
  EXPECT_EQ(written.end, ConfigEnd::kDone);
  EXPECT_TRUE(written.moved);
  EXPECT_TRUE(written.verified);
  EXPECT_EQ(b_.link.line().network_address, 9);
  EXPECT_EQ(b_.bus.journal().back().address, 9);  // verified at the new address
  EXPECT_FALSE(b_.meter.unlocked());
}

TEST_F(CopyTest, AFileOfAnotherModelIsRefused) {
  b_.meter.Set(1024, 42);
  const Configuration before = ReadAll(b_).configuration;
  EXPECT_THAT(ModelMismatch(before, file_), HasSubstr("кодом модели 41"));
  EXPECT_THAT(ModelMismatch(ReadAll(a_).configuration, file_), IsEmpty());
}

}  // namespace
}  // namespace qmx::test
