#include "fakes/virtual_clock.h"

namespace fakes {

void VirtualClock::start(Id id, unsigned intervalMs, std::function<void()> tick) {
  unsigned interval = intervalMs ? intervalMs : 1;
  timers_[id] = Entry{now_ + interval, interval, seq_++,
                      std::make_shared<std::function<void()>>(std::move(tick))};
}

void VirtualClock::stop(Id id) {
  timers_.erase(id);
}

void VirtualClock::runPosted() {
  while (!posted_.empty()) {
    auto fn = std::move(posted_.front());
    posted_.pop_front();
    fn();
  }
}

void VirtualClock::advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  for (;;) {
    runPosted();
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= target &&
          (next == timers_.end() || it->second.due < next->second.due ||
           (it->second.due == next->second.due && it->second.seq < next->second.seq)))
        next = it;
    if (next == timers_.end()) break;
    if (next->second.due > now_) now_ = next->second.due;
    next->second.due = now_ + next->second.interval;
    next->second.seq = seq_++;
    auto tick = next->second.tick;  // the tick may stop or restart its own timer
    (*tick)();
  }
  if (target > now_) now_ = target;
  runPosted();
}

}  // namespace fakes
