// The Telnet layer of an RFC 2217 port against byte sequences: the parser
// keeps its place across any cut, IAC is escaped both ways, the negotiation
// answers only what changes, and the requests carry RFC 2217's codes.
#include "link/telnet.h"

#include <gtest/gtest.h>

#include <vector>

namespace qmx::telnet {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TelnetParserTest, LineDataAndCommandsComeApartWhereverTheStreamIsCut) {
  struct Row {
    const char* what;
    Bytes stream;
    Bytes data;
    std::vector<Command> commands;
  };
  const Row rows[] = {
      {"data, an escaped IAC, a negotiation, a subnegotiation",
       {0x01, kIac, kIac, 0x02, kIac, kWill, 44, kIac, kSb, 44, 101, 0, 0, 0x4B, 0, kIac, kSe, 3},
       {0x01, 0xFF, 0x02, 0x03},
       {{kWill, 44, {}}, {kSb, 44, {101, 0, 0, 0x4B, 0}}}},
      {"an escaped IAC inside a subnegotiation (baud rate 0x0000FFFF)",
       {kIac, kSb, 44, 101, 0, 0, kIac, kIac, kIac, kIac, kIac, kSe},
       {},
       {{kSb, 44, {101, 0, 0, 0xFF, 0xFF}}}},
      {"NOP, go-ahead, a subnegotiation broken off by a command",
       {0x10, kIac, 241, kIac, 249, kIac, kSb, 44, 1, kIac, kDo, 0, 0x20},
       {0x10, 0x20},
       {{kDo, 0, {}}}},
  };
  for (const Row& row : rows) {
    // Whole, and cut in two at every place (between IAC and IAC, IAC and
    // SE, inside a subnegotiation's payload...).
    for (size_t cut = 0; cut < row.stream.size(); ++cut) {
      Parser parser;
      Bytes data;
      std::vector<Command> commands;
      parser.Feed(row.stream.data(), cut, &data, &commands);
      parser.Feed(row.stream.data() + cut, row.stream.size() - cut, &data, &commands);
      EXPECT_EQ(data, row.data) << row.what << ", cut at " << cut;
      EXPECT_EQ(commands, row.commands) << row.what << ", cut at " << cut;
    }
  }
}

TEST(TelnetEscapeTest, EveryIacOfTheLineIsDoubledAndComesBackSingle) {
  const Bytes line = {0x01, 0xFF, 0xFF, 0x02, 0xFF};
  Bytes out;
  AppendEscaped(line.data(), line.size(), &out);
  EXPECT_EQ(out, (Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xFF, 0xFF}));
  Parser parser;
  Bytes back;
  std::vector<Command> commands;
  for (uint8_t byte : out) parser.Feed(&byte, 1, &back, &commands);
  EXPECT_EQ(back, line);
  EXPECT_TRUE(commands.empty());
}

TEST(TelnetNegotiatorTest, AnswersOnlyWhatChangesAndRefusesTheUnknown) {
  const std::pair<Command, Bytes> rows[] = {
      // Already announced by the opening: nothing more to say.
      {{kDo, kOptionComPort, {}}, {}},
      {{kDo, kOptionBinary, {}}, {}},
      {{kWill, kOptionBinary, {}}, {}},
      {{kWill, kOptionSuppressGoAhead, {}}, {}},
      // Options the client does not speak (echo).
      {{kDo, 1, {}}, {kIac, kWont, 1}},
      {{kWill, 1, {}}, {kIac, kDont, 1}},
      {{kDont, 1, {}}, {}},
      // A change is agreed to once, and not again.
      {{kDont, kOptionBinary, {}}, {kIac, kWont, kOptionBinary}},
      {{kDont, kOptionBinary, {}}, {}},
      {{kDo, kOptionBinary, {}}, {kIac, kWill, kOptionBinary}},
      {{kWont, kOptionSuppressGoAhead, {}}, {kIac, kDont, kOptionSuppressGoAhead}},
  };
  Negotiator negotiator;
  for (const auto& [command, answer] : rows) {
    EXPECT_EQ(negotiator.Answer(command), answer)
        << int{command.verb} << " " << int{command.option};
  }
}

TEST(TelnetRequestTest, OpeningAndLineRequestsCarryTheCodesOfTheComPortOption) {
  EXPECT_EQ(OpeningNegotiation(),
            (Bytes{kIac, kWill, 0, kIac, kDo, 0, kIac, kDo, 3, kIac, kWill, 44}));
  EXPECT_EQ(LineRequests(LineConfig{19200, Parity::kEven, 8, 1}),
            (Bytes{kIac, kSb, 44, 1, 0x00, 0x00, 0x4B, 0x00, kIac, kSe,  //
                   kIac, kSb, 44, 2, 8,    kIac, kSe,                    //
                   kIac, kSb, 44, 3, 3,    kIac, kSe,                    //
                   kIac, kSb, 44, 4, 1,    kIac, kSe,                    //
                   kIac, kSb, 44, 5, 1,    kIac, kSe}));
  // No parity, two stop bits; a value byte of 255 is escaped.
  const Bytes odd = LineRequests(LineConfig{0xFF, Parity::kNone, 8, 2});
  EXPECT_EQ(Bytes(odd.begin(), odd.begin() + 11),
            (Bytes{kIac, kSb, 44, 1, 0, 0, 0, kIac, kIac, kIac, kSe}));
  EXPECT_EQ(Bytes(odd.end() - 21, odd.end() - 7),
            (Bytes{kIac, kSb, 44, 3, 1, kIac, kSe, kIac, kSb, 44, 4, 2, kIac, kSe}));
  EXPECT_EQ(ComPortRequest(kPurgeData, {kPurgeBoth}), (Bytes{kIac, kSb, 44, 12, 3, kIac, kSe}));
}

}  // namespace
}  // namespace qmx::telnet
