#include "space/walker.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/work_queue.h"

namespace space {
namespace {

using platform::ListedFolder;
using platform::WalkBackend;
using FolderPtr = std::shared_ptr<WalkBackend::Folder>;

// Adds up one folder's files and collects the sub-folders to visit.
class ListingSink final : public platform::WalkSink {
 public:
  explicit ListingSink(std::vector<ListedFolder>& subfolders) : subfolders_(subfolders) {}

  void entry(const platform::WalkEntry& e) override {
    if (e.directory && !e.link) {
      subfolders_.push_back({std::string(e.name), e.id, e.volume, 0});
      ++folders_;
    } else {
      bytes_ += e.size;
      if (e.directory) ++folders_;
    }
  }

  std::uint64_t bytes() const { return bytes_; }
  std::uint64_t folders() const { return folders_; }

 private:
  std::vector<ListedFolder>& subfolders_;
  std::uint64_t bytes_ = 0;
  std::uint64_t folders_ = 0;
};

class Walk {
 public:
  Walk(WalkBackend& backend, unsigned helpers, const std::atomic<bool>* stop)
      : backend_(backend), stop_(stop), queue_(helpers) {}

  // Queues the sub-folders of `parent`. Each task holds the parent, which keeps it open until
  // its last child is opened.
  void push(const FolderPtr& parent, std::vector<ListedFolder>& children) {
    std::vector<platform::WorkQueue::Task> tasks;
    tasks.reserve(children.size());
    for (auto& c : children) {
      tasks.emplace_back([this, parent, child = std::move(c)] { visit(*parent, child); });
    }
    children.clear();
    queue_.push(tasks);
  }

  void run() { queue_.drain(); }
  std::uint64_t bytes() const { return bytes_; }
  std::uint64_t unreadable() const { return unreadable_; }

 private:
  void visit(const WalkBackend::Folder& parent, const ListedFolder& child) {
    // Once stopped, the folders still queued are let go without a look: the walk ends after the
    // ones in hand, however big the tree.
    if (stop_ && *stop_) return;
    FolderPtr folder = backend_.openChild(parent, child);
    if (!folder) {
      ++unreadable_;
      return;
    }
    std::vector<ListedFolder> children;
    ListingSink sink(children);
    if (!backend_.list(*folder, sink)) ++unreadable_;
    bytes_ += sink.bytes();
    push(folder, children);
  }

  WalkBackend& backend_;
  const std::atomic<bool>* const stop_;
  std::atomic<std::uint64_t> bytes_{0};
  std::atomic<std::uint64_t> unreadable_{0};
  platform::WorkQueue queue_;  // last: its threads use the rest
};

}  // namespace

platform::FolderSize walkFolder(WalkBackend& backend, const std::string& root, unsigned threads,
                                const std::atomic<bool>* stop) {
  platform::FolderSize result;
  FolderPtr top = backend.openRoot(root);
  if (!top) return result;
  result.exists = true;

  // The root is listed here first: most folders Velmora measures are small, and they finish
  // without starting a thread.
  std::vector<ListedFolder> children;
  ListingSink sink(children);
  if (!backend.list(*top, sink)) ++result.unreadable;
  result.subfolders = sink.folders();
  result.bytes = sink.bytes();
  if (children.empty() || (stop && *stop)) return result;

  Walk walk(backend, platform::threadsFor(threads) - 1, stop);
  walk.push(top, children);
  top.reset();
  walk.run();
  result.bytes += walk.bytes();
  result.unreadable += walk.unreadable();
  return result;
}

}  // namespace space
