// The size walker and the removal engine on real folders through the POSIX backends, against
// random trees whose folders fail as a locked or vanished folder, a mount or another program would.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "clean/removal_engine.h"
#include "fakes/backend_seams.h"
#include "fakes/virtual_clock.h"
#include "platform/posix/measure.h"
#include "platform/posix/remove_posix.h"
#include "space/measurer.h"
#include "space/walker.h"
#include "platform/ui_thread.h"

namespace {

namespace fs = std::filesystem;
using platform::RemovalBackend;
using platform::RemovalReason;
using namespace std::chrono_literals;

std::uint64_t writeFile(const fs::path& p, std::size_t size = 1) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << std::string(size, 'x');
  return size;
}

// A folder that cannot be opened, listed or removed; a file system mounted there; a file written
// into it as it is removed; swapped after its listing for a link to "outside", or for another
// folder (made beforehand beside the tree).
enum Fault { kOpen, kList, kRemove, kMount, kLate, kSwapLink, kSwapFolder, kNoFault };
using Shapes = std::vector<std::array<std::uint8_t, 4>>;

// A folder of the test's own, the only thing it removes, holding "outside/keep", which links in
// the tree name; in memory where the machine has it, as the properties write thousands of small
// trees, which a busy disk takes seconds over.
struct Scratch {
  fs::path base = [] {
    std::string t = (fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string()) +
                    "/velmora-XXXXXX";
    return fs::path(mkdtemp(t.data()));
  }();
  fs::path outside = base / "outside";
  Scratch() { writeFile(outside / "keep", 7); }
  ~Scratch() { fs::remove_all(base); }
};

// A tree at `root` in `s`: entry i of `shapes` is a file, folder or link in the folder chosen by
// its first byte; a folder may have a fault. What a folder is swapped with lies beside the root.
struct RandomTree {
  struct Folder {
    fs::path path;
    int fault = kNoFault;
    RemovalReason reason = RemovalReason::None;
    std::vector<std::size_t> folders{};
    std::vector<fs::path> entries{};  // files and links
  };
  std::vector<Folder> folders;                // [0] is the root
  std::map<fs::path, std::uint64_t> sizes;    // of the entries; a link's is its own
  std::map<std::string, std::size_t> faulty;  // folders by name, as the seams see them

  fs::path aside, outside;

  RandomTree(const Scratch& s, const fs::path& root, const Shapes& shapes)
      : aside((s.base / root).parent_path()), outside(s.outside) {
    const RemovalReason reasons[] = {RemovalReason::AccessDenied, RemovalReason::InUse,
                                     RemovalReason::DriveUnavailable, RemovalReason::Other};
    folders.push_back({s.base / root});
    fs::create_directories(folders[0].path);
    for (std::size_t i = 0; i < shapes.size(); ++i) {
      const auto [parent, kind, size, fault] = shapes[i];
      const std::size_t at = parent % folders.size();
      const fs::path path = folders[at].path / (std::to_string(i) + "-" + std::to_string(kind % 4));
      if (kind % 4 == 2) {
        fs::create_directory(path);
        folders[at].folders.push_back(folders.size());
        folders.push_back({path, fault % 12 < kNoFault ? fault % 12 : kNoFault, reasons[size % 4]});
        if (fault % 12 < kNoFault) faulty[path.filename()] = folders.size() - 1;
        if (fault % 12 == kSwapFolder) writeFile(aside / path.filename() / "s", 3);
        continue;
      }
      struct stat st;
      if (kind % 4 == 3) fs::create_symlink(i % 2 ? outside : outside / "keep", path);
      sizes[path] = kind % 4 == 3 && !lstat(path.c_str(), &st) ? st.st_size : writeFile(path, size);
      folders[at].entries.push_back(path);
    }
  }

  const Folder* fault(const std::string& name) const {  // null: the folder has none
    auto it = faulty.find(name);
    return it == faulty.end() ? nullptr : &folders[it->second];
  }
  platform::posix::DeviceSeam devices() const {
    return [this](std::string_view name, std::uint64_t device) {
      const Folder* f = fault(std::string(name));
      return f && f->fault == kMount ? device + 1 : device;
    };
  }
  // Swaps `f` for what its fault says, as another program would between listing and opening.
  void swap(const Folder& f) const {
    fs::rename(f.path, aside / ("moved-" + f.path.filename().string()));
    if (f.fault == kSwapLink)
      fs::create_directory_symlink(outside, f.path);
    else
      fs::rename(aside / f.path.filename(), f.path);
  }
};

