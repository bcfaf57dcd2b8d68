#include "link/telnet.h"

namespace qmx::telnet {

void Parser::Feed(const uint8_t* bytes, size_t size, std::vector<uint8_t>* data,
                  std::vector<Command>* commands) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = bytes[i];
    switch (state_) {
      case State::kData:
        if (b == kIac) {
          state_ = State::kIac;
        } else {
          data->push_back(b);
        }
        break;
      case State::kIac:
        if (b == kIac) {
          data->push_back(kIac);
          state_ = State::kData;
        } else if (b >= kWill && b <= kDont) {
          verb_ = b;
          state_ = State::kVerb;
        } else if (b == kSb) {
          state_ = State::kSubOption;
        } else {
          // NOP, go-ahead, a stray SE and the other one-byte commands mean
          // nothing to a serial line.
          state_ = State::kData;
        }
        break;
      case State::kVerb:
        commands->push_back(Command{verb_, b, {}});
        state_ = State::kData;
        break;
      case State::kSubOption:
        sub_ = Command{kSb, b, {}};
        sub_overflow_ = false;
        state_ = State::kSub;
        break;
      case State::kSub:
        if (b == kIac) {
          state_ = State::kSubIac;
        } else if (sub_.payload.size() < kMaxPayload) {
          sub_.payload.push_back(b);
        } else {
          sub_overflow_ = true;
        }
        break;
      case State::kSubIac:
        if (b == kSe) {
          if (!sub_overflow_) commands->push_back(std::move(sub_));
          sub_ = Command{};
          state_ = State::kData;
        } else if (b == kIac) {
          if (sub_.payload.size() < kMaxPayload) {
            sub_.payload.push_back(kIac);
          } else {
            sub_overflow_ = true;
          }
          state_ = State::kSub;
        } else {
          // IAC followed by anything else inside a subnegotiation: the
          // server broke it off; what follows is a command of its own.
          sub_ = Command{};
          state_ = State::kIac;
          --i;
        }
        break;
    }
  }
}

void AppendEscaped(const uint8_t* bytes, size_t size, std::vector<uint8_t>* out) {
  for (size_t i = 0; i < size; ++i) {
    out->push_back(bytes[i]);
    if (bytes[i] == kIac) out->push_back(kIac);
  }
}

std::vector<uint8_t> OpeningNegotiation() {
  return {kIac, kWill, kOptionBinary,          kIac, kDo,   kOptionBinary,
          kIac, kDo,   kOptionSuppressGoAhead, kIac, kWill, kOptionComPort};
}

std::vector<uint8_t> Negotiator::Answer(const Command& command) {
  const uint8_t option = command.option;
  switch (command.verb) {
    case kDo:
    case kDont: {
      const bool wanted = command.verb == kDo;
      bool* state = option == kOptionBinary    ? &we_binary_
                    : option == kOptionComPort ? &we_com_port_
                                               : nullptr;
      if (state == nullptr) {
        // Options we do not speak: refuse what is asked, say nothing to a
        // DONT (we never do them anyway).
        return wanted ? std::vector<uint8_t>{kIac, kWont, option} : std::vector<uint8_t>{};
      }
      if (*state == wanted) return {};
      *state = wanted;
      return {kIac, wanted ? kWill : kWont, option};
    }
    case kWill:
    case kWont: {
      const bool offered = command.verb == kWill;
      if (option == kOptionComPort) {
        // The server's side of COM-PORT-CONTROL is its answers; nothing to
        // agree to.
        server_com_port_ = offered;
        return {};
      }
      bool* state = option == kOptionBinary            ? &they_binary_
                    : option == kOptionSuppressGoAhead ? &they_sga_
                                                       : nullptr;
      if (state == nullptr) {
        return offered ? std::vector<uint8_t>{kIac, kDont, option} : std::vector<uint8_t>{};
      }
      if (*state == offered) return {};
      *state = offered;
      return {kIac, offered ? kDo : kDont, option};
    }
    default:
      if (command.verb == kSb && option == kOptionComPort) server_com_port_ = true;
      return {};
  }
}

std::vector<uint8_t> ComPortRequest(uint8_t command, const std::vector<uint8_t>& value) {
  std::vector<uint8_t> out = {kIac, kSb, kOptionComPort, command};
  AppendEscaped(value.data(), value.size(), &out);
  out.push_back(kIac);
  out.push_back(kSe);
  return out;
}

std::vector<uint8_t> LineRequests(const LineConfig& config) {
  std::vector<uint8_t> out;
  auto add = [&out](uint8_t command, std::vector<uint8_t> value) {
    const std::vector<uint8_t> request = ComPortRequest(command, value);
    out.insert(out.end(), request.begin(), request.end());
  };
  const uint32_t baud = config.baud;
  add(kSetBaudRate, {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                     static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)});
  add(kSetDataSize, {config.byte_size});
  // RFC 2217 numbers parity 1 none, 2 odd, 3 even.
  add(kSetParity, {static_cast<uint8_t>(static_cast<uint8_t>(config.parity) + 1)});
  add(kSetStopSize, {config.stop_bits == 2 ? uint8_t{2} : uint8_t{1}});
  // An RS-485 line has no handshake: a gateway left at hardware flow control
  // would hold every request back.
  add(kSetControl, {kControlNoFlowControl});
  return out;
}

}  // namespace qmx::telnet
