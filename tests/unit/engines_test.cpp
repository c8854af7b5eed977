// The size walker and the removal engine on real folders through the POSIX backends, against
// random trees whose folders fail as a locked or vanished folder, a mount or another program would.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <stdlib.h>

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
using platform::RemovalReason;
using Mode = platform::RemovalBackend::Mode;
using namespace std::chrono_literals;

std::uint64_t writeFile(const fs::path& p, std::size_t size = 1) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << std::string(size, 'x');
  return size;
}

// A folder that cannot be opened, listed or removed; a file system mounted there; a file written
// into it as it is removed; swapped after its listing for a link to "outside", or for another
// folder.
enum Fault { kOpen, kList, kRemove, kMount, kLate, kSwapLink, kSwapFolder, kNoFault };
using Shapes = std::vector<std::array<std::uint8_t, 4>>;

// A tree at `root` below `base`: entry i of `shapes` is a file, folder or link in the folder chosen
// by its first byte; a folder may have a fault, the root one that it cannot be listed. A swapped
// folder is moved beside the root.
struct RandomTree {
  struct Folder {
    fs::path path;
    int fault = kNoFault;
    RemovalReason reason = RemovalReason::None;
    std::vector<std::size_t> folders{};
    std::vector<fs::path> entries{};  // files and links
  };
  std::vector<Folder> folders;              // [0] is the root
  std::map<fs::path, std::uint64_t> sizes;  // of the entries; a link's own: its target's length
  fs::path aside, outside;

  RandomTree(const fs::path& base, const fs::path& root, const Shapes& shapes, bool unlisted)
      : aside((base / root).parent_path()), outside(base / "outside") {
    const RemovalReason reasons[] = {RemovalReason::AccessDenied, RemovalReason::InUse,
                                     RemovalReason::DriveUnavailable, RemovalReason::Other};
    folders.push_back({base / root, unlisted ? kList : kNoFault, RemovalReason::AccessDenied});
    fs::create_directories(folders[0].path);
    for (std::size_t i = 0; i < shapes.size(); ++i) {
      const auto [parent, kind, size, fault] = shapes[i];
      const std::size_t at = parent % folders.size();
      const fs::path path = folders[at].path / (std::to_string(i) + "-" + std::to_string(kind % 4));
      if (kind % 4 == 2) {
        fs::create_directory(path);
        folders[at].folders.push_back(folders.size());
        folders.push_back({path, fault % 12 < kNoFault ? fault % 12 : kNoFault, reasons[size % 4]});
        continue;
      }
      if (kind % 4 == 3) fs::create_symlink(i % 2 ? outside : outside / "keep", path);
      sizes[path] = kind % 4 == 3 ? fs::read_symlink(path).native().size() : writeFile(path, size);
      folders[at].entries.push_back(path);
    }
  }

  const Folder* fault(std::string_view name) const {  // null: none; the seams name the root ""
    for (const Folder& f : folders)
      if (f.fault != kNoFault && (&f == &folders[0] ? "" : f.path.filename()) == name) return &f;
    return nullptr;
  }
  platform::posix::DeviceSeam devices() const {
    return [this](std::string_view name, std::uint64_t device) {
      const Folder* f = fault(name);
      return f && f->fault == kMount ? device + 1 : device;
    };
  }
  // The seams' hook: why folder `name` fails at `step` (a walk's "list" is a removal's "clear"),
  // or None; a third of the entries are held open as targets. The walk or the removing pass swaps
  // a folder as it opens it, as another program would after its listing; a late file is written
  // into its folder as that is removed.
  RemovalReason operator()(const std::string& step, const std::string& name,
                           Mode mode = Mode::Remove, auto&&...) const {
    if (step == "target")
      return sizes.count(name) && sizes.at(name) % 3 == 0 ? RemovalReason::InUse
                                                          : RemovalReason::None;
    const Folder* f = fault(name);
    if (!f) return RemovalReason::None;
    if (step == "open" && mode == Mode::Remove &&
        (f->fault == kSwapLink || f->fault == kSwapFolder)) {
      fs::rename(f->path, aside / ("moved-" + name));
      if (f->fault == kSwapLink) fs::create_directory_symlink(outside, f->path);
      if (f->fault == kSwapFolder) writeFile(f->path / "s", 3);
    }
    if (step == "remove" && f->fault == kLate) writeFile(f->path / "late");
    const int fails = step == "open" ? kOpen : step == "remove" ? kRemove : kList;
    return f->fault == fails ? f->reason : RemovalReason::None;
  }
};

// Every path below `folder`, as it is now.
std::set<fs::path> below(const fs::path& folder) {
  std::set<fs::path> paths;
  for (const auto& e : fs::recursive_directory_iterator(folder)) paths.insert(e.path());
  return paths;
}

