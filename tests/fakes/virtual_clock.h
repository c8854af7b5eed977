// A UiThread on virtual time: advance() fires due timers in time order (ties in start order) and
// runs posted work first. It is re-entrant, so a fake message box can let time pass while "open",
// as the real modal loop does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "platform/ui_thread.h"

namespace fakes {

class VirtualClock : public platform::UiThread {
 public:
  void start(Id id, unsigned intervalMs, std::function<void()> tick) override {
    const unsigned interval = intervalMs ? intervalMs : 1;
    timers_[id] = {now_ + interval, interval, seq_++,
                   std::make_shared<std::function<void()>>(std::move(tick))};
  }
  void stop(Id id) override { timers_.erase(id); }
  void post(std::function<void()> fn) override { posted_.push_back(std::move(fn)); }
  std::uint64_t now() const { return now_; }

  void advance(std::uint64_t ms) {
    const std::uint64_t target = now_ + ms;
    for (;;) {
      runPosted();
      auto next = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
        return std::pair(a.second.due, a.second.seq) < std::pair(b.second.due, b.second.seq);
      });
      if (next == timers_.end() || next->second.due > target) break;
      now_ = std::max(now_, next->second.due);
      next->second.due = now_ + next->second.interval;
      next->second.seq = seq_++;
      auto tick = next->second.tick;  // the tick may stop or restart its own timer
      (*tick)();
    }
    now_ = std::max(now_, target);
    runPosted();
  }

 private:
  void runPosted() {
    while (!posted_.empty()) {
      auto fn = std::move(posted_.front());
      posted_.pop_front();
      fn();
    }
  }
  struct Entry {
    std::uint64_t due;
    unsigned interval;
    std::uint64_t seq;
    std::shared_ptr<std::function<void()>> tick;
  };
  std::map<Id, Entry> timers_;
  std::deque<std::function<void()>> posted_;
  std::uint64_t now_ = 0, seq_ = 0;
};

}  // namespace fakes
