// Receive errors counted by the UART driver become the line-error bits that
// the master turns into its status: every counter to its own bit, the
// driver's buffer overrun to the overrun bit, and nothing when nothing moved.
#include <gtest/gtest.h>

#include <climits>

#include "link/posix_serial_port.h"

namespace qmx {
namespace {

TEST(LineErrorsTest, EachMovedCounterSetsItsBitAndOnlyThat) {
  const LineErrorCounts before{3, 4, 5, 6, 7};
  EXPECT_EQ(LineErrorsBetween(before, before), 0u);

  struct Case {
    int LineErrorCounts::*counter;
    uint32_t bit;
  };
  const Case cases[] = {{&LineErrorCounts::frame, kLineErrorFraming},
                        {&LineErrorCounts::overrun, kLineErrorOverrun},
                        {&LineErrorCounts::buf_overrun, kLineErrorOverrun},
                        {&LineErrorCounts::parity, kLineErrorParity},
                        {&LineErrorCounts::brk, kLineErrorBreak}};
  uint32_t all = 0;
  LineErrorCounts every = before;
  for (const Case& c : cases) {
    LineErrorCounts now = before;
    now.*c.counter += 1;
    every.*c.counter += 2;
    EXPECT_EQ(LineErrorsBetween(before, now), c.bit);
    all |= c.bit;
  }
  EXPECT_EQ(LineErrorsBetween(before, every), all);
  EXPECT_EQ(all,
            uint32_t{kLineErrorFraming | kLineErrorOverrun | kLineErrorParity | kLineErrorBreak});
}

TEST(LineErrorsTest, CounterThatWrappedAroundStillCounts) {
  LineErrorCounts before;
  before.parity = INT_MAX;
  LineErrorCounts now;
  now.parity = INT_MIN;
  EXPECT_EQ(LineErrorsBetween(before, now), uint32_t{kLineErrorParity});
}

}  // namespace
}  // namespace qmx
