// The removal engine: the only Remover. It vets each target against the safety rules on the
// caller's thread, removes the tree on worker threads (folders of one tree are spread over all
// workers) and hands the report to the UI thread through TimerHost::post.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clean/removal_rules.h"
#include "clean/remover.h"
#include "platform/timers.h"

namespace clean {

// What one pass over a folder did.
struct FolderPass {
  enum class Kind {
    Emptied,     // every entry except real sub-folders is handled (see `remaining`)
    Missing,     // nothing is there: counts as removed
    NotAFolder,  // a file or a link: the caller removes the entry itself
    Unreadable,  // the folder could not be listed; `firstReason` says why
  };
  Kind kind = Kind::Emptied;
  std::vector<std::string> subfolders;  // bare names of real sub-folders, left to the caller
  std::uint64_t remaining = 0;          // entries that could not be removed
  std::string firstReason;
};

struct EntryOutcome {
  bool removed = false;  // also true when nothing was there
  std::string reason;    // why not, when not removed
};

// The OS side of removal. Paths arrive in the backend's own style, already vetted and canonical.
// Every method may be called from several threads at once and never throws.
class RemovalBackend {
 public:
  virtual ~RemovalBackend() = default;
  virtual PathStyle pathStyle() const = 0;
  // Removes every entry of folder `path` that is not a real folder: files, and links of any
  // kind, which are removed themselves and never followed. Clears read-only protection first.
  virtual FolderPass clearFolder(const std::string& path) = 0;
  // Removes `path` itself: an emptied folder, a file or a link (never what it points to).
  virtual EntryOutcome removeEntry(const std::string& path) = 0;
};

// `threads`: worker threads, capped at the number of cores (0: one per core). The engine's
// destructor finishes the work already handed to it; `ui` must outlive the engine.
std::unique_ptr<Remover> makeRemovalEngine(platform::TimerHost& ui,
                                           std::unique_ptr<RemovalBackend> backend,
                                           unsigned threads = 0);

}  // namespace clean
