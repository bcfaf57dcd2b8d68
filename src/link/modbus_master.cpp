// The two Modbus RTU transactions the program makes as master: function 3
// (read holding registers) and function 16 (write multiple registers).

#include <cstring>

#include "link/crc16.h"
#include "link/link.h"

namespace qmx {
namespace {

constexpr uint8_t kFunctionRead = 0x03;
constexpr uint8_t kFunctionWrite = 0x10;
constexpr uint8_t kExceptionBit = 0x80;

// Both frames of an attempt live in buffers of this size, zero-filled before
// every attempt.  The status checks read the answer buffer up to the expected
// length even when less came in; the zeros there are what make a short or
// missing answer fail exactly the checks it should.
constexpr size_t kFrameBufferSize = 256;

// Address 255 talks to whatever is on the line without judging its answer;
// address 0 accepts an answer from any address.
constexpr uint16_t kUncheckedAddress = 255;
constexpr uint16_t kAnyAddress = 0;

constexpr std::string_view kReadLimitNote =
    "Настройки TimeOut и RTTM не ограничивают ожидание ответа: ждём не дольше 2000 мс";

constexpr uint32_t kReceiveErrors =
    kLineErrorOverrun | kLineErrorParity | kLineErrorFraming | kLineErrorBreak;

// Marks the link busy for the life of a transaction, on every way out.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& flag_;
};

// Port operations.  Without an open port each one does nothing and a read
// gets no byte, so a transaction on a port that failed to open runs its
// usual course and ends with "nothing received".
void PurgePort(SerialPort* port) {
  if (port != nullptr) port->Purge();
}

uint32_t ClearLineErrors(SerialPort* port) {
  return port != nullptr ? port->ClearErrors() : 0;
}

void Send(SerialPort* port, const uint8_t* frame, size_t size) {
  // Neither the result nor the count of a write is examined: a request lost
  // on the way shows up as a missing or wrong answer.
  if (port != nullptr) port->Write(frame, size);
}

size_t Receive(SerialPort* port, uint8_t* answer, size_t size, const EventPump* pump) {
  return port != nullptr ? port->Read(answer, size, pump) : 0;
}

// Read time-outs of one attempt; a read the settings would leave without a
// total limit is noted in the exchange log.
void SetAttemptTimeouts(SerialPort* port, const LinkSettings& settings, ExchangeLog& log) {
  bool limited = false;
  const ReadTimeouts timeouts = AttemptReadTimeouts(settings, settings.line.baud_code, &limited);
  if (limited) log.Note(kReadLimitNote);
  if (port != nullptr) port->SetTimeouts(timeouts);
}

// Appends the CRC of the first `n` bytes, low byte first.
void PutCrc(uint8_t* frame, size_t n) {
  const uint16_t crc = Crc16(frame, n);
  frame[n] = static_cast<uint8_t>(crc & 0xFF);
  frame[n + 1] = static_cast<uint8_t>(crc >> 8);
}

uint8_t AddressByte(const LineParameters& line) {
  return static_cast<uint8_t>(line.network_address & 0xFF);
}

// Status bits of one attempt whose answer was expected to be `expected`
// bytes long.  Every check runs, whatever the earlier ones found.
uint16_t CheckAnswer(const uint8_t* answer, size_t received, size_t expected, uint8_t function,
                     const LineParameters& line, uint32_t line_errors, uint16_t* exception_code) {
  uint16_t status = 0;
  // Without parity checking the driver's error reports are not held against
  // the answer; its CRC judges it.
  if (line.parity_code != 0 && (line_errors & kReceiveErrors) != 0) status |= kStatusLineError;
  if (received != expected) status |= kStatusWrongLength;
  if (line.network_address != kAnyAddress && answer[0] != AddressByte(line)) {
    status |= kStatusWrongAddress;
  }
  if (answer[1] != function) status |= kStatusWrongFunction;
  if (answer[1] == (function | kExceptionBit)) {
    status |= kStatusException;
    *exception_code = answer[2];
  }
  // An exception frame is shorter than the expected answer: the CRC range
  // then covers the exception frame with its own CRC (which leaves 0) and
  // zeros, and compares equal with the zeros after it.
  const uint16_t sent_crc =
      static_cast<uint16_t>(answer[expected - 2] | (answer[expected - 1] << 8));
  if (Crc16(answer, expected - 2) != sent_crc) status |= kStatusCrcError;
  if (received == 0) status |= kStatusNoAnswer;
  return status;
}

unsigned AttemptLimit(const LinkSettings& settings) {
  return settings.retry_limit == 0 ? 1u : settings.retry_limit;
}

}  // namespace

uint16_t Link::ReadHoldingRegisters(uint16_t start, uint8_t count, uint16_t* values,
                                    uint16_t* exception) {
  if (exception != nullptr) *exception = 0;
  if (in_transaction_) return kStatusRefusedBusy;
  if (count == 0 || count > kMaxReadCount || values == nullptr) return kStatusRefusedBadCount;
  RestorePort();
  const uint16_t status = ReadTransaction(start, count, values, exception);
  ReleaseGonePort();
  return status;
}

uint16_t Link::WriteMultipleRegisters(uint16_t start, uint8_t count, const uint16_t* values,
                                      uint16_t* exception, std::string_view description) {
  if (exception != nullptr) *exception = 0;
  if (in_transaction_) return kStatusRefusedBusy;
  if (count == 0 || count > kMaxWriteCount || values == nullptr) return kStatusRefusedBadCount;
  RestorePort();
  const uint16_t status = WriteTransaction(start, count, values, exception, description);
  ReleaseGonePort();
  return status;
}

