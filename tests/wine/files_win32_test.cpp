// The file system port, the size walker and the removal engine with the Win32 backends against
// the real (Wine) file system. Links and names Windows cannot make are made on the Linux side.
#include "support.h"

#include <optional>
#include <tuple>

#include "clean/plan_runner.h"
#include "clean/removal_engine.h"
#include "fakes/backend_seams.h"
#include "fakes/virtual_clock.h"
#include "platform/win32/file_system.h"
#include "platform/win32/remove_win32.h"
#include "platform/win32/walk_win32.h"
#include "space/walker.h"

using platform::RemovalReason;
using platform::win32::ListMethod;
using namespace wine_test;

class Win32Files : public ::testing::Test {
 protected:
  bool underWine() const { return !unixPath(temp_.path).empty(); }
  // As one value, so a failure shows all four figures.
  static auto walk(const std::string& path, ListMethod method = ListMethod::kDirectoryInfo,
                   platform::WalkBackend* backend = nullptr) {
    const platform::FolderSize f =
        space::walkFolder(backend ? *backend : *platform::win32::makeWalkBackend(method), path, 2);
    return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
  }
  clean::RemovalReport removeOne(const std::string& target) {
    std::optional<clean::RemovalReport> report;
    engine_->remove(target, account_, [&](const clean::RemovalReport& r) { report = r; });
    EXPECT_TRUE(host_.pumpUntil([&] { return report.has_value(); }));
    return report.value_or(clean::RemovalReport{});
  }

  TempFolder temp_;
  const std::string root_ = temp_.path, account_ = root_ + "\\wxid_test";
  fakes::VirtualClock host_;
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::win32::makeRemovalBackend(), 2);
};

