// Feeds arbitrary text into the configuration file's parser, and what it
// accepts back through the writer and the comparison: a file from anywhere
// must never crash the program, and what is accepted must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const qmx::ConfigParse parse = qmx::ParseConfiguration(text);
  if (!parse.configuration) return 0;
  const qmx::ConfigParse again =
      qmx::ParseConfiguration(qmx::ConfigurationText(*parse.configuration));
  if (!again.configuration || again.configuration->parts != parse.configuration->parts)
    std::abort();
  qmx::CompareConfigurations(*parse.configuration, *again.configuration);
  return 0;
}