// Every path below `folder`, as it is now.
std::set<fs::path> below(const fs::path& folder) {
  std::set<fs::path> paths;
  for (const auto& e : fs::recursive_directory_iterator(folder)) paths.insert(e.path());
  return paths;
}

class RemovalEngine : public ::testing::Test {
 protected:
  // Removes `target` (only if empty: `progress` null); the report, with the last progress figures
  // seen before it.
  clean::RemovalReport removeOne(const fs::path& target,
                                 std::pair<std::uint64_t, std::uint64_t>* progress = nullptr) {
    std::optional<clean::RemovalReport> report;
    bool otherThread = false;
    auto here = [&, ui = std::this_thread::get_id()] {
      otherThread |= std::this_thread::get_id() != ui;
    };
    auto done = [&](const clean::RemovalReport& r) { here(), report = r; };
    if (!progress) engine_->removeIfEmpty(target.string(), account_.string(), done);
    if (progress)
      engine_->remove(target.string(), account_.string(), done,
                      [&](std::uint64_t files, std::uint64_t bytes) {
                        here();
                        *progress = {files, bytes};
                      });
    if (!host_.pumpUntil([&] { return report.has_value(); })) ADD_FAILURE() << "no report";
    if (otherThread) ADD_FAILURE() << "a report or progress off the UI thread";
    return report.value_or(clean::RemovalReport{});
  }
  fakes::RemovalSeam& useSeam(unsigned threads, platform::posix::DeviceSeam devices = {}) {
    auto seam = std::make_unique<fakes::RemovalSeam>(platform::posix::makeRemovalBackend(devices));
    fakes::RemovalSeam& ref = *seam;
    engine_ = clean::makeRemovalEngine(host_, std::move(seam), threads);
    return ref;
  }

  Scratch scratch_;
  const fs::path base_ = scratch_.base, account_ = base_ / "acct", outside_ = scratch_.outside;
  fakes::VirtualClock host_;
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::posix::makeRemovalBackend(), 2);
};

