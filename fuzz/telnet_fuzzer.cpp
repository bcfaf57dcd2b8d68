// Feeds an arbitrary server stream, cut at arbitrary places, through the
// Telnet parser and the negotiation answers of an RFC 2217 port.  Whatever
// a gateway sends must never crash, overrun or grow without bound; and the
// line's bytes that were escaped on the way must come back as they were.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/telnet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte sets the size of the pieces the stream arrives in.
  const size_t piece = 1 + data[0] % 16;
  qmx::telnet::Parser parser;
  qmx::telnet::Negotiator negotiator;
  std::vector<uint8_t> line;
  std::vector<qmx::telnet::Command> commands;
  for (size_t at = 1; at < size; at += piece) {
    const size_t n = size - at < piece ? size - at : piece;
    parser.Feed(data + at, n, &line, &commands);
  }
  if (line.size() > size) std::abort();
  for (const qmx::telnet::Command& command : commands) {
    if (command.payload.size() > size) std::abort();
    const std::vector<uint8_t> answer = negotiator.Answer(command);
    if (!answer.empty() && answer.size() != 3) std::abort();
  }
  // Escaped and parsed again, the line is itself.
  std::vector<uint8_t> escaped;
  qmx::telnet::AppendEscaped(line.data(), line.size(), &escaped);
  qmx::telnet::Parser again;
  std::vector<uint8_t> back;
  again.Feed(escaped.data(), escaped.size(), &back, &commands);
  if (back != line) std::abort();
  return 0;
}