// Removals through the engine in a folder of the test's own, the only thing it removes, holding
// "outside/keep", which links in the trees name; in memory where the machine has it, as the
// properties write thousands of small trees, which a busy disk takes seconds over.
class RemovalEngine : public ::testing::Test {
 protected:
  RemovalEngine() { writeFile(outside_ / "keep", 7); }
  // The engine first: after a failure it may still be at work in the folder.
  ~RemovalEngine() override { engine_.reset(), fs::remove_all(base_); }

  // Removes `target` (only if empty: `progress` null); the report, with the last progress figures
  // seen before it.
  clean::RemovalReport removeOne(const fs::path& target,
                                 std::pair<std::uint64_t, std::uint64_t>* progress = nullptr) {
    std::optional<clean::RemovalReport> report;
    bool off = false;  // a callback off the UI thread
    auto here = [&, ui = std::this_thread::get_id()] { off |= std::this_thread::get_id() != ui; };
    auto done = [&](const clean::RemovalReport& r) { here(), report = r; };
    if (!progress) engine_->removeIfEmpty(target.string(), account_.string(), done);
    if (progress)
      engine_->remove(target.string(), account_.string(), done, [&](auto files, auto bytes) {
        here(), *progress = {files, bytes};
      });
    if (!host_.pumpUntil([&] { return report.has_value(); })) ADD_FAILURE() << "no report";
    if (off) ADD_FAILURE() << "a report or progress off the UI thread";
    return report.value_or(clean::RemovalReport{});
  }
  fakes::RemovalSeam& useSeam(unsigned threads, platform::posix::DeviceSeam devices = {}) {
    auto seam = std::make_unique<fakes::RemovalSeam>(platform::posix::makeRemovalBackend(devices));
    fakes::RemovalSeam& ref = *seam;
    engine_ = clean::makeRemovalEngine(host_, std::move(seam), threads);
    return ref;
  }

