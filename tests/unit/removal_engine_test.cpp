#include "clean/removal_engine.h"
#include "fakes/backend_seams.h"
#include "fakes/pumped_host.h"
#include "fakes/random_tree.h"
#include "platform/posix/remove_posix.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using platform::RemovalBackend;
using platform::RemovalReason;

class RemovalEngine : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(account_); }
  void TearDown() override { engine_.reset(); }
  static void file(const fs::path& p, std::size_t size = 1) { fakes::writeFile(p, size); }
  // Every entry below `root`, links not followed, so a test can tell what stayed.
  static std::set<fs::path> entriesBelow(const fs::path& root) {
    std::set<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) out.insert(e.path());
    return out;
  }
  fakes::RemovalSeam& useSeam(unsigned threads = 2, platform::posix::DeviceSeam devices = {}) {
    auto seam = std::make_unique<fakes::RemovalSeam>(platform::posix::makeRemovalBackend(devices));
    fakes::RemovalSeam& ref = *seam;
    engine_ = clean::makeRemovalEngine(host_, std::move(seam), threads);
    return ref;
  }
  // Removes `target`; the report, with the last progress figures seen before it.
  clean::RemovalReport removeOne(const fs::path& target,
                                 std::pair<std::uint64_t, std::uint64_t>* progress = nullptr) {
    std::optional<clean::RemovalReport> report;
    bool otherThread = false;
    engine_->remove(
        target.string(), account_.string(),
        [&](const clean::RemovalReport& r) {
          otherThread |= std::this_thread::get_id() != testThread_;
          report = r;
        },
        [&](std::uint64_t files, std::uint64_t bytes) {
          otherThread |= std::this_thread::get_id() != testThread_;
          if (progress) *progress = {files, bytes};
        });
    if (!host_.pumpUntil([&] { return report.has_value(); })) ADD_FAILURE() << "no report";
    if (otherThread) ADD_FAILURE() << "a report or progress off the UI thread";
    return report.value_or(clean::RemovalReport{});
  }

  fakes::ScratchDir scratch_;
  const fs::path base_ = scratch_.path, account_ = base_ / "acct";
  fakes::PumpedHost host_;
  std::thread::id testThread_ = std::this_thread::get_id();
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::posix::makeRemovalBackend(), 2);
};

TEST_F(RemovalEngine, TargetsThatAreNoFolderOrNotToBeTouched) {
  EXPECT_TRUE(removeOne(account_ / "never-there").gone);
  // A target that is a link or a file: it goes, and what a link names stays.
  file(base_ / "outside" / "keep");
  fs::create_directory_symlink(base_ / "outside", account_ / "dirlink");
  file(account_ / "file", 7);
  for (const char* name : {"dirlink", "file"}) {
    const auto r = removeOne(account_ / name);
    EXPECT_TRUE(r.gone && r.removedFiles == 1) << name;
    EXPECT_TRUE(name[0] != 'f' || r.removedBytes == 7) << r.removedBytes;
    EXPECT_FALSE(fs::exists(fs::symlink_status(account_ / name))) << name;
  }
  EXPECT_TRUE(fs::exists(base_ / "outside" / "keep"));

  EXPECT_TRUE(removeOne(base_ / "outside").refused);
  EXPECT_TRUE(removeOne(account_).refused);
  EXPECT_TRUE(fs::exists(base_ / "outside" / "keep"));
  EXPECT_TRUE(fs::exists(account_));

  // A month folder whose images went goes too, but only when nothing else is left in it.
  fs::create_directories(account_ / "empty");
  file(account_ / "month" / "Rec" / "r");
  fs::create_directory_symlink(base_ / "outside", account_ / "link");
  for (const char* name : {"empty", "month", "link"}) {
    std::optional<clean::RemovalReport> report;
    engine_->removeIfEmpty((account_ / name).string(), account_.string(),
                           [&](const clean::RemovalReport& r) { report = r; });
    ASSERT_TRUE(host_.pumpUntil([&] { return report.has_value(); }));
    EXPECT_EQ(report->gone, std::string(name) == "empty") << name;
  }
  EXPECT_TRUE(fs::exists(account_ / "month" / "Rec" / "r") &&
              fs::exists(base_ / "outside" / "keep"));
}

// A random tree below the target with faults in random folders at once (fakes::Fault): a model
// says what must stay, the files and bytes given back, what the recount finds and which reasons
// come up; the report gives the first of them (exactly so with one worker, whose order is known).
RC_GTEST_FIXTURE_PROP(RemovalEngine, RandomTreesWithFaultsMatchTheModel,
                      (const std::vector<std::array<std::uint8_t, 4>>& specs, bool oneThread)) {
  using namespace fakes;
  const fs::path target = account_ / "T", outside = base_ / "outside";
  file(outside / "keep", 7);
  const RandomTree tree(target, base_, outside, specs);
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
  std::uint64_t remaining = 0;
  for (const fs::path& p : left) remaining += p != target && counted(p.parent_path());

  RemovalSeam& seam = useSeam(oneThread ? 1 : 3, tree.devices());
  seam.hook = [&](const std::string& step, const std::string& name, RemovalBackend::Mode mode,
                  const std::atomic<bool>&) {
    const RandomTree::Folder* f = tree.fault(name);
    if (!f) return RemovalReason::None;
    if ((step == "open" && f->fault == kOpen) || (step == "clear" && f->fault == kList) ||
        (step == "remove" && f->fault == kRemove))
      return f->reason;
    if (step == "remove" && f->fault == kLate) file(f->path / "late");
    if (step == "open" && mode == RemovalBackend::Mode::Remove &&
        (f->fault == kSwapLink || f->fault == kSwapFolder))
      tree.swap(*f, base_, outside);
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
  RC_ASSERT((stays ? entriesBelow(target) : std::set<fs::path>{}) == left);
  RC_ASSERT(std::set<RemovalReason>(seen.begin(), seen.end()) == reasons);
  RC_ASSERT(fs::file_size(outside / "keep") == 7u);
  if (!stays) return;
  RC_ASSERT(r.remaining == remaining);
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
  EXPECT_FALSE(host_.pumpOne(std::chrono::seconds(0))) << "a report after shutdown";

  file(target / "0" / "f");
  auto backend = platform::posix::makeRemovalBackend();
  auto opened = backend->openTarget((target / "0").string(), RemovalBackend::Mode::Remove);
  ASSERT_TRUE(opened.folder);
  const std::atomic<bool> stop = true;
  backend->clearFolder(*opened.folder, RemovalBackend::Mode::Remove, stop);
  EXPECT_TRUE(fs::exists(target / "0" / "f"));
}

}  // namespace