uint16_t Link::ReadTransaction(uint16_t start, uint8_t count, uint16_t* values,
                               uint16_t* exception) {
  BusyScope busy(in_transaction_);
  const int64_t started_ms = log_.TransactionStart();

  const size_t expected = 2u * count + 5;
  // Two bytes more than expected: a good answer then ends the read by the
  // interval time-out after its last byte instead of by the count.
  const size_t wanted = expected + 2;
  const EventPump* read_pump = pump_ ? &pump_ : nullptr;
  uint8_t request[kFrameBufferSize];
  uint8_t answer[kFrameBufferSize];
  unsigned repetitions = 0;
  uint16_t status = 0;
  uint16_t exception_code = 0;

  for (;;) {
    exception_code = 0;
    status = 0;
    std::memset(request, 0, sizeof request);
    std::memset(answer, 0, sizeof answer);

    request[0] = AddressByte(settings_.line);
    request[1] = kFunctionRead;
    request[2] = static_cast<uint8_t>(start >> 8);
    request[3] = static_cast<uint8_t>(start & 0xFF);
    request[4] = 0;
    request[5] = count;
    PutCrc(request, 6);

    // The port is looked up again after every pump: a handler run there may
    // have re-opened it.
    PurgePort(port_.get());
    PumpEvents();
    SetAttemptTimeouts(port_.get(), settings_, log_);
    PumpEvents();
    ClearLineErrors(port_.get());
    PumpEvents();
    Send(port_.get(), request, 8);
    PumpEvents();
    ClearLineErrors(port_.get());
    PumpEvents();
    log_.ReadRequest(repetitions, request, 8);

    PumpEvents();
    const size_t received = Receive(port_.get(), answer, wanted, read_pump);
    PumpEvents();
    log_.ReadAnswer(answer, received);

    PumpEvents();
    const uint32_t line_errors = ClearLineErrors(port_.get());
    PumpEvents();

    if (settings_.line.network_address == kUncheckedAddress) {
      log_.Outcome(0, 0, started_ms);
      return 0;
    }

    status = CheckAnswer(answer, received, expected, kFunctionRead, settings_.line, line_errors,
                         &exception_code);
    if ((status & settings_.retry_mask) == 0 || repetitions + 1 >= AttemptLimit(settings_)) break;
    ++repetitions;
    PumpEvents();
    WaitMs(kRetryPauseMs);
  }

  // Whatever came in is handed over even after a failure; zeros stand where
  // nothing was received.
  for (unsigned i = 0; i < count; ++i) {
    values[i] = static_cast<uint16_t>(answer[3 + 2 * i] << 8 | answer[4 + 2 * i]);
  }
  // Marked only when a request really went out again: a failure with a single
  // attempt allowed is not a repetition.
  if (repetitions > 0) status |= kStatusRepeated;
  log_.Outcome(status, exception_code, started_ms);
  if (exception != nullptr) *exception = exception_code;
  return status;
}

uint16_t Link::WriteTransaction(uint16_t start, uint8_t count, const uint16_t* values,
                                uint16_t* exception, std::string_view description) {
  BusyScope busy(in_transaction_);
  const int64_t started_ms = log_.TransactionStart();

  constexpr size_t kExpected = 8;
  const size_t request_size = 2u * count + 9;
  uint8_t request[kFrameBufferSize];
  uint8_t answer[kFrameBufferSize];
  unsigned repetitions = 0;
  uint16_t status = 0;
  uint16_t exception_code = 0;

  // Unlike the read, an attempt lets no events through: a write runs to its
  // end before any handler may touch the instrument again.
  for (;;) {
    exception_code = 0;
    status = 0;
    std::memset(request, 0, sizeof request);
    std::memset(answer, 0, sizeof answer);

    request[0] = AddressByte(settings_.line);
    request[1] = kFunctionWrite;
    request[2] = static_cast<uint8_t>(start >> 8);
    request[3] = static_cast<uint8_t>(start & 0xFF);
    request[4] = 0;
    request[5] = count;
    request[6] = static_cast<uint8_t>(2 * count);
    for (unsigned i = 0; i < count; ++i) {
      request[7 + 2 * i] = static_cast<uint8_t>(values[i] >> 8);
      request[8 + 2 * i] = static_cast<uint8_t>(values[i] & 0xFF);
    }
    PutCrc(request, request_size - 2);

    PurgePort(port_.get());
    SetAttemptTimeouts(port_.get(), settings_, log_);
    ClearLineErrors(port_.get());
    Send(port_.get(), request, request_size);
    ClearLineErrors(port_.get());
    log_.WriteRequest(description, request, request_size, repetitions);

    const size_t received = Receive(port_.get(), answer, kExpected, nullptr);
    log_.WriteAnswer(repetitions, answer, received);
    const uint32_t line_errors = ClearLineErrors(port_.get());

    if (settings_.line.network_address == kUncheckedAddress) {
      log_.Outcome(0, 0, started_ms);
      return 0;
    }

    // The echoed start and count are not compared with the request.
    status = CheckAnswer(answer, received, kExpected, kFunctionWrite, settings_.line, line_errors,
                         &exception_code);
    if ((status & settings_.retry_mask) == 0 || repetitions + 1 >= AttemptLimit(settings_)) break;
    ++repetitions;
    PumpEvents();
    WaitMs(kRetryPauseMs);
  }

  if (repetitions > 0) status |= kStatusRepeated;
  if (status != 0) log_.WriteStatus(status, exception_code);
  log_.Outcome(status, exception_code, started_ms);
  if (exception != nullptr) *exception = exception_code;
  return status;
}

}  // namespace qmx