  const fs::path base_ = [] {
    std::string t = (fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string()) +
                    "/velmora-XXXXXX";
    return fs::path(mkdtemp(t.data()));
  }();
  const fs::path account_ = base_ / "acct", outside_ = base_ / "outside";
  fakes::VirtualClock host_;
  std::unique_ptr<clean::Remover> engine_;
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
  const bool unlisted = *rc::gen::inRange(0, 8) == 0;  // the root
  const RandomTree walked(base_, "acct/W/T", shapes, unlisted),
      tree(base_, "acct/T", shapes, unlisted);
  const fs::path target = tree.folders[0].path;
  std::uint64_t files = 0, bytes = 0, unreadable = 0, remaining = 0, remainingFiles = 0;
  std::set<RemovalReason> reasons;
  std::set<fs::path> left;  // below the target
  // `p` stays, and the recount finds it (as a file: a mount, or a link swapped in, shows as one).
  auto stay = [&](const fs::path& p, bool file) {
    if (p != target) ++remaining, left.insert(p);
    return remainingFiles += file, true;
  };
  // Whether folder `n`, reached by the removal, stays. The recount cannot go into a folder that
  // could not be opened or listed.
  auto model = [&](std::size_t n, auto& self) -> bool {
    const RandomTree::Folder& f = tree.folders[n];
    const int fault = f.fault;
    if (fault == kOpen || fault == kList || fault == kMount) {
      unreadable += fault != kMount;
      reasons.insert(fault == kMount ? RemovalReason::LinkKept : f.reason);
      left.merge(below(f.path));
      return stay(f.path, fault == kMount);
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
    if (!stays && (fault == kRemove || fault == kLate))
      reasons.insert(fault == kRemove ? f.reason : RemovalReason::NotEmpty);
    if (!stays && fault == kLate) stay(f.path / "late", true);
    return (stays || fault == kRemove || fault == kLate) && stay(f.path, false);
  };
  const bool stays = model(0, model);

  fakes::WalkSeam walker(platform::posix::makeWalkBackend(walked.devices()));
  walker.hook = [&](auto& step, auto& name) { return walked(step, name) == RemovalReason::None; };
  const auto got = space::walkFolder(walker, walked.folders[0].path.string(), oneThread ? 1 : 3);
  RC_ASSERT(std::tuple(got.exists, got.bytes, got.subfolders, got.unreadable) ==
            std::tuple(true, bytes, unlisted ? 0 : tree.folders[0].folders.size(), unreadable));

  fakes::RemovalSeam& seam = useSeam(oneThread ? 1 : 3, tree.devices());
  seam.hook = std::cref(tree);
  std::pair<std::uint64_t, std::uint64_t> progress{UINT64_MAX, 0};  // none yet: fails below
  const clean::RemovalReport r = removeOne(target, &progress);
  const std::vector<RemovalReason> seen = seam.reasons();
  RC_ASSERT(std::tuple(r.gone, r.removedFiles, r.removedBytes) == std::tuple(!stays, files, bytes));
  RC_ASSERT(progress.first <= files && progress.second <= bytes);
  RC_ASSERT((stays ? below(target) : std::set<fs::path>{}) == left);
  RC_ASSERT(std::set<RemovalReason>(seen.begin(), seen.end()) == reasons);
  if (stays) {  // (RC_ASSERT does not short-circuit)
    RC_ASSERT(std::tuple(r.remaining, r.remainingFiles) == std::tuple(remaining, remainingFiles));
    RC_ASSERT((oneThread ? r.firstReason == seen.front() : reasons.count(r.firstReason) == 1));
  }

  seam.hook = std::cref(walked);  // for the single targets
  std::set<fs::path> before = below(account_);
  const auto& folder = walked.folders[*rc::gen::inRange<std::size_t>(0, walked.folders.size())];
  const bool empty = fs::is_directory(fs::symlink_status(folder.path)) && fs::is_empty(folder.path);
  const bool there = fs::exists(fs::symlink_status(folder.path));
  RC_ASSERT(removeOne(folder.path).gone == (empty || !there));
  if (empty) before.erase(folder.path);
  for (const auto& [entry, size] : walked.sizes) {
    const bool held = size % 3 == 0, goes = !held && fs::exists(fs::symlink_status(entry));
    const auto r = removeOne(entry, &progress);
    RC_ASSERT(std::tuple(r.gone, r.removedFiles, r.removedBytes) ==
              std::tuple(!held, goes, goes ? size : 0));
    if (!held) before.erase(entry);
  }
  RC_ASSERT(removeOne(account_, &progress).refused && removeOne(outside_, &progress).refused);
  RC_ASSERT(below(account_) == before && fs::file_size(outside_ / "keep") == 7u);
}

// The measurer reports in the order it was asked (its queue's order: oldest first), on the UI
// thread, and not to a window that is gone. Shut down with a folder in hand, the measurer stops its
// walk and the engine its removal at their next folder: queued folders are dropped, the one in hand
// is not removed, nothing is reported; and a folder pass that sees the stop ends at once.
TEST_F(RemovalEngine, MeasurerReportsInOrderAndBothStopMidWork) {
  for (int i = 0; i < 10; ++i) fs::create_directories(account_ / "T" / std::to_string(i));
  std::atomic<bool> closing = false;
  std::atomic<int> held = 0, opensAfter = 0;
  // Holds the first sub-folder a worker reaches in step `at` until `until`, and counts the folders
  // opened once the close began.
  auto hold = [&](const std::string& step, const std::string& name, const std::string& at,
                  const std::atomic<bool>& until) {
    opensAfter += step == "open" && closing;
    if (step != at || name.empty() || closing) return;
    ++held;
    for (int i = 0; i < 2000 && !until; ++i) std::this_thread::sleep_for(1ms);
  };
  auto measurer = space::makeBackgroundMeasurer(host_, [&](auto& path, auto& stop) {
    fakes::WalkSeam walker(platform::posix::makeWalkBackend());
    walker.hook = [&](auto& step, auto& name) { return hold(step, name, "open", stop), true; };
    return space::walkFolder(walker, path, 1, &stop);
  });
  std::atomic<bool> queued = false;
  std::vector<int> order;
  // What reports after the window that asked is gone must not reach it.
  const std::function<void()> late = platform::Lifetime().ifAlive([&] { order.push_back(5); });
  for (int i = 0; i < 6; ++i)
    measurer->run([&, i, ui = std::this_thread::get_id()](auto&) -> std::function<void()> {
      while (!queued) std::this_thread::yield();
      return i == 5 ? late
                    : [&, i, ui] { order.push_back(std::this_thread::get_id() == ui ? i : -1); };
    });
  queued = true;
  EXPECT_TRUE(host_.pumpUntil([&] { return order.size() == 5; }) && host_.pumpOne());
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));

  measurer->measure((account_ / "T").string(), [](auto&) { ADD_FAILURE() << "reported"; });
  useSeam(1).hook = [&](auto& step, auto& name, auto, auto& stop) {
    return hold(step, name, "clear", stop), RemovalReason::None;
  };
  engine_->remove((account_ / "T").string(), account_.string(), [](auto&) { ADD_FAILURE(); });
  while (held < 2) std::this_thread::yield();
  closing = true;
  measurer.reset();
  engine_.reset();
  EXPECT_EQ(opensAfter, 0);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(fs::exists(account_ / "T" / std::to_string(i))) << i;
  EXPECT_FALSE(host_.pumpOne(0s)) << "a report after shutdown";

  // A removing pass that sees the stop lists nothing; a folder of the number listed, but on another
  // file system (mounted there since), is not it.
  auto backend = platform::posix::makeRemovalBackend();
  auto t = backend->openTarget((account_ / "T").string(), Mode::Count);
  const std::atomic<bool> stop = true, go = false;
  EXPECT_TRUE(backend->clearFolder(*t.folder, Mode::Remove, stop).subfolders.empty());
  auto listed = backend->clearFolder(*t.folder, Mode::Count, go).subfolders.at(0);
  ++listed.volume;
  EXPECT_EQ(backend->openChild(*t.folder, listed).reason, RemovalReason::Changed);
}

}  // namespace
