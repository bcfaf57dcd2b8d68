// The Telnet layer of an RFC 2217 port against byte sequences: the parser
// keeps its place across any cut, IAC is escaped both ways, the negotiation
// answers only what changes, and the line requests carry RFC 2217's codes.
#include "link/telnet.h"

#include <gtest/gtest.h>

#include <vector>

namespace qmx::telnet {
namespace {

using Bytes = std::vector<uint8_t>;

struct Parsed {
  Bytes data;
  std::vector<Command> commands;
};

// Feeds `stream` cut at every position in `cuts`.
Parsed FeedCut(const Bytes& stream, std::vector<size_t> cuts) {
  Parser parser;
  Parsed out;
  size_t from = 0;
  cuts.push_back(stream.size());
  for (size_t cut : cuts) {
    parser.Feed(stream.data() + from, cut - from, &out.data, &out.commands);
    from = cut;
  }
  return out;
}

TEST(TelnetParserTest, LineDataAndCommandsComeApartWhereverTheStreamIsCut) {
  // 0x01 IAC IAC 0x02 | IAC WILL COM-PORT | IAC SB 44 101 00 00 4B 00 IAC SE | 0x03
  const Bytes stream = {0x01,           kIac, kIac, 0x02, kIac, kWill, kOptionComPort, kIac, kSb,
                        kOptionComPort, 101,  0x00, 0x00, 0x4B, 0x00,  kIac,           kSe,  0x03};
  const Bytes data = {0x01, 0xFF, 0x02, 0x03};
  const std::vector<Command> commands = {{kWill, kOptionComPort, {}},
                                         {kSb, kOptionComPort, {101, 0x00, 0x00, 0x4B, 0x00}}};
  // Whole; the doubled IAC cut between its two bytes; the subnegotiation
  // cut in its payload and between its IAC and SE; every single byte apart.
  std::vector<std::vector<size_t>> cut_sets = {{}, {2}, {12}, {16}, {5, 9, 16}};
  std::vector<size_t> every;
  for (size_t i = 1; i < stream.size(); ++i) every.push_back(i);
  cut_sets.push_back(every);
  for (const auto& cuts : cut_sets) {
    const Parsed parsed = FeedCut(stream, cuts);
    EXPECT_EQ(parsed.data, data) << "cuts: " << cuts.size();
    EXPECT_EQ(parsed.commands, commands) << "cuts: " << cuts.size();
  }
}

TEST(TelnetParserTest, EscapedIacInsideASubnegotiationIsOneByteOfItsPayload) {
  // A baud rate of 0x0000FFFF comes as 00 00 FF FF FF FF.
  const Bytes stream = {kIac, kSb, kOptionComPort, 101, 0, 0, kIac, kIac, kIac, kIac, kIac, kSe};
  for (size_t cut : {0u, 7u, 8u, 11u}) {
    const Parsed parsed = FeedCut(stream, cut == 0 ? std::vector<size_t>{} : std::vector{cut});
    ASSERT_EQ(parsed.commands.size(), 1u);
    EXPECT_EQ(parsed.commands[0].payload, (Bytes{101, 0, 0, 0xFF, 0xFF}));
    EXPECT_TRUE(parsed.data.empty());
  }
}

TEST(TelnetParserTest, OneByteCommandsAndBrokenSubnegotiationsLeaveNoLineData) {
  // NOP, go-ahead and a subnegotiation broken off by a new command: only
  // the command and the data after it remain.
  const Bytes stream = {0x10,           kIac, 241,  kIac, 249,           kIac, kSb,
                        kOptionComPort, 1,    kIac, kDo,  kOptionBinary, 0x20};
  const Parsed parsed = FeedCut(stream, {});
  EXPECT_EQ(parsed.data, (Bytes{0x10, 0x20}));
  EXPECT_EQ(parsed.commands, (std::vector<Command>{{kDo, kOptionBinary, {}}}));
}

TEST(TelnetEscapeTest, EveryIacOfTheLineIsDoubled) {
  const Bytes line = {0x01, 0xFF, 0xFF, 0x02, 0xFF};
  Bytes out;
  AppendEscaped(line.data(), line.size(), &out);
  EXPECT_EQ(out, (Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xFF, 0xFF}));
  // And the parser takes them back to the line's bytes.
  EXPECT_EQ(FeedCut(out, {2, 7}).data, line);
}

TEST(TelnetNegotiatorTest, AnswersOnlyWhatChangesAndRefusesTheUnknown) {
  struct Row {
    Command command;
    Bytes answer;
  };
  const Row rows[] = {
      // Already announced by the opening: nothing more to say.
      {{kDo, kOptionComPort, {}}, {}},
      {{kDo, kOptionBinary, {}}, {}},
      {{kWill, kOptionBinary, {}}, {}},
      {{kWill, kOptionSuppressGoAhead, {}}, {}},
      // Options the client does not speak.
      {{kDo, 1, {}}, {kIac, kWont, 1}},    // echo
      {{kWill, 1, {}}, {kIac, kDont, 1}},  // echo
      {{kDont, 1, {}}, {}},
      // A change is agreed to once, and not again.
      {{kDont, kOptionBinary, {}}, {kIac, kWont, kOptionBinary}},
      {{kDont, kOptionBinary, {}}, {}},
      {{kDo, kOptionBinary, {}}, {kIac, kWill, kOptionBinary}},
      {{kWont, kOptionSuppressGoAhead, {}}, {kIac, kDont, kOptionSuppressGoAhead}},
  };
  Negotiator negotiator;
  for (const Row& row : rows) {
    EXPECT_EQ(negotiator.Answer(row.command), row.answer)
        << int{row.command.verb} << " " << int{row.command.option};
  }
  EXPECT_FALSE(negotiator.server_com_port());
  negotiator.Answer({kWill, kOptionComPort, {}});
  EXPECT_TRUE(negotiator.server_com_port());
}

TEST(TelnetRequestTest, OpeningAndLineRequestsCarryTheCodesOfTheComPortOption) {
  EXPECT_EQ(OpeningNegotiation(),
            (Bytes{kIac, kWill, 0, kIac, kDo, 0, kIac, kDo, 3, kIac, kWill, 44}));
  const LineConfig even{19200, Parity::kEven, 8, 1};
  EXPECT_EQ(LineRequests(even), (Bytes{kIac, kSb, 44, 1, 0x00, 0x00, 0x4B, 0x00, kIac, kSe,  //
                                       kIac, kSb, 44, 2, 8,    kIac, kSe,                    //
                                       kIac, kSb, 44, 3, 3,    kIac, kSe,                    //
                                       kIac, kSb, 44, 4, 1,    kIac, kSe}));
  // No parity, two stop bits; a value byte of 255 is escaped.
  const Bytes odd_rate = LineRequests(LineConfig{0xFF, Parity::kNone, 8, 2});
  EXPECT_EQ(Bytes(odd_rate.begin(), odd_rate.begin() + 11),
            (Bytes{kIac, kSb, 44, 1, 0, 0, 0, kIac, kIac, kIac, kSe}));
  EXPECT_EQ(Bytes(odd_rate.end() - 14, odd_rate.end()),
            (Bytes{kIac, kSb, 44, 3, 1, kIac, kSe, kIac, kSb, 44, 4, 2, kIac, kSe}));
  EXPECT_EQ(ComPortRequest(kPurgeData, {kPurgeBoth}), (Bytes{kIac, kSb, 44, 12, 3, kIac, kSe}));
}

}  // namespace
}  // namespace qmx::telnet
