// The size walker with the Win32 backend against the real (Wine) file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <tuple>

#include "fakes/backend_seams.h"
#include "platform/win32/walk_win32.h"
#include "space/walker.h"
#include "support.h"

namespace {

using platform::win32::ListMethod;
using namespace wine_test;

// As one value, so a failure shows all four figures.
auto walk(platform::WalkBackend& backend, const std::string& path) {
  const platform::FolderSize f = space::walkFolder(backend, path, 2);
  return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
}
auto walk(const std::string& path, ListMethod method = ListMethod::kDirectoryInfo) {
  return walk(*platform::win32::makeWalkBackend(method), path);
}

// A generated tree, and a root of long names that the listing returns in many batches (about 500
// bytes an entry: a 64 KiB batch holds some 130). Thread counts make no difference: the native
// property shows it.
TEST(WalkerWin32, GeneratedTreeMatchesWhatWasWritten) {
  TempFolder t;
  std::mt19937 rng(7);
  std::vector<std::string> dirs{t.path()};
  std::uint64_t bytes = 0, subfolders = 0;
  for (std::uint64_t i = 0; i < 700; ++i) {
    const bool top = i >= 300, folder = !top && rng() % 5 == 0;
    const std::size_t parent = top ? 0 : rng() % dirs.size(), size = top ? i % 7 : rng() % 3000;
    const std::string name = dirs[parent] + "\\" + std::to_string(i) +
                             (top ? std::string(190, 'n') : "\xe5\xbe\xae") + (folder ? "\\" : "");
    ASSERT_TRUE(make(name, size));
    if (folder) dirs.push_back(name.substr(0, name.size() - 1));
    subfolders += folder && parent == 0;
    bytes += folder ? 0 : size;
  }
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    for (const char* tail : {"", "\\", "\\\\.\\"})
      EXPECT_EQ(walk(t.path() + tail, method), std::tuple(true, bytes, subfolders, 0)) << tail;
  for (const std::string& name : {std::string("\\missing"), "\\300" + std::string(190, 'n')})
    EXPECT_EQ(walk(t.path() + name), std::tuple(false, 0, 0, 0)) << name;
}

// Links made on the Linux side: to a folder, to a big file, and a folder swapped for a link after
// it was listed. None is counted at what it points to.
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

}  // namespace
