// The one pool of worker threads behind the size walker, the removal engine and the measurer.
// Tree walks take the newest task first: that keeps them depth-first, so few folders are open at a
// time and the directories just read are still warm. The measurer takes the oldest first, so
// figures arrive in the order they were asked for.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class WorkQueue {
 public:
  using Task = std::function<void()>;
  enum class Order { NewestFirst, OldestFirst };

  // Starts up to `threads` threads; fewer when the system refuses more (see threads()).
  explicit WorkQueue(unsigned threads, Order order = Order::NewestFirst);
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
  // Runs the next task with `lock` released; `lock` is held again when it returns.
  void runOne(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  const Order order_;
  std::deque<Task> pile_;
  unsigned running_ = 0;
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> threads_;  // last: started once everything they use exists
};

// `wanted` threads, or one per core when it is 0.
unsigned threadsFor(unsigned wanted);

}  // namespace platform