// Hidden, system and read-only entries, a name ending in a dot, paths past MAX_PATH, and entries
// with long names the listing returns in many batches (a 64 KiB batch holds some 130 of them):
// the port tells each as Windows would, the walker adds up what was written either way it lists,
// and the removal takes all but a file held open, which stays with its reason. Thread counts make
// no difference: the native property shows it.
TEST_F(Win32Files, AGeneratedTreeIsToldMeasuredAndRemovedAsWindowsWould) {
  using platform::kAttrDirectory, platform::kAttrHidden, platform::kAttrSystem;
  const std::string root = account_ + "\\FileStorage";
  std::string deep = "\\long";
  while (rawPath(root + deep).size() <= MAX_PATH + 20) deep += "\\很长的文件夹名字-abcdefghijklmn";
  platform::win32::Win32FileSystem fs;
  auto told = [&](const std::string& path) {
    const auto attrs = fs.attributes(root + path);
    return attrs ? int(*attrs & (kAttrDirectory | kAttrHidden | kAttrSystem)) : -1;
  };
  // Made (a folder when told as one), given these attributes, told as these (read-only aside),
  // and with a backslash after the name told as nothing unless a folder. One byte a file.
  const std::tuple<std::string, DWORD, int> named[] = {
      {"\\plain.txt", 0, 0},
      {"\\隐藏.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, kAttrHidden},
      {"\\系统 folder", FILE_ATTRIBUTE_SYSTEM, kAttrDirectory | kAttrSystem},
      {"\\2023-01.", 0, kAttrDirectory},
      {deep + "\\深处.txt", FILE_ATTRIBUTE_READONLY, 0},
      {deep, FILE_ATTRIBUTE_READONLY, kAttrDirectory}};
  for (const auto& [path, set, attrs] : named) {
    ASSERT_TRUE(make(root + path + (attrs & kAttrDirectory ? "\\" : ""))) << path;
    if (set) SetFileAttributesW(rawPath(root + path).c_str(), set);
    EXPECT_EQ(told(path), attrs) << path;
    EXPECT_EQ(told(path + "\\"), attrs & kAttrDirectory ? attrs : -1) << path;
  }
  // The month pass must not take "2023-01." for "2023-01".
  EXPECT_TRUE(told("\\2023-01") == -1 && !fs.attributes(""));
  std::uint64_t bytes = 3;
  for (unsigned i = 0; i < 400; ++i) {  // every fifth a folder with a file in it
    const std::string name = root + "\\" + std::to_string(i) + std::string(190, 'n');
    ASSERT_TRUE(make(i % 5 ? name : name + "\\微.dat", std::string(i, 'x')));
    bytes += i;
  }
  // The listing tells every entry as attributes() does, at any depth; a file lists nothing.
  const auto listed = fs.list(root + "\\");
  EXPECT_EQ(listed.size(), 405u);
  for (const auto& e : listed)
    EXPECT_EQ(e.attributes, fs.attributes(root + "\\" + e.name)) << e.name;
  EXPECT_TRUE(fs.list(root + "\\plain.txt").empty());
  EXPECT_EQ(fs.list(root + deep).size(), 1u);
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    EXPECT_EQ(walk(root + "\\", method), std::tuple(true, bytes, 83, 0));
  for (const std::string& name : {std::string("\\missing"), "\\301" + std::string(190, 'n')})
    EXPECT_EQ(walk(root + name), std::tuple(false, 0, 0, 0)) << name;
  platform::win32::unique_hfile held(CreateFileW(rawPath(root + "\\plain.txt").c_str(),
                                                 GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const auto r = removeOne(account_ + "\\filestorage\\");  // matched as NTFS would
  EXPECT_TRUE(!r.gone && r.remaining == 1 && r.removedBytes == bytes - 1);
  EXPECT_EQ(r.firstReason, RemovalReason::InUse);
}

// Users move a row folder to another drive with mklink /J; under Wine that is a Unix link. What
// it points to is measured and emptied through the real ports and the one runner, the link stays,
// and no link inside it is followed: to a folder, to a big file (which Wine lists as that file)
// or deeper down (Wine keeps them; Windows would remove the links themselves).
TEST_F(Win32Files, ARelocatedRowFolderIsEmptiedThroughAndNoLinkBelowIsFollowed) {
  if (!underWine()) GTEST_SKIP() << "the links are made on the Linux side of Wine";
  ASSERT_TRUE(runUnixScript(root_, R"(mkdir -p moved/sub third wxid_test/FileStorage &&
    truncate -s 1000 moved/a.dat && truncate -s 2000 moved/sub/b.dat && truncate -s 2M third/big &&
    ln -s ../third moved/inner && ln -s ../third/big moved/filelink &&
    ln -s ../../third moved/sub/deep && ln -s ../../moved wxid_test/FileStorage/Cache)"));
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    EXPECT_EQ(walk(account_ + "\\FileStorage\\Cache", method), std::tuple(true, 3000, 2, 0));
  platform::win32::Win32FileSystem fs;
  const clean::Plan plan = clean::wholeFolderPlan(fs, account_, wechat::kClassic.categories[0]);
  clean::PlanRunner runner(host_, *engine_);
  std::optional<clean::RunOutcome> outcome;
  runner.run(clean::confirmedByBanner(plan), {}, [&](const auto& o) { outcome = o; });
  ASSERT_TRUE(host_.pumpUntil([&] { return outcome.has_value(); }));
  // Left: the two links, and the folder that holds the third.
  EXPECT_EQ(std::tuple(outcome->bytes, outcome->files, outcome->itemsLeft,
                       outcome->firstLeft.value_or(clean::RemovalReport{}).firstReason),
            std::tuple(3000, 2, 3, RemovalReason::LinkKept));
  EXPECT_TRUE(runUnixScript(root_, R"(test -L wxid_test/FileStorage/Cache -a -L moved/inner &&
    test -L moved/filelink -a -L moved/sub/deep -a $(ls -A moved | wc -l) = 3 -a -s third/big -a \
    $(ls -A moved/sub) = deep)"));
}

// A listed folder swapped for a link between its listing and its opening: the walker counts it
// unreadable, the removal keeps it, and nothing it points to is touched. (bench/race.sh runs the
// same swap as a free race.)
TEST_F(Win32Files, AFolderSwappedForALinkIsNeverEntered) {
  if (!underWine()) GTEST_SKIP() << "the links are made on the Linux side of Wine";
  const std::string world =
      "rm -rf wxid_test && mkdir -p outside/o wxid_test/T/a/1 && echo x > outside/o/s && "
      "touch wxid_test/T/a/1/f && truncate -s 10 wxid_test/T/f";
  auto swap = [&](const std::string& step, const std::string& name) {
    return step != "open" || name != "a" ||
           runUnixScript(account_ + "\\T", "mv a a-old && ln -s ../../outside a");
  };
  ASSERT_TRUE(runUnixScript(root_, world));
  fakes::WalkSeam walker(platform::win32::makeWalkBackend());
  walker.hook = swap;
  EXPECT_EQ(walk(account_ + "\\T", {}, &walker), std::tuple(true, 10, 1, 1));
  ASSERT_TRUE(runUnixScript(root_, world));
  auto seam = std::make_unique<fakes::RemovalSeam>(platform::win32::makeRemovalBackend());
  seam->hook = [&](const std::string& step, const std::string& name, auto, auto&) {
    EXPECT_TRUE(swap(step, name));
    return RemovalReason::None;
  };
  engine_ = clean::makeRemovalEngine(host_, std::move(seam), 2);
  EXPECT_EQ(removeOne(account_ + "\\T").firstReason, RemovalReason::LinkKept);
  EXPECT_TRUE(runUnixScript(root_, "test -s outside/o/s -a -L wxid_test/T/a"));
}

// One odd entry at a time, made in the target: what stays is counted with its true reason. The
// target's name ends in a dot, which Win32 would drop to reach the sibling a link points to: that
// stays.
TEST_F(Win32Files, OddEntriesStayWithTheirReason) {
  if (!underWine()) GTEST_SKIP() << "the entries are made on the Linux side of Wine";
  const std::pair<const char*, RemovalReason> cases[] = {
      {"ln -s ../2023-01 dirlink", RemovalReason::LinkKept},
      // Wine does not list a link whose target is missing; its folder is all that shows.
      {"mkdir d && ln -s nowhere d/dangling", RemovalReason::LinkKept},
      {"touch 'bad*name'", RemovalReason::BadName},
      {"touch 'back\\slash'", RemovalReason::BadName},
      {"touch 'trailing.' 'space '", RemovalReason::None},
  };
  const std::string sibling = account_ + "\\2023-01\\keep.dat", target = account_ + "\\2023-01.";
  ASSERT_TRUE(make(sibling));
  for (const auto& [script, reason] : cases) {
    SCOPED_TRACE(script);
    ASSERT_TRUE(make(target + "\\clip.mp4"));
    ASSERT_TRUE(runUnixScript(account_, std::string("cd 2023-01. && ") + script));
    const auto r = removeOne(target);
    EXPECT_TRUE(r.gone == (reason == RemovalReason::None) && r.remaining == (r.gone ? 0 : 1));
    EXPECT_EQ(r.firstReason, reason);
    EXPECT_TRUE(!exists(target + "\\clip.mp4") && exists(sibling));
    ASSERT_TRUE(runUnixScript(account_, "rm -rf 2023-01."));
  }
}
