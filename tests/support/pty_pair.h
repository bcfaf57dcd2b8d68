// A pseudo-terminal pair standing in for a serial cable: the program under
// test opens the slave device by its path, the test plays the far end on the
// master side.
#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qmx::test {

class PtyPair {
 public:
  // Both sides raw.  The test keeps its own descriptor of the slave so the
  // line settings the program applied can be read back.
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  const std::string& slave_path() const { return slave_path_; }
  int master() const { return master_; }
  int slave() const { return slave_; }

  // Far end sends; true when every byte went out.
  bool Send(const std::vector<uint8_t>& bytes);
  // What the far end received within `timeout_ms` (up to `max` bytes).
  std::vector<uint8_t> Receive(size_t max, int timeout_ms);
  // The line settings of the slave as the kernel keeps them.
  termios LineSettings() const;
  // The far end disappears, as a USB converter pulled out does.
  void CloseMaster();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_path_;
};

}  // namespace qmx::test
