// Two pseudo-terminals joined back to back by a relay thread, so that two
// programs that each insist on opening a device path (our link and an
// independent Modbus peer) can talk as if over one cable.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace qmx::testing {

class PtyBridge {
 public:
  PtyBridge();
  ~PtyBridge();
  PtyBridge(const PtyBridge&) = delete;
  PtyBridge& operator=(const PtyBridge&) = delete;

  bool ok() const { return ok_; }
  // Device path of side A and of side B.
  const std::string& path_a() const { return path_a_; }
  const std::string& path_b() const { return path_b_; }
  // While set, bytes from B to A are swallowed (a peer that stays silent
  // towards side A).
  void MuteBToA(bool mute) { mute_b_to_a_ = mute; }

 private:
  void Relay();

  int master_a_ = -1;
  int master_b_ = -1;
  // Slave sides kept open so the masters never see a hang-up between the
  // peers' own opens and closes.
  int hold_a_ = -1;
  int hold_b_ = -1;
  std::string path_a_;
  std::string path_b_;
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<bool> mute_b_to_a_{false};
  std::thread relay_;
};

// A temporary directory removed with its contents when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace qmx::testing
