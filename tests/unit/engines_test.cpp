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
#include "fakes/pumped_host.h"
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

// A tree at `root` in `s`: entry i of `specs` is a file, folder or link in the folder chosen by
// its first byte; a folder may have a fault.
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

  fs::path base, outside;

  RandomTree(const Scratch& s, const fs::path& root,
             const std::vector<std::array<std::uint8_t, 4>>& specs)
      : base(s.base), outside(s.outside) {
    const RemovalReason reasons[] = {RemovalReason::AccessDenied, RemovalReason::InUse,
                                     RemovalReason::DriveUnavailable, RemovalReason::Other};
    folders.push_back({base / root});
    fs::create_directories(folders[0].path);
    for (std::size_t i = 0; i < specs.size(); ++i) {
      const auto [parent, kind, size, fault] = specs[i];
      const std::size_t at = parent % folders.size();
      const fs::path path = folders[at].path / (std::to_string(i) + "-" + std::to_string(kind % 4));
      if (kind % 4 == 2) {
        fs::create_directory(path);
        folders[at].folders.push_back(folders.size());
        folders.push_back({path, fault % 12 < kNoFault ? fault % 12 : kNoFault, reasons[size % 4]});
        if (fault % 12 < kNoFault) faulty[path.filename()] = folders.size() - 1;
        if (fault % 12 == kSwapFolder) writeFile(base / path.filename() / "s", 3);
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
    fs::rename(f.path, base / ("moved-" + f.path.filename().string()));
    if (f.fault == kSwapLink)
      fs::create_directory_symlink(outside, f.path);
    else
      fs::rename(base / f.path.filename(), f.path);
  }
};

using Specs = std::vector<std::array<std::uint8_t, 4>>;

// A folder that cannot be opened or listed, or is swapped after its listing for a link or another
// folder, is counted as unreadable with nothing in it or behind it; a file system mounted inside
// is neither entered nor counted; the rest adds up, whatever the thread count.
RC_GTEST_PROP(Walker, RandomTreesWithFaultsMatchTheModel, (const Specs& specs, bool oneThread)) {
  const Scratch t;
  const RandomTree tree(t, "root", specs);
  platform::FolderSize want{true, 0, tree.folders[0].folders.size(), 0};
  auto model = [&](std::size_t n, auto& self) -> void {
    const RandomTree::Folder& f = tree.folders[n];
    if (f.fault == kMount) return;
    if (f.fault == kOpen || f.fault == kList || f.fault == kSwapLink || f.fault == kSwapFolder)
      return void(++want.unreadable);
    for (const fs::path& e : f.entries) want.bytes += tree.sizes.at(e);
    for (std::size_t c : f.folders) self(c, self);
  };
  model(0, model);
  const bool unlisted = *rc::gen::inRange(0, 8) == 0;  // the root itself
  if (unlisted) want = {true, 0, 0, 1};
  fakes::WalkSeam seam(platform::posix::makeWalkBackend(tree.devices()));
  seam.hook = [&](const std::string& step, const std::string& name) {
    const RandomTree::Folder* f = tree.fault(name);
    if (name.empty()) return !unlisted || step != "list";
    if (f && step == "open" && (f->fault == kSwapLink || f->fault == kSwapFolder)) tree.swap(*f);
    return !f || f->fault != (step == "open" ? kOpen : kList);
  };
  const auto got = space::walkFolder(seam, tree.folders[0].path.string(), oneThread ? 1 : 3);
  RC_ASSERT(std::tuple(got.exists, got.bytes, got.subfolders, got.unreadable) ==
            std::tuple(want.exists, want.bytes, want.subfolders, want.unreadable));
}

// The measurer reports in the order it was asked (its queue's order: oldest first), on the UI
// thread; destroyed mid-walk, it stops the walk at its next folder and reports nothing more.
TEST(Measurer, ReportsInOrderAndStopsMidWalk) {
  Scratch t;
  for (int i = 0; i < 50; ++i) writeFile(t.base / "in" / std::to_string(i) / "f");
  fakes::WalkSeam seam(platform::posix::makeWalkBackend());
  fakes::PumpedHost host;
  std::atomic<bool> inHand = false, closing = false;
  std::atomic<int> opensAfterClose = 0;
  seam.hook = [&](const std::string& step, const std::string&) {
    if (step == "open" && closing) ++opensAfterClose;
    if (step == "open" && !inHand.exchange(true)) {
      for (int i = 0; i < 2000 && !closing; ++i) std::this_thread::sleep_for(1ms);
    }
    return true;
  };
  auto measurer = space::makeBackgroundMeasurer(
      host, [&](const std::string& path, const std::atomic<bool>& stop) {
        return space::walkFolder(seam, path, 1, &stop);
      });
  std::atomic<bool> queued = false;
  std::vector<int> order;
  const std::thread::id ui = std::this_thread::get_id();
  for (int i = 0; i < 5; ++i) {
    measurer->run([&, i](const space::Measurer::Walk&) -> std::function<void()> {
      while (!queued) std::this_thread::yield();
      return [&, i] { order.push_back(std::this_thread::get_id() == ui ? i : -1); };
    });
  }
  queued = true;
  EXPECT_TRUE(host.pumpUntil([&] { return order.size() == 5; }));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));

  measurer->measure((t.base / "in").string(),
                    [](const platform::FolderSize&) { ADD_FAILURE() << "reported"; });
  while (!inHand) std::this_thread::yield();
  closing = true;
  measurer.reset();
  EXPECT_EQ(opensAfterClose, 0);
  EXPECT_FALSE(host.pumpOne(0s)) << "a report after the measurer was destroyed";
}

