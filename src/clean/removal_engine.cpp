#include "clean/removal_engine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace clean {
namespace {

// One remove() call: what the report needs, gathered from whichever workers touch the tree.
struct Job {
  std::string target;
  Remover::Done done;
  std::atomic<std::uint64_t> remaining{0};
  std::mutex reasonLock;
  std::string firstReason;

  void note(std::uint64_t count, const std::string& reason) {
    remaining += count;
    if (reason.empty()) return;
    std::lock_guard<std::mutex> lock(reasonLock);
    if (firstReason.empty()) firstReason = reason;
  }
};

// A folder of a job's tree. It is removed once its last sub-folder is finished, by whichever
// worker finishes that sub-folder, so no worker ever waits for another.
struct Folder {
  std::shared_ptr<Job> job;
  std::shared_ptr<Folder> parent;  // null for the target itself
  std::string path;
  std::atomic<std::size_t> pending{0};  // sub-folders not finished yet
};

class RemovalEngine final : public Remover {
 public:
  RemovalEngine(platform::TimerHost& ui, std::unique_ptr<RemovalBackend> backend, unsigned threads)
      : ui_(ui), backend_(std::move(backend)) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned count = threads == 0 ? cores : std::min(threads, cores);
    for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { work(); });
  }

  ~RemovalEngine() override {
    {
      std::lock_guard<std::mutex> lock(queueLock_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }

  void remove(const std::string& target, const std::string& accountRoot, Done done) override {
    auto job = std::make_shared<Job>();
    job->target = target;
    job->done = std::move(done);
    TargetCheck check = checkTarget(target, accountRoot, backend_->pathStyle());
    if (!check.allowed()) {
      RemovalReport report;
      report.target = target;
      report.refused = true;
      report.firstReason = check.refusal;
      deliver(job->done, std::move(report));
      return;
    }
    auto root = std::make_shared<Folder>();
    root->job = std::move(job);
    root->path = std::move(check.path);
    std::vector<std::shared_ptr<Folder>> one{std::move(root)};
    enqueue(one);
  }

 private:
  void work() {
    for (;;) {
      std::shared_ptr<Folder> folder;
      {
        std::unique_lock<std::mutex> lock(queueLock_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        // Newest first keeps the walk depth-first: few folders pending, warm directory caches.
        folder = std::move(queue_.back());
        queue_.pop_back();
      }
      clear(folder);
    }
  }

  void enqueue(std::vector<std::shared_ptr<Folder>>& folders) {
    {
      std::lock_guard<std::mutex> lock(queueLock_);
      for (auto& f : folders) queue_.push_back(std::move(f));
    }
    if (folders.size() == 1) {
      wake_.notify_one();
    } else {
      wake_.notify_all();
    }
  }

  void clear(const std::shared_ptr<Folder>& folder) {
    FolderPass pass = backend_->clearFolder(folder->path);
    folder->job->note(pass.remaining, pass.firstReason);
    switch (pass.kind) {
      case FolderPass::Kind::Missing:
        return finish(folder, {true, ""});
      case FolderPass::Kind::Unreadable:
        return finish(folder, {false, pass.firstReason});
      case FolderPass::Kind::NotAFolder:
        return finish(folder, backend_->removeEntry(folder->path));
      case FolderPass::Kind::Emptied:
        break;
    }
    if (pass.subfolders.empty()) return finish(folder, backend_->removeEntry(folder->path));
    const char sep = backend_->pathStyle() == PathStyle::Windows ? '\\' : '/';
    folder->pending = pass.subfolders.size();
    std::vector<std::shared_ptr<Folder>> children;
    children.reserve(pass.subfolders.size());
    for (const auto& name : pass.subfolders) {
      auto child = std::make_shared<Folder>();
      child->job = folder->job;
      child->parent = folder;
      child->path = folder->path + sep + name;
      children.push_back(std::move(child));
    }
    enqueue(children);
  }

  // `folder` is done with (removed or not). Walks up while each folder was its parent's last
  // pending sub-folder, removing the parent in turn.
  void finish(std::shared_ptr<Folder> folder, EntryOutcome outcome) {
    for (;;) {
      Job& job = *folder->job;
      if (!folder->parent) return complete(job, outcome);
      // The target itself is described by `gone`; only what lies below it counts as remaining.
      if (!outcome.removed) job.note(1, outcome.reason);
      std::shared_ptr<Folder> parent = folder->parent;
      if (parent->pending.fetch_sub(1) != 1) return;
      folder = std::move(parent);
      outcome = backend_->removeEntry(folder->path);
    }
  }

  void complete(Job& job, const EntryOutcome& outcome) {
    RemovalReport report;
    report.target = job.target;
    report.gone = outcome.removed;
    if (!report.gone) {
      job.note(0, outcome.reason);
      report.remaining = job.remaining;
      std::lock_guard<std::mutex> lock(job.reasonLock);
      report.firstReason = job.firstReason;
    }
    deliver(job.done, std::move(report));
  }

  void deliver(const Done& done, RemovalReport report) {
    if (!done) return;
    ui_.post([done, report = std::move(report)] { done(report); });
  }

  platform::TimerHost& ui_;
  std::unique_ptr<RemovalBackend> backend_;
  std::mutex queueLock_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Folder>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;  // last: started after everything they use exists
};

}  // namespace

std::unique_ptr<Remover> makeRemovalEngine(platform::TimerHost& ui,
                                           std::unique_ptr<RemovalBackend> backend,
                                           unsigned threads) {
  return std::make_unique<RemovalEngine>(ui, std::move(backend), threads);
}

}  // namespace clean
