// Real walker and removal backends with a hook before each step on a folder, so a test can change
// the tree between a folder's listing and its opening, or fail a step as a locked or vanished
// folder, or Windows, would.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/removal_backend.h"
#include "platform/walk_backend.h"

namespace fakes {

// A real backend's folder with the name the hooks see.
template <typename Folder>
struct Named : Folder {
  std::unique_ptr<Folder> inner;
  std::string name;
  static std::unique_ptr<Folder> wrap(std::unique_ptr<Folder> inner, const std::string& name) {
    if (!inner) return nullptr;
    auto w = std::make_unique<Named>();
    w->inner = std::move(inner);
    w->name = name;
    return w;
  }
  static Named& of(const Folder& f) { return const_cast<Named&>(static_cast<const Named&>(f)); }
};

// Steps "open" and "list" on folder `name` (the root is ""); a false hook fails the step.
class WalkSeam final : public platform::WalkBackend {
 public:
  explicit WalkSeam(std::unique_ptr<platform::WalkBackend> real) : real_(std::move(real)) {}
  std::function<bool(const std::string& step, const std::string& name)> hook = [](auto&&...) {
    return true;
  };

  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    return W::wrap(real_->openRoot(path), "");
  }
  std::unique_ptr<Folder> openChild(const Folder& parent,
                                    const platform::ListedFolder& child) override {
    if (!hook("open", child.name)) return nullptr;
    return W::wrap(real_->openChild(*W::of(parent).inner, child), child.name);
  }
  bool list(Folder& folder, platform::WalkSink& sink) override {
    return hook("list", W::of(folder).name) && real_->list(*W::of(folder).inner, sink);
  }

 private:
  using W = Named<Folder>;
  std::unique_ptr<platform::WalkBackend> real_;
};

// Steps "open", "clear" and "remove" on folder `name` (the target is ""); a reason other than
// None fails the step with it, touching nothing (a failed "clear" is a folder that cannot be
// listed). Keeps every reason a step of the removing pass gave, in the order they came.
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
    Opened o = real_->openTarget(path, mode);
    return {W::wrap(std::move(o.folder), ""), o.reason};
  }
  Opened openChild(Folder& parent, const platform::ListedFolder& child) override {
    if (Reason why = hook("open", child.name, mode_, never_); why != Reason::None) {
      return {nullptr, log(why)};
    }
    Opened o = real_->openChild(*W::of(parent).inner, child);
    return {W::wrap(std::move(o.folder), child.name), log(o.reason)};
  }
  platform::ClearedFolder clearFolder(Folder& f, Mode mode,
                                      const std::atomic<bool>& stop) override {
    if (Reason why = hook("clear", W::of(f).name, mode, stop); why != Reason::None) {
      return {{}, 0, log(why), false};
    }
    platform::ClearedFolder out = real_->clearFolder(*W::of(f).inner, mode, stop);
    log(out.reason);
    return out;
  }
  Reason removeFolder(std::unique_ptr<Folder> f) override {
    if (Reason why = hook("remove", W::of(*f).name, mode_, never_); why != Reason::None)
      return log(why);
    return log(real_->removeFolder(std::move(W::of(*f).inner)));
  }
  std::vector<Reason> reasons() {
    std::lock_guard lock(logLock_);
    return reasons_;
  }

 private:
  using W = Named<Folder>;
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
