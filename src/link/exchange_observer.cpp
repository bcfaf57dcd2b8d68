#include "link/exchange_observer.h"

#include <cstdio>

#include "link/exchange_status.h"

namespace qmx {
namespace {

struct BitName {
  uint16_t bit;
  const char* name;
};

// In the order the master checks them.
constexpr BitName kBitNames[] = {
    {kStatusLineError, "ошибка приёма (паритет)"},
    {kStatusWrongLength, "не та длина ответа"},
    {kStatusWrongAddress, "чужой адрес"},
    {kStatusWrongFunction, "не та функция"},
    {kStatusException, "исключение Modbus"},
    {kStatusCrcError, "ошибка CRC"},
    {kStatusNoAnswer, "нет ответа"},
    {kStatusRefusedBusy, "отклонён: идёт другой обмен"},
    {kStatusRefusedBadCount, "отклонён: недопустимое число регистров"},
    {kStatusRepeated, "был повтор"},
};

const char* ExceptionMeaning(uint16_t code) {
  switch (code) {
    case 1:
      return "неподдерживаемая функция";
    case 2:
      return "недопустимый адрес данных";
    case 3:
      return "недопустимое значение данных";
    case 4:
      return "отказ устройства";
    case 5:
      return "запрос принят, выполняется";
    case 6:
      return "устройство занято";
    default:
      return "код прибора";
  }
}

}  // namespace

std::string DescribeExchangeStatus(uint16_t status, uint16_t exception) {
  char head[16];
  std::snprintf(head, sizeof head, "0x%04X: ", static_cast<unsigned>(status));
  std::string text = head;
  if (status == 0) return text + "норма";
  bool first = true;
  for (const BitName& entry : kBitNames) {
    if ((status & entry.bit) == 0) continue;
    if (!first) text += ", ";
    first = false;
    text += entry.name;
  }
  if ((status & kStatusException) != 0) {
    char code[16];
    std::snprintf(code, sizeof code, " %02X", static_cast<unsigned>(exception));
    text += "; исключение";
    text += code;
    text += " — ";
    text += ExceptionMeaning(exception);
  }
  return text;
}

}  // namespace qmx
