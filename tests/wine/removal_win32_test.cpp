// The removal engine with the Win32 backend against the real (Wine) file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "clean/plan_runner.h"
#include "clean/removal_engine.h"
#include "fakes/backend_seams.h"
#include "fakes/pumped_host.h"
#include "platform/win32/file_system.h"
#include "platform/win32/remove_win32.h"
#include "platform/win32/walk_win32.h"
#include "space/walker.h"
#include "support.h"

using platform::RemovalReason;
using namespace wine_test;

class RemovalWin32 : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(make(account_ + "\\")); }
  static void file(const std::string& path, DWORD attributes = 0) {
    ASSERT_TRUE(make(path)) << path;
    if (attributes) SetFileAttributesW(rawPath(path).c_str(), attributes);
  }
  // Links are made on the Linux side, as Wine cannot make them.
  bool underWine() const { return !unixPath(temp_.path()).empty(); }
  clean::RemovalReport removeOne(const std::string& target) {
    std::optional<clean::RemovalReport> report;
    engine_->remove(target, account_, [&](const clean::RemovalReport& r) { report = r; });
    EXPECT_TRUE(host_.pumpUntil([&] { return report.has_value(); }));
    return report.value_or(clean::RemovalReport{});
  }

  TempFolder temp_;
  std::string account_ = temp_.path() + "\\wxid_test";
  fakes::PumpedHost host_;
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::win32::makeRemovalBackend(), 2);
};

// Read-only entries and paths past MAX_PATH go; a file held open stays, with its reason.
TEST_F(RemovalWin32, ReadOnlyAndLongPathsGoAFileHeldOpenStays) {
  const std::string target = account_ + "\\FileStorage";
  file(target + "\\ro.dat", FILE_ATTRIBUTE_READONLY);
  std::string deep = target;
  for (char c = 'a'; c < 'g'; ++c) deep += "\\" + std::string(60, c);
  file(deep + "\\ro-hidden.dat", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(rawPath(deep).c_str(), FILE_ATTRIBUTE_READONLY);
  file(target + "\\held\\held.dat");
  platform::win32::unique_hfile held(CreateFileW(rawPath(target + "\\held\\held.dat").c_str(),
                                                 GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const auto r = removeOne(account_ + "\\filestorage\\");  // matched as NTFS would
  EXPECT_TRUE(!r.gone && r.remaining == 2);                // held.dat and the folder it keeps
  EXPECT_EQ(r.firstReason, RemovalReason::InUse);
  EXPECT_FALSE(exists(target + "\\ro.dat") || exists(target + "\\" + std::string(60, 'a')));
}

// One odd entry at a time: what stays is counted with its true reason. The target's name ends in
// a dot, which Win32 would drop to reach the sibling that every link points to: it stays.
TEST_F(RemovalWin32, OddEntriesStayWithTheirReason) {
  if (!underWine()) GTEST_SKIP() << "the entries are made on the Linux side of Wine";
  struct {
    const char* make;  // run in the target
    std::uint64_t remaining;
    RemovalReason reason;
  } const cases[] = {
      {"ln -s ../2023-01 dirlink", 1, RemovalReason::LinkKept},
      {"ln -s ../2023-01/keep.dat filelink", 1, RemovalReason::LinkKept},
      // Wine does not list a link whose target is missing; its folder is all that shows.
      {"mkdir d && ln -s nowhere d/dangling", 1, RemovalReason::LinkKept},
      {"touch 'bad*name'", 1, RemovalReason::BadName},
      {"touch 'back\\slash'", 1, RemovalReason::BadName},
      {"touch 'trailing.' 'space '", 0, RemovalReason::None},
  };
  const std::string sibling = account_ + "\\2023-01\\keep.dat", target = account_ + "\\2023-01.";
  file(sibling);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.make);
    file(target + "\\clip.mp4");
    ASSERT_TRUE(runUnixScript(account_, std::string("cd 2023-01. && ") + c.make));
    const auto r = removeOne(target);
    EXPECT_TRUE(r.gone == (c.remaining == 0) && r.remaining == c.remaining);
    EXPECT_EQ(r.firstReason, c.reason);
    EXPECT_TRUE(!exists(target + "\\clip.mp4") && exists(sibling));
    ASSERT_TRUE(runUnixScript(account_, "rm -rf 2023-01."));
  }
}

// A listed folder swapped for a link between its listing and its opening: nothing it points to is
// touched. (bench/race.sh runs the same swap as a free race.)
TEST_F(RemovalWin32, SwappedFolderIsNeverEntered) {
  if (!underWine()) GTEST_SKIP() << "the links are made on the Linux side of Wine";
  ASSERT_TRUE(runUnixScript(temp_.path(),
                            "mkdir -p outside/o wxid_test/T/a/1 && echo x > "
                            "outside/o/s && touch wxid_test/T/a/1/f"));
  auto seam = std::make_unique<fakes::RemovalSeam>(platform::win32::makeRemovalBackend());
  seam->hook = [&](const std::string& step, const std::string& name, auto, auto&) {
    const bool swap = step == "open" && name == "a";
    EXPECT_TRUE(!swap || runUnixScript(account_ + "\\T", "mv a a-old && ln -s ../../outside a"));
    return RemovalReason::None;
  };
  engine_ = clean::makeRemovalEngine(host_, std::move(seam), 2);
  EXPECT_EQ(removeOne(account_ + "\\T").firstReason, RemovalReason::LinkKept);
  EXPECT_TRUE(runUnixScript(temp_.path(), "test -s outside/o/s -a -L wxid_test/T/a"));
}

// Users move a row folder to another drive with mklink /J; under Wine that is a Unix link. What
// it points to is measured and emptied through the real ports and the one runner, the link stays,
// and a link inside it is never followed (Wine keeps it; Windows would remove the link itself).
TEST_F(RemovalWin32, RelocatedRowFolderIsEmptiedAndKept) {
  if (!underWine()) GTEST_SKIP() << "the links are made on the Linux side of Wine";
  ASSERT_TRUE(runUnixScript(temp_.path(), R"(mkdir -p moved/sub third wxid_test/FileStorage
    truncate -s 1000 moved/a.dat && truncate -s 2000 moved/sub/b.dat && echo x > third/keep.dat
    ln -s ../third moved/inner && ln -s ../../moved wxid_test/FileStorage/Cache)"));
  platform::win32::Win32FileSystem fs;
  EXPECT_TRUE(fs.attributes(account_ + "\\FileStorage\\Cache\\").value_or(0) &
              platform::kAttrReparsePoint);
  const clean::Plan plan = clean::wholeFolderPlan(fs, account_, wechat::kClassic.categories[0]);
  const auto walker = platform::win32::makeWalkBackend();
  const auto size =
      clean::sizeOf(plan, [&](const std::string& p) { return space::walkFolder(*walker, p); });
  EXPECT_EQ(size.bytes, 3000u);
  clean::PlanRunner runner(host_, *engine_);
  std::optional<clean::RunOutcome> outcome;
  runner.run(clean::confirmedByBanner(plan), {}, [&](const auto& o) { outcome = o; });
  ASSERT_TRUE(host_.pumpUntil([&] { return outcome.has_value(); }));
  EXPECT_EQ(outcome->bytes, size.bytes);
  EXPECT_EQ(outcome->files, 2u);
  EXPECT_EQ(outcome->itemsLeft, 1u);  // the inner link
  EXPECT_TRUE(runUnixScript(temp_.path(), R"(test -L wxid_test/FileStorage/Cache -a -L moved/inner
    [ $(ls -A moved) = inner ] && test -s third/keep.dat)"));
}
