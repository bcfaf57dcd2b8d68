// The journal: what the instrument heard, in order, and how it answered.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace qmx::sim::test {
namespace {

TEST_F(SimTest, GuardedWriteSequence) {
  // The shape of every guarded write: state word, unlock, block, lock.
  ASSERT_EQ(Read(300, 1), 0);
  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(1840, {3, 25}), 0);
  ASSERT_EQ(Write(1856, {1}), 0);
  ASSERT_EQ(Lock(), 0);
  EXPECT_EQ(
      bus_.JournalSummary(),
      (std::vector<std::string>{"read 300 x1", "write 1278 x2 = 1, 1", "write 1840 x2 = 3, 25",
                                "write 1856 x1 = 1", "write 1278 x2 = 0, 0"}));
  for (const JournalEntry& e : bus_.journal()) {
    EXPECT_EQ(e.outcome, Outcome::kAnswered);
    EXPECT_EQ(e.instrument, 0);
    EXPECT_EQ(e.line.baud, 19200u);
    EXPECT_EQ(e.line.parity, Parity::kNone);
  }
}

TEST_F(SimTest, EntryCarriesRawBytesAndAnswer) {
  ASSERT_EQ(Read(300, 2), 0);
  const JournalEntry& e = Last();
  EXPECT_EQ(e.request, (std::vector<uint8_t>{0x01, 0x03, 0x01, 0x2C, 0x00, 0x02, 0x04, 0x3E}));
  EXPECT_TRUE(e.crc_ok);
  EXPECT_EQ(e.function, 3);
  EXPECT_EQ(e.start, 300);
  EXPECT_EQ(e.count, 2);
  ASSERT_EQ(e.answer.size(), 9u);
  EXPECT_EQ(e.answer[0], 1);
  EXPECT_EQ(e.answer[2], 4);

  ASSERT_EQ(Write(reg::kBlink, {1}), 0);
  EXPECT_EQ(Last().request, (std::vector<uint8_t>{0x01, 0x10, 0x04, 0x16, 0x00, 0x01, 0x02, 0x00,
                                                  0x01, 0x20, 0xA6}));
  EXPECT_EQ(Last().values, (std::vector<uint16_t>{1}));
  EXPECT_NE(Last().ToText().find("write 1046 x1 = 1 | answered"), std::string::npos);
}

TEST_F(SimTest, RefusalsRetriesAndSilenceAreRecorded) {
  link_.settings().retry_limit = 2;
  EXPECT_EQ(Write(1841, {50}), 0x801A);  // locked: refused twice
  Reattach(Line(9600, Parity::kNone));
  EXPECT_EQ(Read(300, 1), 0x806E);
  const auto& j = bus_.journal();
  ASSERT_EQ(j.size(), 4u);
  EXPECT_EQ(j[0].outcome, Outcome::kException);
  EXPECT_EQ(j[0].exception, meter_.refusal_code());
  EXPECT_EQ(j[1].Describe(), "write 1841 x1 = 50");
  EXPECT_EQ(j[2].outcome, Outcome::kLineMismatch);
  EXPECT_EQ(j[2].line.baud, 9600u);
  EXPECT_EQ(j[3].Describe(), "read 300 x1");
  // The repetition comes a second after the first attempt's time-out.
  EXPECT_GE(j[3].time_ms - j[2].time_ms, 1000 + 24 * 7 + 1000);
}

TEST_F(SimTest, NoiseIsRecordedAsNoise) {
  const uint8_t garbage[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
  bus_.Receive(garbage, sizeof garbage, LineConfig{}, 0, 573);
  EXPECT_EQ(Last().outcome, Outcome::kBadCrc);
  EXPECT_EQ(Last().Describe(), "noise");
  bus_.ClearJournal();
  EXPECT_TRUE(bus_.journal().empty());
}

TEST_F(SimTest, FrameSplitBySilenceAndJoinedAcrossWrites) {
  // A request written in two pieces is one frame when the pieces follow
  // closely, and two broken ones after 3.5 character times of silence.
  std::vector<uint8_t> frame{0x01, 0x03, 0x01, 0x2C, 0x00, 0x01};
  AppendSlaveCrc(frame);
  bus_.Receive(frame.data(), 3, LineConfig{}, 1000, 573);
  auto answer = bus_.Receive(frame.data() + 3, 5, LineConfig{}, 1000 + 3 * 573, 573);
  EXPECT_FALSE(answer.empty());
  EXPECT_EQ(Last().Describe(), "read 300 x1");

  bus_.Receive(frame.data(), 3, LineConfig{}, 100'000, 573);
  bus_.Receive(frame.data() + 3, 5, LineConfig{}, 100'000 + 2 * 573 + 2100, 573);
  bus_.Quiet(1'000'000);
  ASSERT_GE(bus_.journal().size(), 3u);
  EXPECT_EQ(bus_.journal()[bus_.journal().size() - 2].Describe(), "noise");
  EXPECT_EQ(Last().Describe(), "noise");
  EXPECT_TRUE(Last().answer.empty());
}

}  // namespace
}  // namespace qmx::sim::test
