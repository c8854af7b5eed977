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
  BackgroundMeasurer(platform::TimerHost& ui,
                     std::function<platform::FolderSize(const std::string&)> walk)
      : ui_(ui), walk_(std::move(walk)), worker_([this] { run(); }) {}

  ~BackgroundMeasurer() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
  }

  void measure(const std::string& path, Done done) override {
    {
      std::lock_guard lock(mutex_);
      queue_.emplace_back(path, std::move(done));
    }
    wake_.notify_one();
  }

 private:
  void run() {
    for (;;) {
      std::pair<std::string, Done> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      platform::FolderSize size = walk_(job.first);
      std::lock_guard lock(mutex_);
      // Once the program is ending nobody is left to show the figures to.
      if (!stopping_) ui_.post([done = std::move(job.second), size] { done(size); });
    }
  }

  platform::TimerHost& ui_;
  std::function<platform::FolderSize(const std::string&)> walk_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::pair<std::string, Done>> queue_;
  bool stopping_ = false;
  std::thread worker_;  // last: started once everything it uses exists
};

}  // namespace

std::unique_ptr<Measurer> makeBackgroundMeasurer(
    platform::TimerHost& ui, std::function<platform::FolderSize(const std::string&)> walk) {
  return std::make_unique<BackgroundMeasurer>(ui, std::move(walk));
}

}  // namespace space
