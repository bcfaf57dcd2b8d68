// The line parameters as the operator reads them in the summary labels.
#pragma once

#include <cstdint>
#include <string>

#include "link/port_naming.h"

namespace qmx {

// The line in force (Label7, Label426): "COM3, 19200 , четный паритет ".
// An unknown baud code gives no baud text.
std::string LineSummaryText(uint16_t port_number, uint16_t baud_code, uint16_t parity_code);
// The settings proposed for the instrument (Label426 after a parity choice,
// Label208): "COM3, 19200 ,четный паритет ", with "?" for an unknown baud
// code and no blank before the parity text.
std::string ProposedLineSummaryText(uint16_t port_number, uint16_t baud_code, uint16_t parity_code);

// Why the port is not open, in a line the operator can act on:
// "Порт COM1 занят другой программой.", "Нет прав на порт COM1 (/dev/ttyUSB0):
// добавьте пользователя в группу dialout.", "Порт COM1 не найден.", "Нет
// соединения с COM20 (tcp://10.0.0.5:4001): разорвано."; "" for a
// cause the operator can do nothing about here.
std::string PortFailureText(const PortFailure& failure);

}  // namespace qmx
