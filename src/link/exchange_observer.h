// Somebody watching the line: the link tells an attached observer about
// every request it sends, every answer it reads and how each transaction
// ended.  The calls come on the link's own thread in the middle of the
// transaction, so an observer keeps them short (copy, never paint).  Without
// an observer the link does no extra work at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/clock.h"

namespace qmx {

class ExchangeObserver {
 public:
  // A request went on the line.  `repetitions` is 0 on the first attempt;
  // `description` names the operation of a write ("" for a read).
  virtual void OnRequest(const LocalTime& at, int64_t at_ms, unsigned repetitions,
                         std::string_view description, const uint8_t* bytes, size_t size) = 0;
  // What came back to that request (nothing at all is `size` 0).
  virtual void OnAnswer(const LocalTime& at, int64_t at_ms, const uint8_t* bytes, size_t size) = 0;
  // The transaction ended with `status` and `exception` after `duration_ms`,
  // repetitions and their pauses included.
  virtual void OnOutcome(const LocalTime& at, uint16_t status, uint16_t exception,
                         int64_t duration_ms) = 0;

 protected:
  ~ExchangeObserver() = default;
};

// "0x806E: не та длина ответа, чужой адрес, ..., был повтор" and, with an
// exception answer, its code and meaning; "0x0000: норма" for success.
std::string DescribeExchangeStatus(uint16_t status, uint16_t exception);

}  // namespace qmx
