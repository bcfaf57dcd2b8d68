// The network ports of the program's settings: the lines of the settings
// file, the COM numbers they take, and what "--port" may name.
#include "link/network_port_list.h"

#include <gtest/gtest.h>

#include <fstream>

#include "port_test_util.h"

namespace qmx {
namespace {

TEST(NetworkPortListTest, ASettingIsKeptOnlyWhenNumberAddressAndMarginAreRight) {
  struct Row {
    const char* key;
    const char* address;
    const char* margin;
    bool ok;
    uint32_t margin_ms;
  };
  const Row rows[] = {
      {"COM20", "rfc2217://10.0.0.5:4001", "", true, 0},
      {"COM255", "tcp://10.0.0.5:4001", "150", true, 150},
      {"COM0", "tcp://10.0.0.5:4001", "", false, 0},
      {"COM256", "tcp://10.0.0.5:4001", "", false, 0},
      {"com20", "tcp://10.0.0.5:4001", "", false, 0},
      {"COM20", "10.0.0.5:4001", "", false, 0},
      {"COM20", "tcp://10.0.0.5:4001", "-1", false, 0},
      {"COM20", "tcp://10.0.0.5:4001", "10001", false, 0},
  };
  for (const Row& row : rows) {
    const auto entry = ParseNetworkPortSetting(row.key, row.address, row.margin);
    ASSERT_EQ(entry.has_value(), row.ok) << row.key << " " << row.address << " " << row.margin;
    if (row.ok) {
      EXPECT_EQ(entry->margin_ms, row.margin_ms);
    }
  }
  EXPECT_EQ(NetworkPortListProblem({{20, {}, 0}, {21, {}, 0}, {20, {}, 0}}),
            "COM20 указан дважды.");
  EXPECT_EQ(NetworkPortListProblem({{20, {}, 0}, {21, {}, 0}}), "");
}

TEST(NetworkPortListTest, APortArgumentIsANumberOrAnAddressListedOrNot) {
  std::vector<NetworkPortEntry> entries = {
      {20, {NetworkKind::kRfc2217, "10.0.0.5", 4001}, 0},
      {255, {NetworkKind::kRawTcp, "10.0.0.6", 4002}, 0},
  };
  EXPECT_EQ(ResolvePortArgument("3", &entries), 3);
  EXPECT_EQ(ResolvePortArgument("COM20", &entries), 20);
  EXPECT_EQ(ResolvePortArgument("rfc2217://10.0.0.5:4001", &entries), 20);
  EXPECT_EQ(entries.size(), 2u);
  // Not listed: a port of its own under the highest number left free.
  EXPECT_EQ(ResolvePortArgument("tcp://10.0.0.7:4003", &entries), 254);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].address, (NetworkAddress{NetworkKind::kRawTcp, "10.0.0.7", 4003}));
  for (const char* bad : {"0", "256", "COM", "tcp://10.0.0.7", "/dev/ttyUSB0"}) {
    EXPECT_FALSE(ResolvePortArgument(bad, &entries).has_value()) << bad;
  }
}

}  // namespace
}  // namespace qmx
