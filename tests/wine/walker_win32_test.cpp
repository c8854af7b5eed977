#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <tuple>

#include "fakes/backend_seams.h"
#include "platform/win32/walk_win32.h"
#include "ports_test_support.h"
#include "space/walker.h"

using platform::FolderSize;
using platform::win32::ListMethod;
using ports_test::makeFolder;
using ports_test::TempFolder;

namespace {

// Compared as one value, so a failure shows all four figures.
auto fields(const FolderSize& f) {
  return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
}

FolderSize walk(const std::string& path, ListMethod method = ListMethod::kDirectoryInfo,
                unsigned threads = 0) {
  return space::walkFolder(*platform::win32::makeWalkBackend(method), path, threads);
}

std::uint64_t addFile(const std::string& path, std::size_t size) {
  EXPECT_TRUE(ports_test::writeFile(path, std::string(size, 'x'))) << path;
  return size;
}

}  // namespace

// A generated tree, and a root of long names that the listing returns in many batches.
TEST(WalkerWin32, GeneratedTreeMatchesWhatWasWritten) {
  TempFolder t;
  std::mt19937 rng(7);
  std::vector<std::string> dirs{t.path()};
  FolderSize want{true, 0, 0, 0};
  for (int i = 0; i < 300; ++i) {
    const std::size_t parent = rng() % dirs.size();
    const std::string name = dirs[parent] + "\\" + std::to_string(i) + "\xe5\xbe\xae";
    if (rng() % 5 == 0) {
      ASSERT_TRUE(makeFolder(name));
      dirs.push_back(name);
      want.subfolders += parent == 0;
    } else {
      want.bytes += addFile(name, rng() % 3000);
    }
  }
  // About 500 bytes an entry: a 64 KiB batch holds some 130 of them.
  for (int i = 0; i < 400; ++i)
    want.bytes += addFile(t.path() + "\\" + std::to_string(i) + std::string(190, 'n'), i % 7);
  // The thread count makes no difference: the native property shows it.
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind}) {
    for (const char* tail : {"", "\\", "\\\\.\\"})
      EXPECT_EQ(fields(want), fields(walk(t.path() + tail, method, 2))) << "tail '" << tail << "'";
  }
  for (const std::string& name : {std::string("\\missing"), "\\0" + std::string(190, 'n')})
    EXPECT_EQ(fields({false, 0, 0, 0}), fields(walk(t.path() + name))) << name;
}

// Links made on the Linux side (Wine cannot make them): one to a folder, one to a big file, and
// a folder swapped for a link after it was listed. None is counted at what it points to.
TEST(WalkerWin32, LinksAreCountedAsLinks) {
  TempFolder t;
  ASSERT_TRUE(makeFolder(t.path() + "\\outside") && makeFolder(t.path() + "\\in") &&
              makeFolder(t.path() + "\\in\\sub") && makeFolder(t.path() + "\\in\\a"));
  addFile(t.path() + "\\outside\\big", 2 << 20);
  addFile(t.path() + "\\in\\sub\\small", 10);
  addFile(t.path() + "\\in\\a\\small", 10);
  if (ports_test::unixPath(t.path()).empty()) GTEST_SKIP() << "links are made under Wine";
  ASSERT_TRUE(ports_test::runUnixScript(
      t.path(),
      "ln -s ../outside in/dirlink && ln -s ../../outside in/sub/deeplink && "
      "ln -s ../outside/big in/filelink"));
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    EXPECT_EQ(fields({true, 20, 3, 0}), fields(walk(t.path() + "\\in", method, 2)));

  fakes::WalkSeam seam(platform::win32::makeWalkBackend());
  seam.hook = [&](const std::string& step, const std::string& name) {
    return step != "open" || name != "a" ||
           ports_test::runUnixScript(t.path(), "mv in/a a-moved && ln -s ../outside in/a");
  };
  EXPECT_EQ(fields({true, 10, 3, 1}), fields(space::walkFolder(seam, t.path() + "\\in", 1)));
}
