// The Telnet layer of an RFC 2217 serial server: the stream parser that
// separates the line's bytes from the server's commands, the escaping of
// IAC in what we send, and the COM-PORT-CONTROL requests that set the remote
// line and purge it.  Pure byte work, no sockets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/serial_port.h"

namespace qmx::telnet {

inline constexpr uint8_t kIac = 255;
inline constexpr uint8_t kDont = 254;
inline constexpr uint8_t kDo = 253;
inline constexpr uint8_t kWont = 252;
inline constexpr uint8_t kWill = 251;
inline constexpr uint8_t kSb = 250;
inline constexpr uint8_t kSe = 240;

inline constexpr uint8_t kOptionBinary = 0;
inline constexpr uint8_t kOptionSuppressGoAhead = 3;
inline constexpr uint8_t kOptionComPort = 44;

// COM-PORT-CONTROL commands, client to server; the server answers each with
// the same command plus kServerOffset.
enum ComPortCommand : uint8_t {
  kSetBaudRate = 1,
  kSetDataSize = 2,
  kSetParity = 3,
  kSetStopSize = 4,
  kSetControl = 5,
  kPurgeData = 12,
};
inline constexpr uint8_t kServerOffset = 100;

// SET-CONTROL values: no flow control, and the modem lines.
inline constexpr uint8_t kControlNoFlowControl = 1;
inline constexpr uint8_t kControlDtrOn = 8;
inline constexpr uint8_t kControlDtrOff = 9;
inline constexpr uint8_t kControlRtsOn = 11;
inline constexpr uint8_t kControlRtsOff = 12;
// PURGE-DATA: both the receive and the transmit buffer of the server.
inline constexpr uint8_t kPurgeBoth = 3;

// A command the server sent: a negotiation verb (kWill, kWont, kDo, kDont)
// with its option, or a subnegotiation (kSb) with its payload, unescaped.
struct Command {
  uint8_t verb = 0;
  uint8_t option = 0;
  std::vector<uint8_t> payload;
  bool operator==(const Command&) const = default;
};

// Splits the server's stream into line data and commands.  Any cut between
// two reads is fine: an IAC at the end of one read, a subnegotiation in two
// pieces; the parser keeps its place.
class Parser {
 public:
  void Feed(const uint8_t* bytes, size_t size, std::vector<uint8_t>* data,
            std::vector<Command>* commands);
  // Back to the start of a fresh connection.
  void Reset() { *this = Parser(); }

 private:
  enum class State : uint8_t { kData, kIac, kVerb, kSubOption, kSub, kSubIac };
  // A subnegotiation longer than this is a broken stream; its payload is
  // dropped and the parser waits for its end.
  static constexpr size_t kMaxPayload = 64;

  State state_ = State::kData;
  uint8_t verb_ = 0;
  Command sub_;
  bool sub_overflow_ = false;
};

// Appends `size` bytes of line data to `out` with every 255 doubled.
void AppendEscaped(const uint8_t* bytes, size_t size, std::vector<uint8_t>* out);

// The negotiation a client opens with: it will send binary and speak
// COM-PORT-CONTROL, and asks the server for binary and no go-aheads.
std::vector<uint8_t> OpeningNegotiation();

// The client's answer to one negotiation command of the server, given what
// it has already agreed (an answer only when something changes, so two ends
// never loop); empty when nothing need be said.
class Negotiator {
 public:
  std::vector<uint8_t> Answer(const Command& command);
  bool server_com_port() const { return server_com_port_; }

 private:
  // Options the client does / asked the server to do, as OpeningNegotiation
  // has already announced them.
  bool we_binary_ = true;
  bool we_com_port_ = true;
  bool they_binary_ = true;
  bool they_sga_ = true;
  bool server_com_port_ = false;
};

// IAC SB COM-PORT-OPTION command value... IAC SE, the value escaped.
std::vector<uint8_t> ComPortRequest(uint8_t command, const std::vector<uint8_t>& value);
// The requests that put the server's line to `config`: rate, data bits,
// parity, stop bits, and no flow control.
std::vector<uint8_t> LineRequests(const LineConfig& config);

}  // namespace qmx::telnet
