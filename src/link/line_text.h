// The line parameters as the operator reads them in the summary labels.
#pragma once

#include <cstdint>
#include <string>

namespace qmx {

// The line in force (Label7, Label426): "COM3, 19200 , четный паритет ".
// An unknown baud code gives no baud text.
std::string LineSummaryText(uint16_t port_number, uint16_t baud_code, uint16_t parity_code);
// The settings proposed for the instrument (Label426 after a parity choice,
// Label208): "COM3, 19200 ,четный паритет ", with "?" for an unknown baud
// code and no blank before the parity text.
std::string ProposedLineSummaryText(uint16_t port_number, uint16_t baud_code, uint16_t parity_code);

}  // namespace qmx
