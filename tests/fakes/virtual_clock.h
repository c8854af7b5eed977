// A UiThread on virtual time: advance() fires due timers in time order (ties in start order) and
// runs posted work first. It is re-entrant, so a fake message box can let time pass while "open",
// as the real modal loop does. Work may be posted from any thread (the engines' workers report
// so); the test thread runs it, by advance() or by pumping as a UI thread's loop would.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "platform/ui_thread.h"

namespace fakes {

class VirtualClock : public platform::UiThread {
 public:
  void start(Id id, unsigned intervalMs, std::function<void()> tick) override {
    const unsigned interval = intervalMs ? intervalMs : 1;
    timers_[id] = {now_ + interval, seq_++, interval, std::move(tick)};
  }
  void stop(Id id) override { timers_.erase(id); }
  void post(std::function<void()> fn) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(fn));
    ready_.notify_one();
  }
  std::uint64_t now() const { return now_; }

  void advance(std::uint64_t ms) {
    const std::uint64_t target = now_ + ms;
    for (;;) {
      while (pumpOne(std::chrono::seconds(0))) continue;
      auto next = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
        return std::pair(a.second.due, a.second.seq) < std::pair(b.second.due, b.second.seq);
      });
      if (next == timers_.end() || next->second.due > target) break;
      now_ = std::max(now_, next->second.due);
      next->second.due = now_ + next->second.interval;
      next->second.seq = seq_++;
      const auto tick = next->second.tick;  // the tick may stop or restart its own timer
      tick();
    }
    now_ = std::max(now_, target);  // nothing was posted since the last pump
  }
  // Runs one posted call; false when none came in time (a hang). A zero timeout does not wait at
  // all: advance() asks after every timer, and each wait would cost a trip through the kernel.
  bool pumpOne(std::chrono::seconds timeout = std::chrono::seconds(120)) {
    std::unique_lock lock(mutex_);
    const auto some = [this] { return !posted_.empty(); };
    if (!some() && (timeout.count() == 0 || !ready_.wait_for(lock, timeout, some))) return false;
    auto fn = std::move(posted_.front());
    posted_.pop_front();
    lock.unlock();
    fn();
    return true;
  }
  // Pumps until `done` holds; false on a hang.
  bool pumpUntil(const std::function<bool()>& done) {
    while (!done())
      if (!pumpOne()) return false;
    return true;
  }

 private:
  struct Entry {
    std::uint64_t due, seq;
    unsigned interval;
    std::function<void()> tick;
  };
  std::map<Id, Entry> timers_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> posted_;
  std::uint64_t now_ = 0, seq_ = 0;
};

}  // namespace fakes
