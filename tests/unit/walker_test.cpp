#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "fakes/backend_seams.h"
#include "fakes/pumped_host.h"
#include "fakes/random_tree.h"
#include "platform/posix/measure.h"
#include "platform/work_queue.h"
#include "space/measurer.h"
#include "space/walker.h"

namespace fs = std::filesystem;
using platform::FolderSize;
using platform::WorkQueue;
using namespace std::chrono_literals;

namespace {

// Compared as one value, so a failure shows all four figures.
auto fields(const FolderSize& f) {
  return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
}

}  // namespace

// Random trees with faults in random folders (fakes::Fault; the walker meets all but those of
// removing): a folder that cannot be opened or listed, or is swapped after its listing for a link
// or another folder, is counted as unreadable with nothing in it or behind it; a file system
// mounted inside is neither entered nor counted; the rest adds up, whatever the thread count.
RC_GTEST_PROP(Walker, RandomTreesWithFaultsMatchTheModel,
              (const std::vector<std::array<std::uint8_t, 4>>& specs, bool oneThread)) {
  using namespace fakes;
  fakes::ScratchDir t;
  const fs::path root = t.path / "root", outside = t.path / "outside";
  writeFile(outside / "keep", 100000);
  const RandomTree tree(root, t.path, outside, specs);
  FolderSize want{true, 0, tree.folders[0].folders.size(), 0};
  auto model = [&](std::size_t n, auto& self) -> void {
    const RandomTree::Folder& f = tree.folders[n];
    if (f.fault == kMount) return;
    if (f.fault == kOpen || f.fault == kList || f.fault == kSwapLink || f.fault == kSwapFolder)
      return void(++want.unreadable);
    for (const fs::path& e : f.entries) want.bytes += tree.sizes.at(e);
    for (std::size_t c : f.folders) self(c, self);
  };
  model(0, model);
  WalkSeam seam(platform::posix::makeWalkBackend(tree.devices()));
  seam.hook = [&](const std::string& step, const std::string& name) {
    const RandomTree::Folder* f = tree.fault(name);
    if (f && step == "open" && (f->fault == kSwapLink || f->fault == kSwapFolder))
      tree.swap(*f, t.path, outside);
    return !f || f->fault != (step == "open" ? kOpen : kList);
  };
  RC_ASSERT(fields(want) == fields(space::walkFolder(seam, root.string(), oneThread ? 1 : 3)));
}

// One thread held by a task while four are queued: newest first for tree walks, oldest first for
// the measurer. (A stop drops what is queued: the engine's shutdown test shows it.)
TEST(WorkQueue, TakesTasksInItsOrder) {
  for (auto order : {WorkQueue::Order::NewestFirst, WorkQueue::Order::OldestFirst}) {
    std::atomic<bool> held = true;
    std::atomic<std::size_t> done = 0;
    std::vector<int> ran;  // by the queue's one thread only, read once it has ended
    {
      WorkQueue queue(1, order);
      queue.push([&] {
        while (held) std::this_thread::yield();
      });
      for (int i = 0; i < 4; ++i) queue.push([&, i] { ran.push_back(i), ++done; });
      held = false;
      while (done < 4) std::this_thread::yield();
    }
    EXPECT_EQ(ran, (order == WorkQueue::Order::NewestFirst ? std::vector<int>{3, 2, 1, 0}
                                                           : std::vector<int>{0, 1, 2, 3}));
  }
}

// The measurer reports in the order it was asked, on the UI thread; destroyed mid-walk, it stops
// the walk at its next folder and reports nothing more.
TEST(Measurer, ReportsInOrderAndStopsMidWalk) {
  fakes::ScratchDir t;
  for (int i = 0; i < 50; ++i) fakes::writeFile(t.path / std::to_string(i) / "f");
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

  measurer->measure(t.path.string(), [](const FolderSize&) { ADD_FAILURE() << "reported"; });
  while (!inHand) std::this_thread::yield();
  closing = true;
  measurer.reset();
  EXPECT_EQ(opensAfterClose, 0);
  EXPECT_FALSE(host.pumpOne(0s)) << "a report after the measurer was destroyed";
}