// One model says what the walker counts and what a removal gives back, leaves and reports, on two
// copies of a random tree (the walk's swaps change its copy). A folder that cannot be opened or
// listed, or is swapped after its listing for a link or another folder, is unreadable to the
// walker and stays with all in it; a file system mounted inside is neither counted nor entered;
// the rest adds up, whatever the thread count. The report gives the first reason (exactly so with
// one worker, whose order is known) and what the recount finds. Then single targets in the walked
// copy: a file or link goes as one file, unless held open; a folder removed only if empty goes
// only so; the account itself and what lies outside it are refused; nothing else is touched.
RC_GTEST_FIXTURE_PROP(RemovalEngine, WalkAndRemovalOfRandomTreesMatchTheModel,
                      (const Shapes& shapes, bool oneThread)) {
  const RandomTree walked(scratch_, "acct/W/T", shapes), tree(scratch_, "acct/T", shapes);
  const fs::path target = tree.folders[0].path;
  std::uint64_t files = 0, bytes = 0, unreadable = 0, remaining = 0, remainingFiles = 0;
  std::set<RemovalReason> reasons;
  std::set<fs::path> left;
  // `p` stays, and the recount finds it (as a file: a mount, or a link swapped in, shows as one).
  auto stay = [&](const fs::path& p, bool file) {
    remaining += p != target, remainingFiles += file;
    return left.insert(p), true;
  };
  auto keepAll = [&](std::size_t n, auto& self) -> void {
    left.insert(tree.folders[n].entries.begin(), tree.folders[n].entries.end());
    for (std::size_t c : tree.folders[n].folders) left.insert(tree.folders[c].path), self(c, self);
  };
  // Whether folder `n`, reached by the removal, stays. The recount cannot go into a folder that
  // could not be opened or listed.
  auto model = [&](std::size_t n, auto& self) -> bool {
    const RandomTree::Folder& f = tree.folders[n];
    const int fault = f.fault;
    if (fault == kOpen || fault == kList || fault == kMount) {
      unreadable += fault != kMount;
      reasons.insert(fault == kMount ? RemovalReason::LinkKept : f.reason);
      return keepAll(n, keepAll), stay(f.path, fault == kMount);
    }
    if (fault == kSwapLink || fault == kSwapFolder) {
      ++unreadable;
      reasons.insert(fault == kSwapLink ? RemovalReason::LinkKept : RemovalReason::Changed);
      if (fault == kSwapFolder) stay(f.path / "s", true);
      return stay(f.path, fault == kSwapLink);
    }
    files += f.entries.size();
    for (const fs::path& e : f.entries) bytes += tree.sizes.at(e);
    bool stays = false;
    for (std::size_t c : f.folders) stays = self(c, self) || stays;
    if (!stays && fault == kRemove) reasons.insert(f.reason);
    if (!stays && fault == kLate) reasons.insert(RemovalReason::NotEmpty);
    if (!stays && fault == kLate) stay(f.path / "late", true);
    if (stays || fault == kRemove || fault == kLate) return stay(f.path, false);
    return false;
  };
  const bool stays = model(0, model);

  const bool unlisted = *rc::gen::inRange(0, 8) == 0;  // the walk's root itself
  fakes::WalkSeam walker(platform::posix::makeWalkBackend(walked.devices()));
  walker.hook = [&](const std::string& step, const std::string& name) {
    const RandomTree::Folder* f = walked.fault(name);
    if (name.empty()) return !unlisted || step != "list";
    if (f && step == "open" && (f->fault == kSwapLink || f->fault == kSwapFolder)) walked.swap(*f);
    return !f || f->fault != (step == "open" ? kOpen : kList);
  };
  const auto got = space::walkFolder(walker, walked.folders[0].path.string(), oneThread ? 1 : 3);
  RC_ASSERT(std::tuple(got.exists, got.bytes, got.subfolders, got.unreadable) ==
            (unlisted ? std::tuple(true, 0ul, 0ul, 1ul)
                      : std::tuple(true, bytes, tree.folders[0].folders.size(), unreadable)));

  fakes::RemovalSeam& seam = useSeam(oneThread ? 1 : 3, tree.devices());
  seam.hook = [&](const std::string& step, const std::string& name, RemovalBackend::Mode mode,
                  const std::atomic<bool>&) {
    const RandomTree::Folder* f = tree.fault(name);
    if (!f) return RemovalReason::None;
    if ((step == "open" && f->fault == kOpen) || (step == "clear" && f->fault == kList) ||
        (step == "remove" && f->fault == kRemove))
      return f->reason;
    if (step == "remove" && f->fault == kLate) writeFile(f->path / "late");
    if (step == "open" && mode == RemovalBackend::Mode::Remove &&
        (f->fault == kSwapLink || f->fault == kSwapFolder))
      tree.swap(*f);
    return RemovalReason::None;
  };
  std::pair<std::uint64_t, std::uint64_t> progress{UINT64_MAX, 0};  // none yet: fails below
  const clean::RemovalReport r = removeOne(target, &progress);
  const std::vector<RemovalReason> seen = seam.reasons();
  RC_ASSERT(r.gone == !stays);
  RC_ASSERT(r.removedFiles == files);
  RC_ASSERT(r.removedBytes == bytes);
  RC_ASSERT(progress.first <= files);
  RC_ASSERT(progress.second <= bytes);
  left.erase(target);
  RC_ASSERT((stays ? below(target) : std::set<fs::path>{}) == left);
  RC_ASSERT(std::set<RemovalReason>(seen.begin(), seen.end()) == reasons);
  if (stays) {  // (RC_ASSERT does not short-circuit)
    RC_ASSERT(r.remaining == remaining);
    RC_ASSERT(r.remainingFiles == remainingFiles);
    RC_ASSERT((oneThread ? r.firstReason == seen.front() : reasons.count(r.firstReason) == 1));
  }

  seam.hook = [](auto&&...) { return RemovalReason::None; };  // for the single targets
  std::set<fs::path> before = below(account_);
  const auto& folder = walked.folders[*rc::gen::inRange<std::size_t>(0, walked.folders.size())];
  const bool empty = fs::is_directory(fs::symlink_status(folder.path)) && fs::is_empty(folder.path);
  const bool there = fs::exists(fs::symlink_status(folder.path));
  RC_ASSERT(removeOne(folder.path).gone == (empty || !there));
  if (empty) before.erase(folder.path);
  seam.hook = [&](const std::string& step, const std::string& path, auto, auto&) {
    const auto it = walked.sizes.find(path);  // a third of the entries are held open
    return step == "target" && it != walked.sizes.end() && it->second % 3 == 0
               ? RemovalReason::InUse
               : RemovalReason::None;
  };
  for (const auto& [entry, size] : walked.sizes) {
    const bool goes = fs::exists(fs::symlink_status(entry)) && size % 3 != 0;
    const auto r = removeOne(entry, &progress);
    RC_ASSERT(r.gone == (size % 3 != 0) && r.removedFiles == goes &&
              r.removedBytes == (goes ? size : 0));
    if (size % 3 != 0) before.erase(entry);
  }
  RC_ASSERT(removeOne(account_, &progress).refused && removeOne(outside_, &progress).refused);
  RC_ASSERT(below(account_) == before);
  RC_ASSERT(fs::file_size(tree.outside / "keep") == 7u);
}

