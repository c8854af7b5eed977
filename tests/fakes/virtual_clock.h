// A UiThread on virtual time: advance() fires due timers in time order (ties in start order) and
// runs posted work first. It is re-entrant, so a fake message box can let time pass while "open",
// as the real modal loop does.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "platform/ui_thread.h"

namespace fakes {

class VirtualClock : public platform::UiThread {
 public:
  void start(Id id, unsigned intervalMs, std::function<void()> tick) override;
  void stop(Id id) override;
  void post(std::function<void()> fn) override { posted_.push_back(std::move(fn)); }

  void advance(std::uint64_t ms);
  void runPosted();

 private:
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
