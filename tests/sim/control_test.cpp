// The control channel's commands, as an engineer or a script types them.
#include "sim/control.h"

#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace qmx::sim::test {
namespace {

class ControlTest : public SimTest {
 protected:
  std::string Do(const std::string& line) { return control_.Execute(line); }
  ControlInterpreter control_{bus_};
};

TEST_F(ControlTest, GetAndSetRegisters) {
  EXPECT_EQ(Do("get 1152 3"), "1152 = 1 (0x0001)\n1153 = 6 (0x0006)\n1154 = 0 (0x0000)\nok\n");
  EXPECT_EQ(Do("set 1841 0x20 7"), "ok\n");
  EXPECT_EQ(meter_.Get(1841), 0x20);
  EXPECT_EQ(meter_.Get(1842), 7);
  // A measured register holds what was set until released.
  EXPECT_EQ(Do("set 259 8192"), "ok\n");
  EXPECT_EQ(meter_.Get(259), 0x2000);
  EXPECT_EQ(Do("release 259"), "ok\n");
  EXPECT_EQ(meter_.Get(259), 0);
  EXPECT_EQ(Do("setfloat 1957 2.5"), "ok\n");
  EXPECT_EQ(meter_.Get(1957), 0x4020);

  EXPECT_EQ(Do("get 4"), "error: no such register\n");
  EXPECT_EQ(Do("set 1841 70000"), "error: bad value 70000\n");
  EXPECT_EQ(Do("get 300 126"), "error: bad count 126\n");
  EXPECT_EQ(Do("# a comment"), "");
  EXPECT_EQ(Do("frobnicate"), "error: cannot do 'frobnicate' like that (try help)\n");
}

TEST_F(ControlTest, SwitchesAndLine) {
  EXPECT_EQ(Do("protect on"), "ok\n");
  EXPECT_TRUE(meter_.write_protection());
  EXPECT_EQ(Do("init on"), "ok\n");
  EXPECT_TRUE(meter_.init_mode());
  EXPECT_EQ(Do("init maybe"), "error: say on or off\n");
  EXPECT_EQ(Do("line address=5 baud=9600 parity=even"), "ok\n");
  EXPECT_EQ(meter_.configured_line(), (InstrumentSettings{5, 9600, Parity::kEven}));
  EXPECT_EQ(meter_.active_line(), kInitLine);
  EXPECT_EQ(Do("line baud=14400"), "error: bad instrument setting 'baud=14400'\n");
  EXPECT_EQ(Do("instruments"),
            "*#1 address=5 baud=9600 parity=even init=on protect=on lock=closed\nok\n");
}

TEST_F(ControlTest, SelectsAmongInstruments) {
  Instrument& second = bus_.AddInstrument(InstrumentSettings{2, 19200, Parity::kNone});
  EXPECT_EQ(Do("select 2"), "ok\n");
  EXPECT_EQ(Do("protect on"), "ok\n");
  EXPECT_TRUE(second.write_protection());
  EXPECT_FALSE(meter_.write_protection());
  EXPECT_EQ(Do("select 3"), "error: no instrument 3\n");
  EXPECT_EQ(Do("select 0"), "error: no instrument 0\n");
}

TEST_F(ControlTest, FaultsByCommand) {
  EXPECT_EQ(Do("fault gap 3 50 x2"), "ok\n");
  EXPECT_EQ(Do("fault exception 4"), "ok\n");
  EXPECT_EQ(Do("faults"), "gap 3 50 x2\nexception 4\nok\n");
  // The exception answer breaks off after its third byte.
  EXPECT_EQ(Read(300, 1), 0x003A);
  EXPECT_EQ(exception_, 4);
  EXPECT_EQ(Do("clear-faults"), "ok\n");
  clock_.Advance(100);  // the rest of that answer comes and is purged
  EXPECT_EQ(Read(300, 1), 0);
  EXPECT_EQ(Do("fault gap 3"), "error: fault gap takes 2 number(s)\n");
  EXPECT_EQ(Do("fault lightning"), "error: unknown fault lightning\n");
  EXPECT_EQ(Do("fault noanswer x0"), "error: bad request count x0\n");
  EXPECT_EQ(Do("fault exception 256"), "error: bad number 256\n");
}

TEST_F(ControlTest, AFaultCanHitOneStepOfASequence) {
  // Only the second write of register 1046 from now, and executed.
  EXPECT_EQ(Do("fault lost on-write 1046 after 1 x1"), "ok\n");
  EXPECT_EQ(Do("faults"), "lost on-write 1046 after 1 x1\nok\n");
  EXPECT_EQ(Read(300, 1), 0);
  EXPECT_EQ(Write(1046, {1}), 0);  // the first write passes
  EXPECT_EQ(Read(1046, 1), 0);     // reads pass and do not count
  const unsigned blinks = meter_.blink_count();
  EXPECT_EQ(Write(1046, {1}), 0x006E);  // executed, its answer lost
  EXPECT_EQ(meter_.blink_count(), blinks + 1);
  EXPECT_EQ(Write(1046, {1}), 0);  // used up
  EXPECT_EQ(Do("faults"), "ok\n");
  EXPECT_EQ(Do("fault noanswer on-write 70000"), "error: bad on-write 70000\n");
}

TEST_F(ControlTest, JournalAndCounters) {
  ASSERT_EQ(Write(reg::kBlink, {1}), 0);
  ASSERT_EQ(Read(300, 1), 0);
  const std::string last = Do("journal 1");
  EXPECT_NE(last.find("19200 none @1: read 300 x1 | answered by #1 | req 01 03 01 2C 00 01"),
            std::string::npos)
      << last;
  EXPECT_EQ(last.find("1046"), std::string::npos);
  EXPECT_EQ(Do("counters"), "blink 1 latch 0 restart 0\nok\n");
  EXPECT_EQ(Do("clear-journal"), "ok\n");
  EXPECT_EQ(Do("journal"), "ok\n");
}

TEST_F(ControlTest, TimingAndQuit) {
  EXPECT_EQ(Do("pacing off"), "ok\n");
  EXPECT_FALSE(bus_.timing().pacing);
  EXPECT_EQ(Do("turnaround 0"), "ok\n");
  EXPECT_EQ(bus_.timing().turnaround_us, 0);
  EXPECT_FALSE(control_.quit_requested());
  EXPECT_EQ(Do("quit"), "ok\n");
  EXPECT_TRUE(control_.quit_requested());
}

TEST(InstrumentSpecTest, Parses) {
  InstrumentSettings s;
  std::string error;
  ASSERT_TRUE(ParseInstrumentSettings("address=5,baud=9600,parity=even", &s, &error));
  EXPECT_EQ(s, (InstrumentSettings{5, 9600, Parity::kEven}));
  ASSERT_TRUE(ParseInstrumentSettings("parity=odd", &s, &error));
  EXPECT_EQ(s, (InstrumentSettings{5, 9600, Parity::kOdd}));
  EXPECT_FALSE(ParseInstrumentSettings("address=0", &s, &error));
  EXPECT_FALSE(ParseInstrumentSettings("address=248", &s, &error));
  EXPECT_FALSE(ParseInstrumentSettings("speed=9600", &s, &error));
}

TEST_F(SimTest, LinkOpensAndSearchesThroughTheProvider) {
  // The program's own open and port enumeration against in-process ports.
  Bus other(clock_);
  other.AddInstrument(InstrumentSettings{3, 9600, Parity::kOdd});
  ports_.Attach(4, other);
  link_.ClosePort();
  EXPECT_EQ(link_.EnumeratePorts(), 2);
  EXPECT_EQ(link_.found_ports(), (std::vector<uint16_t>{1, 4}));
  ASSERT_TRUE(link_.OpenPort(4, 6, 8, 1, 1, 1000, 0).ok);
  ASSERT_NE(ports_.last_opened(), nullptr);
  EXPECT_EQ(ports_.last_opened()->config().baud, 9600u);
  EXPECT_EQ(ports_.last_opened()->config().stop_bits, 1);
  link_.line().baud_code = 6;
  link_.line().network_address = 3;
  EXPECT_EQ(Read(1032, 3), 0);
  EXPECT_FALSE(link_.OpenPort(5, 7, 8, 0, 1, 1000, 0).ok);
}

}  // namespace
}  // namespace qmx::sim::test
