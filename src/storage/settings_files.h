// The link's own settings files, "dev.dat" and "to.dat", read once at
// start-up.  A missing file is created with its defaults and every value read
// is written straight back, so that after the first start both files list
// every key with the value in use.  The write-backs are best effort: in a
// directory that cannot be written the program still starts with the file's
// values or the defaults.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/link_settings.h"

namespace qmx {

// The process's current directory, or "." when it cannot be named (removed
// under the running program).
std::string CurrentDirectory();
// `dir` and `name` joined with "/"; an empty `dir` leaves `name` as it is.
std::string JoinPath(const std::string& dir, const std::string& name);

// Baud code and parity code of a "Settings" text such as "19200,N,8,1".
// Every baud rate text found anywhere in it counts, the highest rate last,
// and the last one found wins (7 = 19200 when there is none).  Parity: "N"
// none (0), then "E" even (2), then "O" odd (1), again the last found winning.
void ParseLineSettingsText(std::string_view text, uint16_t* baud_code, uint16_t* parity_code);

// "dev.dat" of `directory`: line parameters, retries, time-out constant, the
// two time gaps and the exchange log; the proposed exchange settings start
// equal to the line's.  The time-out table is left alone.  In both files an
// integer is cut to 16 bits, a negative one is taken as the key's default,
// and the value taken is written back.
void LoadLinkSettings(LinkSettings& settings, const std::string& directory);
void LoadLinkSettings(LinkSettings& settings);

// "to.dat" of `directory`: the per-baud read time-outs.
void LoadTimeouts(TimeoutTable& table, const std::string& directory);
void LoadTimeouts(TimeoutTable& table);

}  // namespace qmx
