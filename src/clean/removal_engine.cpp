#include "clean/removal_engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "clean/removal_rules.h"
#include "platform/work_queue.h"

namespace clean {
namespace {

using platform::ListedFolder;
using platform::RemovalBackend;
using Mode = RemovalBackend::Mode;

// One remove() call. It first removes the tree; if the target stays, a second pass counts what
// is left below it, so the report tells what is there once every worker is done with it, however
// the tree changed meanwhile.
struct Job {
  std::string target;  // as the caller spelled it, for the report
  std::string path;    // vetted and canonical
  Remover::Done done;
  Remover::Progress progress;
  Mode mode = Mode::Remove;
  bool onlyIfEmpty = false;  // the folder goes only if nothing is in it; nothing below is touched
  std::atomic<std::uint64_t> counted{0}, countedFiles{0};
  std::atomic<std::uint64_t> removedFiles{0}, removedBytes{0};
  std::atomic<std::int64_t> lastProgressMs{0};

  void stays(RemovalReason why) {
    std::lock_guard lock(reasonLock_);
    if (firstReason_ == RemovalReason::None) firstReason_ = why;
  }
  RemovalReason firstReason() {
    std::lock_guard lock(reasonLock_);
    return firstReason_;
  }

 private:
  std::mutex reasonLock_;
  RemovalReason firstReason_ = RemovalReason::None;
};

// A folder of a job's tree. It is removed once its last sub-folder is finished, by whichever
// worker finishes that sub-folder, so no worker ever waits for another.
struct Node {
  std::shared_ptr<Job> job;
  std::shared_ptr<Node> parent;  // null for the target itself
  std::unique_ptr<RemovalBackend::Folder> folder;
  std::atomic<std::size_t> pending{0};  // sub-folders not finished yet
  std::atomic<bool> stays{false};       // something below stays, so this folder does too
};

class RemovalEngine final : public Remover {
 public:
  RemovalEngine(platform::UiThread& ui, std::unique_ptr<RemovalBackend> backend, unsigned threads)
      : ui_(ui),
        backend_(std::move(backend)),
        queue_(std::min(platform::threadsFor(threads), platform::threadsFor(0))) {
    if (queue_.threads() == 0)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }

  // Shuts down: nothing is reported from here on, queued folders are dropped, and the folders in
  // hand stop at their next entry.
  ~RemovalEngine() override {
    {
      std::lock_guard lock(deliverLock_);
      closed_ = true;
    }
    queue_.stop();
  }

  void remove(const std::string& target, const std::string& accountRoot, Done done,
              Progress progress) override {
    submit(target, accountRoot, std::move(done), std::move(progress), false);
  }

  void removeIfEmpty(const std::string& target, const std::string& accountRoot,
                     Done done) override {
    submit(target, accountRoot, std::move(done), {}, true);
  }

 private:
  void submit(const std::string& target, const std::string& accountRoot, Done done,
              Progress progress, bool onlyIfEmpty) {
    auto job = std::make_shared<Job>();
    job->target = target;
    job->done = std::move(done);
    job->progress = std::move(progress);
    job->onlyIfEmpty = onlyIfEmpty;
    TargetCheck check = checkTarget(target, accountRoot, backend_->pathStyle());
    if (!check.allowed()) {
      RemovalReport report;
      report.target = target;
      report.refused = true;
      return deliver(*job, std::move(report));
    }
    job->path = std::move(check.path);
    queue_.push([this, job] { start(job); });
  }

  void start(const std::shared_ptr<Job>& job) {
    if (job->onlyIfEmpty) return startIfEmpty(job);
    RemovalBackend::Opened target = backend_->openTarget(job->path, job->mode);
    if (target.folder) {
      auto root = std::make_shared<Node>();
      root->job = job;
      root->folder = std::move(target.folder);
      return visit(root);
    }
    // Nothing there, or a file or link (removed already, or staying): nothing below it.
    if (job->mode == Mode::Remove) job->stays(target.reason);
    complete(job, target.reason == RemovalReason::None);
  }

  // Opened without touching anything in it; removing a folder fails unless it is empty.
  void startIfEmpty(const std::shared_ptr<Job>& job) {
    RemovalBackend::Opened target = backend_->openTarget(job->path, Mode::Count);
    RemovalReport report;
    report.target = job->target;
    const RemovalReason why =
        target.folder ? backend_->removeFolder(std::move(target.folder)) : target.reason;
    report.gone = why == RemovalReason::None;
    report.firstReason = why;
    deliver(*job, std::move(report));
  }

