// The size walker with the Win32 backend against the real (Wine) file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <tuple>

#include "fakes/backend_seams.h"
#include "platform/win32/walk_win32.h"
#include "space/walker.h"
#include "support.h"

using platform::win32::ListMethod;
using namespace wine_test;

// As one value, so a failure shows all four figures.
static auto walk(platform::WalkBackend& backend, const std::string& path) {
  const platform::FolderSize f = space::walkFolder(backend, path, 2);
  return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
}
static auto walk(const std::string& path, ListMethod method = ListMethod::kDirectoryInfo) {
  return walk(*platform::win32::makeWalkBackend(method), path);
}

// A generated tree, and long names the listing returns in many batches (a 64 KiB batch holds some
// 130 of them). Thread counts make no difference: the native property shows it.
TEST(WalkerWin32, GeneratedTreeMatchesWhatWasWritten) {
  TempFolder t;
  std::mt19937 rng(7);
  std::vector<std::string> dirs{t.path()};
  std::uint64_t bytes = 0, subfolders = 0;
  for (std::uint64_t i = 0; i < 700; ++i) {  // from 300 on, long names right in the root
    const std::size_t parent = i < 300 ? rng() % dirs.size() : 0, size = rng() % 3000;
    const bool folder = i < 300 && size % 5 == 0;
    const std::string name = dirs[parent] + "\\" + std::to_string(i) +
                             (i < 300 ? "\xe5\xbe\xae" : std::string(190, 'n'));
    ASSERT_TRUE(make(folder ? name + "\\" : name, size));
    if (folder) dirs.push_back(name);
    subfolders += folder && parent == 0;
    bytes += folder ? 0 : size;
  }
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    for (const char* tail : {"", "\\", "\\\\.\\"})
      EXPECT_EQ(walk(t.path() + tail, method), std::tuple(true, bytes, subfolders, 0)) << tail;
  for (const std::string& name : {std::string("\\missing"), "\\300" + std::string(190, 'n')})
    EXPECT_EQ(walk(t.path() + name), std::tuple(false, 0, 0, 0)) << name;
}

// Links to a folder, to a big file, and one put in a listed folder's place: none counts its target.
TEST(WalkerWin32, LinksAreCountedAsLinks) {
  TempFolder t;
  if (unixPath(t.path()).empty()) GTEST_SKIP() << "links are made under Wine";
  ASSERT_TRUE(runUnixScript(t.path(), R"(mkdir -p outside in/sub in/a && truncate -s 2M outside/big
    truncate -s 10 in/sub/small in/a/small && ln -s ../outside/big in/filelink
    ln -s ../outside in/dirlink && ln -s ../../outside in/sub/deeplink)"));
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    EXPECT_EQ(walk(t.path() + "\\in", method), std::tuple(true, 20, 3, 0));
  fakes::WalkSeam seam(platform::win32::makeWalkBackend());
  seam.hook = [&](const std::string& step, const std::string& name) {
    return step != "open" || name != "a" ||
           runUnixScript(t.path(), "mv in/a a-moved && ln -s ../outside in/a");
  };
  EXPECT_EQ(walk(seam, t.path() + "\\in"), std::tuple(true, 10, 3, 1));
}