class RemovalEngine : public ::testing::Test {
 protected:
  // Removes `target`; the report, with the last progress figures seen before it.
  clean::RemovalReport removeOne(const fs::path& target,
                                 std::pair<std::uint64_t, std::uint64_t>* progress = nullptr) {
    std::optional<clean::RemovalReport> report;
    bool otherThread = false;
    auto here = [&, ui = std::this_thread::get_id()] {
      otherThread |= std::this_thread::get_id() != ui;
    };
    engine_->remove(
        target.string(), account_.string(),
        [&](const clean::RemovalReport& r) { here(), report = r; },
        [&](std::uint64_t files, std::uint64_t bytes) {
          here();
          if (progress) *progress = {files, bytes};
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
  fakes::PumpedHost host_;
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::posix::makeRemovalBackend(), 2);
};

TEST_F(RemovalEngine, TargetsThatAreNoFolderOrNotToBeTouched) {
  fs::create_directories(account_);
  EXPECT_TRUE(removeOne(account_ / "never-there").gone);
  // A target that is a link or a file: it goes, and what a link names stays.
  fs::create_directory_symlink(outside_, account_ / "dirlink");
  writeFile(account_ / "file", 7);
  for (const char* name : {"dirlink", "file"}) {
    const auto r = removeOne(account_ / name);
    EXPECT_TRUE(r.gone && r.removedFiles == 1) << name;
    EXPECT_TRUE(name[0] != 'f' || r.removedBytes == 7) << r.removedBytes;
    EXPECT_FALSE(fs::exists(fs::symlink_status(account_ / name))) << name;
  }
  EXPECT_TRUE(removeOne(outside_).refused);
  EXPECT_TRUE(removeOne(account_).refused);
  EXPECT_TRUE(fs::exists(account_));

  // A month folder whose images went goes too, but only when nothing else is left in it.
  fs::create_directories(account_ / "empty");
  writeFile(account_ / "month" / "Rec" / "r");
  fs::create_directory_symlink(outside_, account_ / "link");
  for (const char* name : {"empty", "month", "link"}) {
    std::optional<clean::RemovalReport> report;
    engine_->removeIfEmpty((account_ / name).string(), account_.string(),
                           [&](const clean::RemovalReport& r) { report = r; });
    ASSERT_TRUE(host_.pumpUntil([&] { return report.has_value(); }));
    EXPECT_EQ(report->gone, std::string(name) == "empty") << name;
  }
  EXPECT_TRUE(fs::exists(account_ / "month" / "Rec" / "r") && fs::exists(outside_ / "keep"));
}

// A model says what must stay, the files and bytes given back, what the recount finds and which
// reasons come up; the report gives the first of them (exactly so with one worker, whose order is
// known).
RC_GTEST_FIXTURE_PROP(RemovalEngine, RandomTreesWithFaultsMatchTheModel,
                      (const Specs& specs, bool oneThread)) {
  const RandomTree tree(scratch_, "acct/T", specs);
  const fs::path target = tree.folders[0].path;
  std::uint64_t files = 0, bytes = 0;
  std::set<RemovalReason> reasons;
  std::set<fs::path> left;
  auto keepAll = [&](std::size_t n, auto& self) -> void {
    left.insert(tree.folders[n].path);
    left.insert(tree.folders[n].entries.begin(), tree.folders[n].entries.end());
    for (std::size_t c : tree.folders[n].folders) self(c, self);
  };
  // Whether folder `n`, reached by the removal, stays.
  auto model = [&](std::size_t n, auto& self) -> bool {
    const RandomTree::Folder& f = tree.folders[n];
    const int fault = f.fault;
    if (fault == kOpen || fault == kList || fault == kMount) {
      reasons.insert(fault == kMount ? RemovalReason::LinkKept : f.reason);
      return keepAll(n, keepAll), true;
    }
    if (fault == kSwapLink || fault == kSwapFolder) {
      reasons.insert(fault == kSwapLink ? RemovalReason::LinkKept : RemovalReason::Changed);
      if (fault == kSwapFolder) left.insert(f.path / "s");
      return left.insert(f.path), true;
    }
    files += f.entries.size();
    for (const fs::path& e : f.entries) bytes += tree.sizes.at(e);
    bool stays = false;
    for (std::size_t c : f.folders) stays = self(c, self) || stays;
    if (!stays && fault == kRemove) reasons.insert(f.reason);
    if (!stays && fault == kLate) reasons.insert(RemovalReason::NotEmpty);
    if (!stays && fault == kLate) left.insert(f.path / "late");
    if (stays || fault == kRemove || fault == kLate) return left.insert(f.path), true;
    return false;
  };
  const bool stays = model(0, model);
  // The recount goes into every folder that stays, but for those it cannot open or list.
  std::function<bool(const fs::path&)> counted = [&](const fs::path& folder) {
    const RandomTree::Folder* f = tree.fault(folder.filename());
    const bool entered = !f || f->fault == kRemove || f->fault == kLate || f->fault == kSwapFolder;
    return folder == target || (entered && counted(folder.parent_path()));
  };
  std::uint64_t remaining = 0, remainingFiles = 0;
  for (const fs::path& p : left) {
    const bool seen = p != target && counted(p.parent_path());
    remaining += seen;
    // Files, and what shows as a link: a mount, or a folder swapped for a link.
    const RandomTree::Folder* f = tree.fault(p.filename());
    remainingFiles +=
        seen && (tree.sizes.count(p) || p.filename() == "late" || p.filename() == "s" ||
                 (f && (f->fault == kMount || f->fault == kSwapLink)));
  }

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
  std::set<fs::path> below;
  if (stays)
    for (const auto& e : fs::recursive_directory_iterator(target)) below.insert(e.path());
  RC_ASSERT(below == left);
  RC_ASSERT(std::set<RemovalReason>(seen.begin(), seen.end()) == reasons);
  RC_ASSERT(fs::file_size(tree.outside / "keep") == 7u);
  if (!stays) return;
  RC_ASSERT(r.remaining == remaining);
  RC_ASSERT(r.remainingFiles == remainingFiles);
  RC_ASSERT((oneThread ? r.firstReason == seen.front() : reasons.count(r.firstReason) == 1));
}

// Shutting down while a folder is being emptied: queued folders are dropped, the one in hand
// is not removed, nothing is reported, and a folder pass that sees the stop touches nothing.
TEST_F(RemovalEngine, ShutdownStartsNothingAndReportsNothing) {
  const fs::path target = account_ / "Video";
  for (int i = 0; i < 10; ++i) fs::create_directories(target / std::to_string(i));
  fakes::RemovalSeam& seam = useSeam(1);
  std::atomic<bool> inHand = false, stopped = false;
  std::atomic<int> opensAfterStop = 0;
  seam.hook = [&](const std::string& step, const std::string& folder, RemovalBackend::Mode,
                  const std::atomic<bool>& stop) {
    if (step == "open" && stopped) ++opensAfterStop;
    if (step == "clear" && !folder.empty() && !inHand.exchange(true)) {
      while (!stop) std::this_thread::yield();
      stopped = true;
    }
    return RemovalReason::None;
  };
  engine_->remove(target.string(), account_.string(), [](const clean::RemovalReport&) {});
  while (!inHand) std::this_thread::yield();
  engine_.reset();
  EXPECT_EQ(opensAfterStop, 0);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(fs::exists(target / std::to_string(i))) << i;
  EXPECT_FALSE(host_.pumpOne(0s)) << "a report after shutdown";

  writeFile(target / "0" / "f");
  auto backend = platform::posix::makeRemovalBackend();
  auto opened = backend->openTarget((target / "0").string(), RemovalBackend::Mode::Remove);
  ASSERT_TRUE(opened.folder);
  const std::atomic<bool> stop = true;
  backend->clearFolder(*opened.folder, RemovalBackend::Mode::Remove, stop);
  EXPECT_TRUE(fs::exists(target / "0" / "f"));
}

// A measurement or removal may report after the window that asked is gone: its callback must not
// reach the window's freed members.
TEST(Lifetime, CallbacksEndWithTheirOwner) {
  int calls = 0;
  auto owner = std::make_unique<platform::Lifetime>();
  const auto late = owner->ifAlive([&](int n) { calls += n; });
  late(1);
  owner.reset();
  late(1);
  EXPECT_EQ(calls, 1);
}

}  // namespace
