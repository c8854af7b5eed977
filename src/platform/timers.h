// Timers and the UI-thread mailbox. A form's timers tick on the UI thread only; work finished on
// other threads reaches the UI thread through post().
#pragma once

#include <atomic>
#include <functional>

namespace platform {

class TimerHost {
 public:
  using Id = unsigned;
  virtual ~TimerHost() = default;
  // (Re)starts a repeating timer: the first tick comes one interval from now.
  virtual void start(Id id, unsigned intervalMs, std::function<void()> tick) = 0;
  virtual void stop(Id id) = 0;
  // Runs `fn` on the UI thread soon. Safe to call from any thread.
  virtual void post(std::function<void()> fn) = 0;
};

// A timer id no other timer of the process has.
inline TimerHost::Id newTimerId() {
  static std::atomic<TimerHost::Id> next{1};
  return next++;
}

}  // namespace platform
