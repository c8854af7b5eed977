// The one way Velmora deletes anything. Forms hand a folder to a Remover and learn the outcome
// later, on the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/removal_reason.h"

namespace clean {

using platform::RemovalReason;

struct RemovalReport {
  std::string target;
  bool refused = false;              // the target failed the safety rules; nothing was touched
  bool gone = false;                 // the folder no longer exists
  std::uint64_t remaining = 0;       // files and folders below the target when the removal ended
  std::uint64_t remainingFiles = 0;  // of them, the files and links: what a user would count
  RemovalReason firstReason = RemovalReason::None;  // why the first entry stayed; None when gone
  std::uint64_t removedFiles = 0;                   // files and links removed
  std::uint64_t removedBytes = 0;                   // what they held: the space given back
};

class Remover {
 public:
  using Done = std::function<void(const RemovalReport&)>;
  // Files removed and bytes given back so far by one removal.
  using Progress = std::function<void(std::uint64_t files, std::uint64_t bytes)>;
  virtual ~Remover() = default;
  // Starts removing `target` (and the folder itself) in the background and returns at once.
  // `accountRoot` is the current account folder: the target must lie strictly inside it.
  // `done` runs on the UI thread when the job ends; `progress`, when given, a few times a second
  // while it runs.
  virtual void remove(const std::string& target, const std::string& accountRoot, Done done,
                      Progress progress = {}) = 0;
  // Removes the folder `target` only if it is empty, under the same rules; `done` says whether it
  // is gone (NotEmpty when something is in it).
  virtual void removeIfEmpty(const std::string& target, const std::string& accountRoot,
                             Done done) = 0;
};

}  // namespace clean
