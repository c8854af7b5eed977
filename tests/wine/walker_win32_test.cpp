#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <tuple>

#include "platform/win32/measure.h"
#include "platform/win32/walk_win32.h"
#include "platform/win32/wide.h"
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

FolderSize walk(const std::string& path, ListMethod method, unsigned threads) {
  return space::walkFolder(*platform::win32::makeWalkBackend(method), path, threads);
}

std::uint64_t addFile(const std::string& path, std::size_t size) {
  EXPECT_TRUE(ports_test::writeFile(path, std::string(size, 'x'))) << path;
  return size;
}

// A symbolic link to a folder. Wine 8's CreateSymbolicLinkW reports success but creates nothing
// (and FSCTL_SET_REPARSE_POINT fails); Wine shows a Unix symbolic link to a folder as a folder
// with the reparse attribute, so under Wine the test makes one with ln.
bool makeFolderLink(const std::string& link, const std::string& target) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  // Through void*: a FARPROC cast straight to another function type trips -Wcast-function-type.
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  const std::wstring linkPath = ports_test::rawPath(link);
  if (!unixName) {
    CreateSymbolicLinkW(
        linkPath.c_str(), ports_test::rawPath(target).c_str(),
        SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  } else {
    std::wstring line = platform::win32::widen(std::string("/bin/ln -s ") +
                                               unixName(ports_test::rawPath(target).c_str()) + " " +
                                               unixName(linkPath.c_str()));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
      return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // Wine does not track a Unix child: its handle is signalled at once, so wait for the link.
    for (int i = 0; i < 100 && GetFileAttributesW(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      Sleep(50);
  }
  const DWORD attrs = GetFileAttributesW(linkPath.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

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
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind}) {
    for (unsigned threads : {1u, 3u}) {
      for (const char* tail : {"", "\\"}) {
        SCOPED_TRACE(std::to_string(threads) + " threads, tail '" + tail + "'");
        EXPECT_EQ(fields(want), fields(walk(t.path() + tail, method, threads)));
      }
    }
  }
  EXPECT_EQ(fields(want), fields(platform::win32::measureFolder(t.path())));
}

TEST(WalkerWin32, PathsLongerThanMaxPath) {
  TempFolder t;
  std::string deep = t.path();
  for (int level = 0; level < 8; ++level) {
    deep += "\\" + std::string(40, static_cast<char>('a' + level));
    ASSERT_TRUE(makeFolder(deep));
    addFile(deep + "\\f", 100);
  }
  ASSERT_GT(deep.size(), 300u);
  EXPECT_EQ(800u, platform::win32::measureFolder(t.path()).bytes);
  EXPECT_EQ(100u, platform::win32::measureFolder(deep).bytes);
  EXPECT_EQ(100u, platform::win32::measureFolder("\\\\?\\" + deep).bytes);
}

TEST(WalkerWin32, FolderListedInManyBatches) {
  TempFolder t;
  std::uint64_t want = 0;
  // About 500 bytes an entry: a 64 KiB batch holds some 130 of them.
  for (int i = 0; i < 700; ++i)
    want += addFile(t.path() + "\\" + std::to_string(i) + std::string(190, 'n'), i % 7);
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    EXPECT_EQ(want, walk(t.path(), method, 2).bytes);
}

TEST(WalkerWin32, LinkToOutsideFolderIsNotFollowed) {
  TempFolder t;
  ASSERT_TRUE(makeFolder(t.path() + "\\outside") && makeFolder(t.path() + "\\in") &&
              makeFolder(t.path() + "\\in\\sub"));
  addFile(t.path() + "\\outside\\big", 100000);
  addFile(t.path() + "\\in\\sub\\small", 10);
  if (!makeFolderLink(t.path() + "\\in\\sub\\link", t.path() + "\\outside") ||
      !makeFolderLink(t.path() + "\\in\\link", t.path() + "\\outside"))
    GTEST_SKIP() << "this system cannot make a folder link";
  for (ListMethod method : {ListMethod::kDirectoryInfo, ListMethod::kFind})
    EXPECT_EQ(fields({true, 10, 2, 0}), fields(walk(t.path() + "\\in", method, 2)));
}

TEST(WalkerWin32, MissingRootOrFileRootIsNotAFolder) {
  TempFolder t;
  addFile(t.path() + "\\file", 10);
  for (const char* name : {"\\missing", "\\file", "\\missing\\"})
    EXPECT_EQ(fields({false, 0, 0, 0}), fields(platform::win32::measureFolder(t.path() + name)));
}
