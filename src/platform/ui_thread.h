// The UI thread as the rest of the program reaches it: its timers and its mailbox. A form's timers
// tick on the UI thread only; work finished on other threads reaches the UI thread through post().
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

namespace platform {

class UiThread {
 public:
  using Id = unsigned;
  virtual ~UiThread() = default;
  // (Re)starts a repeating timer: the first tick comes one interval from now.
  virtual void start(Id id, unsigned intervalMs, std::function<void()> tick) = 0;
  virtual void stop(Id id) = 0;
  // Runs `fn` on the UI thread soon. Safe to call from any thread.
  virtual void post(std::function<void()> fn) = 0;
};

// A timer id no other timer of the process has.
inline UiThread::Id newTimerId() {
  static std::atomic<UiThread::Id> next{1};
  return next++;
}

// What an object that hands out callbacks keeps so that none of them reaches it once it is gone
// (SumatraPDF's uitask::Post with its owner's check): each callback is wrapped by ifAlive. The
// callbacks run on the UI thread and the owner is destroyed there, so a call either runs whole
// on a live owner or not at all.
class Lifetime {
 public:
  Lifetime() = default;
  Lifetime(const Lifetime&) = delete;
  Lifetime& operator=(const Lifetime&) = delete;

  // `fn`, doing nothing once this Lifetime (and so its owner) is gone.
  template <typename F>
  auto ifAlive(F fn) const {
    return [alive = std::weak_ptr<const bool>(alive_), fn = std::move(fn)](auto&&... args) {
      if (!alive.expired()) fn(std::forward<decltype(args)>(args)...);
    };
  }

 private:
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace platform
