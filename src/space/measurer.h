// Measuring folders away from the UI thread: a walk of a large account takes seconds, and a
// window that does not answer for that long is marked "not responding" and killed by its user.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/ui_thread.h"

namespace space {

class Measurer {
 public:
  using Walk = std::function<platform::FolderSize(const std::string& path)>;
  // A walk that gives up, with figures that mean nothing, soon after `stop` turns true.
  using StoppableWalk =
      std::function<platform::FolderSize(const std::string& path, const std::atomic<bool>& stop)>;
  // Work for the measurer's thread; what it returns then runs on the UI thread.
  using Job = std::function<std::function<void()>(const Walk& walk)>;

  virtual ~Measurer() = default;
  // Runs `job` away from the UI thread with a walk of the file system at hand. Jobs run one at a
  // time, in the order they were given.
  virtual void run(Job job) = 0;

  // Walks the tree below `path` and hands its totals to `done` on the UI thread, later.
  void measure(const std::string& path, std::function<void(const platform::FolderSize&)> done) {
    run([path, done = std::move(done)](const Walk& walk) -> std::function<void()> {
      return [done, size = walk(path)] { done(size); };
    });
  }
};

// A Measurer with one thread of its own that runs the jobs with `walk` (which may use more threads
// inside) and reports through `ui`. Its destructor drops what has not started, stops the walk in
// progress (the flag handed to `walk` turns true) and waits for the job in hand, which reports
// nothing any more; so closing the program mid-way through a big account ends it at once. `ui`
// must outlive it.
std::unique_ptr<Measurer> makeBackgroundMeasurer(platform::UiThread& ui,
                                                 Measurer::StoppableWalk walk);

}  // namespace space
