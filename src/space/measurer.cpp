#include "space/measurer.h"

#include <mutex>
#include <system_error>
#include <utility>

#include "platform/work_queue.h"

namespace space {
namespace {

class BackgroundMeasurer final : public Measurer {
 public:
  BackgroundMeasurer(platform::UiThread& ui, StoppableWalk walk)
      : ui_(ui),
        stoppable_(std::move(walk)),
        walk_([this](const std::string& path) { return stoppable_(path, queue_.stopFlag()); }),
        queue_(1, platform::WorkQueue::Order::OldestFirst) {
    if (queue_.threads() == 0)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }

  // The walk in hand sees the stop at its next folder; queued jobs are dropped.
  ~BackgroundMeasurer() override {
    {
      std::lock_guard lock(deliverLock_);
      closed_ = true;
    }
    queue_.stop();
  }

  void run(Job job) override {
    queue_.push([this, job = std::move(job)] {
      std::function<void()> then = job(walk_);
      std::lock_guard lock(deliverLock_);
      // Once the program is ending nobody is left to show the figures to.
      if (!closed_ && then) ui_.post(std::move(then));
    });
  }

 private:
  platform::UiThread& ui_;
  const StoppableWalk stoppable_;
  const Walk walk_;
  std::mutex deliverLock_;
  bool closed_ = false;        // set as the measurer is destroyed, under deliverLock_
  platform::WorkQueue queue_;  // last: its thread uses the rest
};

}  // namespace

std::unique_ptr<Measurer> makeBackgroundMeasurer(platform::UiThread& ui,
                                                 Measurer::StoppableWalk walk) {
  return std::make_unique<BackgroundMeasurer>(ui, std::move(walk));
}

}  // namespace space