// Holds the first sub-folder a worker reaches in step `held` until `until`, and counts the
// folders opened after that.
struct Hold {
  std::atomic<bool> inHand = false, released = false;
  std::atomic<int> opensAfter = 0;
  void at(const std::string& step, const std::string& name, const std::string& held,
          const std::atomic<bool>& until) {
    if (step == "open" && released) ++opensAfter;
    if (step == held && !name.empty() && !inHand.exchange(true)) {
      for (int i = 0; i < 2000 && !until; ++i) std::this_thread::sleep_for(1ms);
      released = true;
    }
  }
};

// The measurer reports in the order it was asked (its queue's order: oldest first), on the UI
// thread, and not to a window that is gone. Shut down with a folder in hand, the measurer stops its
// walk and the engine its removal at their next folder: queued folders are dropped, the one in hand
// is not removed, nothing is reported; and a folder pass that sees the stop touches nothing.
TEST_F(RemovalEngine, MeasurerReportsInOrderAndBothStopMidWork) {
  for (int i = 0; i < 50; ++i) writeFile(base_ / "in" / std::to_string(i) / "f");
  for (int i = 0; i < 10; ++i) fs::create_directories(account_ / "T" / std::to_string(i));
  Hold walking, removing;
  std::atomic<bool> closing = false;
  fakes::WalkSeam walker(platform::posix::makeWalkBackend());
  walker.hook = [&](const std::string& step, const std::string& name) {
    return walking.at(step, name, "open", closing), true;
  };
  auto measurer = space::makeBackgroundMeasurer(
      host_, [&](const std::string& path, const std::atomic<bool>& stop) {
        return space::walkFolder(walker, path, 1, &stop);
      });
  std::atomic<bool> queued = false;
  std::vector<int> order;
  const std::thread::id ui = std::this_thread::get_id();
  auto window = std::make_unique<platform::Lifetime>();
  const std::function<void()> late = window->ifAlive([&] { order.push_back(5); });
  window.reset();  // what reports after the window that asked is gone must not reach it
  for (int i = 0; i < 6; ++i) {
    measurer->run([&, i](const space::Measurer::Walk&) -> std::function<void()> {
      while (!queued) std::this_thread::yield();
      if (i == 5) return late;
      return [&, i] { order.push_back(std::this_thread::get_id() == ui ? i : -1); };
    });
  }
  queued = true;
  EXPECT_TRUE(host_.pumpUntil([&] { return order.size() == 5; }) && host_.pumpOne());
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));

  measurer->measure((base_ / "in").string(),
                    [](const platform::FolderSize&) { ADD_FAILURE() << "reported"; });
  useSeam(1).hook = [&](const std::string& step, const std::string& name, RemovalBackend::Mode,
                        const std::atomic<bool>& stop) {
    return removing.at(step, name, "clear", stop), RemovalReason::None;
  };
  engine_->remove((account_ / "T").string(), account_.string(),
                  [](const clean::RemovalReport&) { ADD_FAILURE() << "reported"; });
  while (!walking.inHand || !removing.inHand) std::this_thread::yield();
  closing = true;
  measurer.reset();
  engine_.reset();
  EXPECT_EQ(walking.opensAfter + removing.opensAfter, 0);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(fs::exists(account_ / "T" / std::to_string(i))) << i;
  EXPECT_FALSE(host_.pumpOne(0s)) << "a report after shutdown";

  writeFile(account_ / "T" / "0" / "f");
  auto backend = platform::posix::makeRemovalBackend();
  auto opened = backend->openTarget((account_ / "T" / "0").string(), RemovalBackend::Mode::Remove);
  ASSERT_TRUE(opened.folder);
  const std::atomic<bool> stop = true;
  backend->clearFolder(*opened.folder, RemovalBackend::Mode::Remove, stop);
  EXPECT_TRUE(fs::exists(account_ / "T" / "0" / "f"));

  // A folder of the number listed, but on another file system (mounted there since), is not it.
  const std::atomic<bool> go = false;
  auto t = backend->openTarget((account_ / "T").string(), RemovalBackend::Mode::Count);
  auto listed = backend->clearFolder(*t.folder, RemovalBackend::Mode::Count, go).subfolders.at(0);
  ++listed.volume;
  EXPECT_EQ(backend->openChild(*t.folder, listed).reason, RemovalReason::Changed);
}

}  // namespace
