#include "platform/work_queue.h"

#include <system_error>

namespace platform {

WorkQueue::WorkQueue(unsigned threads, Order order) : order_(order) {
  for (unsigned i = 0; i < threads; ++i) {
    try {
      threads_.emplace_back([this] { serve(); });
    } catch (const std::system_error&) {
      break;  // fewer threads only make the work slower
    }
  }
}

WorkQueue::~WorkQueue() {
  stop();
}

void WorkQueue::push(Task task) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    pile_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void WorkQueue::push(std::vector<Task>& tasks) {
  if (tasks.empty()) return;
  {
    std::lock_guard lock(mutex_);
    if (!stopping_) {
      for (auto& t : tasks) pile_.push_back(std::move(t));
    }
  }
  tasks.clear();
  wake_.notify_all();
}

void WorkQueue::runOne(std::unique_lock<std::mutex>& lock) {
  Task task;
  if (order_ == Order::NewestFirst) {
    task = std::move(pile_.back());
    pile_.pop_back();
  } else {
    task = std::move(pile_.front());
    pile_.pop_front();
  }
  ++running_;
  lock.unlock();
  task();
  task = nullptr;  // what it holds (open folders) is released outside the lock
  lock.lock();
  --running_;
  if (running_ == 0 && pile_.empty()) wake_.notify_all();  // a drain() may be waiting
}

void WorkQueue::serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !pile_.empty(); });
    if (pile_.empty()) return;  // stopped: stop() dropped the queue, push() takes no more
    runOne(lock);
  }
}

void WorkQueue::drain() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !pile_.empty() || running_ == 0; });
    if (stopping_ || pile_.empty()) return;
    runOne(lock);
  }
}

void WorkQueue::stop() {
  std::deque<Task> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(pile_);
  }
  wake_.notify_all();
  dropped.clear();
  for (auto& t : threads_) {
    if (t.joinable()) t.join();
  }
}

unsigned threadsFor(unsigned wanted) {
  if (wanted != 0) return wanted;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

}  // namespace platform
