#include "space/measurer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace space {
namespace {

class BackgroundMeasurer final : public Measurer {
 public:
  BackgroundMeasurer(platform::TimerHost& ui, Walk walk)
      : ui_(ui), walk_(std::move(walk)), worker_([this] { work(); }) {}

  ~BackgroundMeasurer() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
  }

  void run(Job job) override {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(job));
    }
    wake_.notify_one();
  }

 private:
  void work() {
    for (;;) {
      Job job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      std::function<void()> then = job(walk_);
      std::lock_guard lock(mutex_);
      // Once the program is ending nobody is left to show the figures to.
      if (!stopping_ && then) ui_.post(std::move(then));
    }
  }

  platform::TimerHost& ui_;
  Walk walk_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> queue_;
  bool stopping_ = false;
  std::thread worker_;  // last: started once everything it uses exists
};

}  // namespace

std::unique_ptr<Measurer> makeBackgroundMeasurer(platform::TimerHost& ui, Measurer::Walk walk) {
  return std::make_unique<BackgroundMeasurer>(ui, std::move(walk));
}

}  // namespace space
