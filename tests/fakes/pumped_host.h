// A UiThread whose posted calls wait until the test thread pumps them, as a UI thread would run
// them; for engines that report from worker threads. Timers are not used by those engines.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/ui_thread.h"

namespace fakes {

class PumpedHost final : public platform::UiThread {
 public:
  void start(Id, unsigned, std::function<void()>) override {}
  void stop(Id) override {}
  void post(std::function<void()> fn) override {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
    ready_.notify_one();
  }
  // Runs one posted call on this thread; false when none came in time (a hang).
  bool pumpOne(std::chrono::seconds timeout = std::chrono::seconds(120)) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!ready_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
    auto fn = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    fn();
    return true;
  }
  // Pumps until `done` holds; false on a hang.
  template <typename Done>
  bool pumpUntil(Done done) {
    while (!done())
      if (!pumpOne()) return false;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace fakes
