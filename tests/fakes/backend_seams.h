// Real walker and removal backends with a hook before each step on a folder, so a test can change
// the tree between a folder's listing and its opening, or fail a step as a locked or vanished
// folder, or Windows, would. The hooks see a folder by its name (the root's is "").
#pragma once

#include <functional>
#include <mutex>

#include "platform/removal_backend.h"
#include "platform/walk_backend.h"

namespace fakes {

// A real backend's folder and the name it was opened by.
template <typename Folder>
struct Named final : Folder {
  Named(std::unique_ptr<Folder> f, const std::string& n) : real(std::move(f)), name(n) {}
  std::unique_ptr<Folder> real;
  std::string name;
};
template <typename Folder>
std::unique_ptr<Folder> wrap(std::unique_ptr<Folder> real, const std::string& name) {
  return real ? std::make_unique<Named<Folder>>(std::move(real), name) : nullptr;
}
template <typename Folder>
Named<Folder>& named(const Folder& f) {
  return const_cast<Named<Folder>&>(static_cast<const Named<Folder>&>(f));
}

// Steps "open" and "list"; a false hook fails the step.
class WalkSeam final : public platform::WalkBackend {
 public:
  explicit WalkSeam(std::unique_ptr<platform::WalkBackend> real) : real_(std::move(real)) {}
  std::function<bool(const std::string& step, const std::string& name)> hook = [](auto&&...) {
    return true;
  };

  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    return wrap(real_->openRoot(path), "");
  }
  std::unique_ptr<Folder> openChild(const Folder& parent,
                                    const platform::ListedFolder& child) override {
    if (!hook("open", child.name)) return nullptr;
    return wrap(real_->openChild(*named(parent).real, child), child.name);
  }
  bool list(Folder& folder, platform::WalkSink& sink) override {
    return hook("list", named(folder).name) && real_->list(*named(folder).real, sink);
  }

 private:
  std::unique_ptr<platform::WalkBackend> real_;
};

// Steps "target" (named by its path), "open", "clear" and "remove"; a reason other than None fails
// the step with it, touching nothing (a failed "clear" is a folder that cannot be listed). Keeps
// every reason a step of the removing pass gave, in the order they came.
class RemovalSeam final : public platform::RemovalBackend {
 public:
  explicit RemovalSeam(std::unique_ptr<platform::RemovalBackend> real) : real_(std::move(real)) {}
  using Reason = platform::RemovalReason;
  std::function<Reason(const std::string& step, const std::string& name, Mode mode,
                       const std::atomic<bool>& stop)>
      hook = [](auto&&...) { return Reason::None; };

  platform::PathStyle pathStyle() const override { return real_->pathStyle(); }
  Opened openTarget(const std::string& path, Mode mode) override {
    mode_ = mode;
    if (Reason why = hook("target", path, mode, never_); why != Reason::None) return {{}, log(why)};
    Opened o = real_->openTarget(path, mode);
    return {wrap(std::move(o.folder), ""), o.reason, o.removedFiles, o.removedBytes};
  }
  Opened openChild(Folder& parent, const platform::ListedFolder& child) override {
    if (Reason why = hook("open", child.name, mode_, never_); why != Reason::None)
      return {nullptr, log(why)};
    Opened o = real_->openChild(*named(parent).real, child);
    return {wrap(std::move(o.folder), child.name), log(o.reason)};
  }
  platform::ClearedFolder clearFolder(Folder& f, Mode mode,
                                      const std::atomic<bool>& stop) override {
    if (Reason why = hook("clear", named(f).name, mode, stop); why != Reason::None)
      return {{}, 0, log(why), false};
    platform::ClearedFolder out = real_->clearFolder(*named(f).real, mode, stop);
    return log(out.reason), out;
  }
  Reason removeFolder(std::unique_ptr<Folder> f) override {
    if (Reason why = hook("remove", named(*f).name, mode_, never_); why != Reason::None)
      return log(why);
    return log(real_->removeFolder(std::move(named(*f).real)));
  }
  std::vector<Reason> reasons() {
    std::lock_guard lock(logLock_);
    return reasons_;
  }

 private:
  Reason log(Reason why) {
    std::lock_guard lock(logLock_);
    if (why != Reason::None && mode_ == Mode::Remove) reasons_.push_back(why);
    return why;
  }

  std::unique_ptr<platform::RemovalBackend> real_;
  std::atomic<Mode> mode_{Mode::Remove};
  const std::atomic<bool> never_{false};
  std::mutex logLock_;
  std::vector<Reason> reasons_;
};

}  // namespace fakes
