// Measuring folders away from the UI thread: a walk of a large account takes seconds, and a
// window that does not answer for that long is marked "not responding" and killed by its user.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/timers.h"

namespace space {

class Measurer {
 public:
  using Done = std::function<void(const platform::FolderSize&)>;
  virtual ~Measurer() = default;
  // Walks the tree below `path` and hands its totals to `done` on the UI thread, later. Requests
  // are answered in the order they were made.
  virtual void measure(const std::string& path, Done done) = 0;
};

// A Measurer with one thread of its own that runs `walk` (which may use more threads inside) and
// reports through `ui`. Its destructor drops what has not started and waits for the walk in
// progress; `ui` must outlive it.
std::unique_ptr<Measurer> makeBackgroundMeasurer(
    platform::TimerHost& ui, std::function<platform::FolderSize(const std::string&)> walk);

}  // namespace space
