#include "space/walker.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace space {
namespace {

using FolderPtr = std::shared_ptr<WalkBackend::Folder>;

// A sub-folder still to be opened. Holding the parent keeps it open until its last child is.
struct Pending {
  FolderPtr parent;
  std::string name;
};

struct Totals {
  std::uint64_t bytes = 0;
  std::uint64_t unreadable = 0;
};

// Adds up one folder's files and collects the sub-folders to visit.
class ListingSink final : public WalkSink {
 public:
  ListingSink(Totals& totals, std::vector<std::string>& subfolders)
      : totals_(totals), subfolders_(subfolders) {}

  void entry(const WalkEntry& e) override {
    if (e.directory && !e.link) {
      subfolders_.emplace_back(e.name);
      ++folders_;
    } else {
      totals_.bytes += e.size;
      if (e.directory) ++folders_;
    }
  }

  std::uint64_t folders() const { return folders_; }

 private:
  Totals& totals_;
  std::vector<std::string>& subfolders_;
  std::uint64_t folders_ = 0;
};

// A shared last-in-first-out pile of folders. LIFO keeps the walk depth-first, which bounds how
// many parents are held open at once to roughly depth x threads.
class Walk {
 public:
  explicit Walk(WalkBackend& backend) : backend_(backend) {}

  void push(const FolderPtr& parent, std::vector<std::string>& names) {
    std::lock_guard lock(mutex_);
    for (auto& n : names) pile_.push_back({parent, std::move(n)});
    names.clear();
  }

  // Runs until every folder is done, in whichever threads call it.
  void work() {
    Totals local;
    std::vector<std::string> children;
    std::unique_lock lock(mutex_);
    for (;;) {
      ready_.wait(lock, [this] { return !pile_.empty() || busy_ == 0; });
      if (pile_.empty()) break;
      Pending next = std::move(pile_.back());
      pile_.pop_back();
      ++busy_;
      lock.unlock();

      std::unique_ptr<WalkBackend::Folder> opened = backend_.openChild(*next.parent, next.name);
      next.parent.reset();
      FolderPtr folder;
      if (!opened) {
        ++local.unreadable;
      } else {
        folder = std::move(opened);
        ListingSink sink(local, children);
        if (!backend_.list(*folder, sink)) ++local.unreadable;
      }

      lock.lock();
      for (auto& n : children) pile_.push_back({folder, std::move(n)});
      const bool gave = !children.empty();
      children.clear();
      --busy_;
      if (gave || busy_ == 0) ready_.notify_all();
      // Dropping the last reference closes the folder; do it outside the lock.
      if (folder) {
        lock.unlock();
        folder.reset();
        lock.lock();
      }
    }
    totals_.bytes += local.bytes;
    totals_.unreadable += local.unreadable;
  }

  Totals totals() const { return totals_; }
  std::size_t pending() const { return pile_.size(); }

 private:
  WalkBackend& backend_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<Pending> pile_;
  unsigned busy_ = 0;
  Totals totals_;
};

}  // namespace

unsigned walkThreads(unsigned threads) {
  if (threads != 0) return threads;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

platform::FolderSize walkFolder(WalkBackend& backend, const std::string& root, unsigned threads) {
  platform::FolderSize result;
  FolderPtr top = backend.openRoot(root);
  if (!top) return result;
  result.exists = true;

  // The root is listed here first: most folders Velmora measures are small, and they finish
  // without starting a thread.
  Totals rootTotals;
  std::vector<std::string> children;
  ListingSink sink(rootTotals, children);
  if (!backend.list(*top, sink)) ++rootTotals.unreadable;
  result.subfolders = sink.folders();

  Walk walk(backend);
  walk.push(top, children);
  top.reset();
  {
    std::vector<std::thread> helpers;
    const unsigned wanted = walk.pending() == 0 ? 0 : walkThreads(threads) - 1;
    for (unsigned i = 0; i < wanted; ++i) {
      try {
        helpers.emplace_back([&walk] { walk.work(); });
      } catch (const std::system_error&) {
        break;  // fewer threads only makes the walk slower
      }
    }
    walk.work();
    for (auto& t : helpers) t.join();
  }
  const Totals below = walk.totals();
  result.bytes = rootTotals.bytes + below.bytes;
  result.unreadable = rootTotals.unreadable + below.unreadable;
  return result;
}

}  // namespace space