  void enter(const std::shared_ptr<Node>& node, const ListedFolder& listed) {
    RemovalBackend::Opened opened = backend_->openChild(*node->parent->folder, listed);
    if (opened.folder) {
      node->folder = std::move(opened.folder);
      return visit(node);
    }
    if (opened.reason != RemovalReason::None) {
      node->job->stays(opened.reason);
      node->stays = true;
    }
    finish(node);
  }

  void visit(const std::shared_ptr<Node>& node) {
    Job& job = *node->job;
    platform::ClearedFolder cleared =
        backend_->clearFolder(*node->folder, job.mode, queue_.stopFlag());
    if (job.mode == Mode::Count) {
      job.counted += cleared.entries + cleared.subfolders.size();
      job.countedFiles += cleared.entries;
    } else {
      if (cleared.entries > 0 || !cleared.listed) {
        job.stays(cleared.reason);
        node->stays = true;
      }
      job.removedFiles += cleared.removedFiles;
      job.removedBytes += cleared.removedBytes;
      reportProgress(job);
    }
    if (cleared.subfolders.empty()) return finish(node);
    node->pending = cleared.subfolders.size();
    std::vector<platform::WorkQueue::Task> tasks;
    tasks.reserve(cleared.subfolders.size());
    for (auto& listed : cleared.subfolders) {
      auto child = std::make_shared<Node>();
      child->job = node->job;
      child->parent = node;
      tasks.emplace_back([this, child, listed = std::move(listed)] { enter(child, listed); });
    }
    queue_.push(tasks);  // dropped once the engine shuts down
  }

  // `node` is done with. Walks up while each folder was its parent's last pending sub-folder,
  // removing the parent in turn.
  void finish(std::shared_ptr<Node> node) {
    for (;;) {
      if (queue_.stopping()) return;  // nothing more starts once the engine shuts down
      Job& job = *node->job;
      if (node->folder && job.mode == Mode::Remove && !node->stays) {
        const RemovalReason why = backend_->removeFolder(std::move(node->folder));
        if (why != RemovalReason::None) {
          job.stays(why);
          node->stays = true;
        }
      }
      node->folder.reset();
      std::shared_ptr<Node> parent = std::move(node->parent);
      if (!parent) return complete(node->job, job.mode == Mode::Remove && !node->stays);
      if (node->stays) parent->stays = true;
      if (parent->pending.fetch_sub(1) != 1) return;
      node = std::move(parent);
    }
  }

  // The target is done with; `gone` when it is no longer there.
  void complete(const std::shared_ptr<Job>& job, bool gone) {
    if (job->mode == Mode::Remove && !gone) {
      job->mode = Mode::Count;
      return queue_.push([this, job] { start(job); });
    }
    RemovalReport report;
    report.target = job->target;
    report.gone = gone;
    report.removedFiles = job->removedFiles;
    report.removedBytes = job->removedBytes;
    if (!gone) {
      report.remaining = job->counted;
      report.remainingFiles = job->countedFiles;
      report.firstReason = job->firstReason();
      // Nothing failed, yet something is there: another program wrote into the tree meanwhile.
      if (report.firstReason == RemovalReason::None) report.firstReason = RemovalReason::NotEmpty;
    }
    deliver(*job, std::move(report));
  }

  // At most a few times a second, so a tree of small files does not flood the UI thread.
  void reportProgress(Job& job) {
    if (!job.progress) return;
    using namespace std::chrono;
    const std::int64_t now =
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    std::int64_t last = job.lastProgressMs;
    if (now - last < 250 || !job.lastProgressMs.compare_exchange_strong(last, now)) return;
    std::lock_guard lock(deliverLock_);
    if (closed_) return;
    ui_.post([progress = job.progress, files = job.removedFiles.load(),
              bytes = job.removedBytes.load()] { progress(files, bytes); });
  }

  void deliver(const Job& job, RemovalReport report) {
    std::lock_guard lock(deliverLock_);
    if (closed_ || !job.done) return;
    ui_.post([done = job.done, report = std::move(report)] { done(report); });
  }

  platform::UiThread& ui_;
  std::unique_ptr<RemovalBackend> backend_;
  std::mutex deliverLock_;
  bool closed_ = false;        // set as the engine shuts down, under deliverLock_
  platform::WorkQueue queue_;  // last: its threads use the rest
};

}  // namespace

std::unique_ptr<Remover> makeRemovalEngine(platform::UiThread& ui,
                                           std::unique_ptr<RemovalBackend> backend,
                                           unsigned threads) {
  return std::make_unique<RemovalEngine>(ui, std::move(backend), threads);
}

}  // namespace clean
