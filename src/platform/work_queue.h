// The one pool of worker threads behind the size walker and the removal engine: a pile of tasks
// taken newest first. For tree walks that keeps the order depth-first, so few folders are open at
// a time and the directories just read are still warm.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class WorkQueue {
 public:
  using Task = std::function<void()>;

  // Starts up to `threads` threads; fewer when the system refuses more (see threads()).
  explicit WorkQueue(unsigned threads);
  ~WorkQueue();  // stop()
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  void push(Task task);
  void push(std::vector<Task>& tasks);  // moves them in, one lock for all

  // Runs tasks on the calling thread too, until none is queued or running.
  void drain();

  // Drops the queued tasks, lets the running ones finish and ends the threads. Tasks see
  // stopping() from the start, so long ones can end early. Call it from outside the pool.
  void stop();
  bool stopping() const { return stopping_.load(); }
  const std::atomic<bool>& stopFlag() const { return stopping_; }

  std::size_t threads() const { return threads_.size(); }

 private:
  void serve();
  // Runs the newest task with `lock` released; `lock` is held again when it returns.
  void runOne(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Task> pile_;
  unsigned running_ = 0;
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> threads_;  // last: started once everything they use exists
};

// `wanted` threads, or one per core when it is 0.
unsigned threadsFor(unsigned wanted);

}  // namespace platform
