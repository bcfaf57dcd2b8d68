// "qmx41-modbus config ...": the instrument's configuration from the command
// line, over a link that is already open.
//
//   config read FILE
//   config compare FILE [--with line|calibration|password]...
//   config write FILE [--with line|calibration|password]... [--yes]
//
// Exit status, as diff and cmp have it: read and write 0 when done (write:
// only when the instrument then holds what the file says), 1 when the
// exchange failed, the instrument refused or the operator said no; compare
// 0 when the groups a write would copy hold no difference, 1 when they do;
// 2 on bad arguments or a file that is refused (damaged, newer, another
// model).  Identity differences are printed and never count.
#pragma once

#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "link/link.h"

namespace qmx {

struct ConfigCommandIo {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // The operator's answer to "write?": true for yes.
  std::function<bool()> confirm;
  // The date and time of a read, and the program's name and version.
  std::string now;
  std::string program;
};

// `args` are the words after "config".
int RunConfigCommand(Link& link, std::span<const std::string_view> args, const ConfigCommandIo& io);

}  // namespace qmx
