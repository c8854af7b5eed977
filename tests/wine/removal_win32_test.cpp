// The removal engine with the Win32 backend against the real (Wine) file system.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "clean/removal_engine.h"
#include "platform/win32/handle.h"
#include "platform/win32/remove_win32.h"
#include "platform/win32/wide.h"
#include "fakes/pumped_host.h"
#include "ports_test_support.h"

namespace {

using ports_test::makeFolder;
using ports_test::rawPath;
using ports_test::writeFile;

bool exists(const std::string& path) {
  return GetFileAttributesW(rawPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a Linux program (Wine starts those too) and waits until `until` holds.
bool runUnix(const std::wstring& command, const std::function<bool()>& until) {
  std::wstring line = command;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  for (int i = 0; i < 200 && !until(); ++i) Sleep(25);
  return until();
}

// Where Wine keeps `path` on the Linux side; empty on Windows.
std::wstring unixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(platform::win32::widen(path).c_str()) : nullptr;
  if (!unix) return {};
  std::wstring out = platform::win32::widen(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

std::wstring quoted(const std::wstring& s) {
  return L"\"" + s + L"\"";
}

class RemovalWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(makeFolder(account_));
  }
  void file(const std::string& path, DWORD attributes = 0) {
    ASSERT_TRUE(writeFile(path, "x")) << path;
    if (attributes) SetFileAttributesW(rawPath(path).c_str(), attributes);
  }
  clean::RemovalReport removeOne(const std::string& target, const std::string& account = {}) {
    clean::RemovalReport report;
    bool done = false;
    engine_->remove(target, account.empty() ? account_ : account,
                    [&](const clean::RemovalReport& r) {
                      EXPECT_EQ(std::this_thread::get_id(), testThread_);
                      report = r;
                      done = true;
                    });
    EXPECT_FALSE(done) << "reported before the UI thread pumped";
    EXPECT_TRUE(host_.pumpOne());
    EXPECT_TRUE(done);
    return report;
  }

  ports_test::TempFolder temp_;
  std::string account_ = temp_.path() + "\\wxid_test";
  fakes::PumpedHost host_;
  std::thread::id testThread_ = std::this_thread::get_id();
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::win32::makeRemovalBackend(), 2);
};

TEST_F(RemovalWin32, ReadOnlyEntriesAndLongPathsGo) {
  const std::string target = account_ + "\\FileStorage";
  ASSERT_TRUE(makeFolder(target));
  file(target + "\\ro.dat", FILE_ATTRIBUTE_READONLY);
  std::string deep = target;
  for (char c = 'a'; c < 'g'; ++c) {
    deep += "\\" + std::string(60, c);
    ASSERT_TRUE(makeFolder(deep));
  }
  ASSERT_GT(deep.size(), 300u);
  file(deep + "\\ro-hidden.dat", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(rawPath(deep).c_str(), FILE_ATTRIBUTE_READONLY);

  // Spelled in lower case, as some callers do: the account folder is matched as NTFS would.
  std::string lower = account_ + "\\filestorage\\";
  const auto r = removeOne(lower);
  EXPECT_TRUE(r.gone) << r.firstReason;
  EXPECT_EQ(r.remaining, 0u);
  EXPECT_FALSE(exists(target));
}

TEST_F(RemovalWin32, PercentNamesAreTakenLiterally) {
  ASSERT_TRUE(makeFolder(account_ + "\\100%OS%dir"));
  ASSERT_TRUE(makeFolder(account_ + "\\100Windows_NTdir"));
  file(account_ + "\\100%OS%dir\\f.txt");
  file(account_ + "\\100Windows_NTdir\\f.txt");
  EXPECT_TRUE(removeOne(account_ + "\\100%OS%dir").gone);
  EXPECT_FALSE(exists(account_ + "\\100%OS%dir"));
  EXPECT_TRUE(exists(account_ + "\\100Windows_NTdir\\f.txt"));
}

TEST_F(RemovalWin32, FileHeldWithoutShareDeleteIsReported) {
  const std::string target = account_ + "\\Cache";
  ASSERT_TRUE(makeFolder(target));
  ASSERT_TRUE(makeFolder(target + "\\sub"));
  file(target + "\\free.dat");
  file(target + "\\sub\\held.dat");
  platform::win32::unique_hfile held(CreateFileW(rawPath(target + "\\sub\\held.dat").c_str(),
                                                 GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const auto r = removeOne(target);
  EXPECT_FALSE(r.gone);
  EXPECT_EQ(r.remaining, 2u);  // held.dat and the folder it keeps
  EXPECT_EQ(r.firstReason, "in use");
  EXPECT_FALSE(exists(target + "\\free.dat"));
  EXPECT_TRUE(exists(target + "\\sub\\held.dat"));
}

// In a Wine prefix Documents is a link to the Linux home folder: a link above the target must not
// make the files below it look like links.
TEST_F(RemovalWin32, RemovesBelowALinkedDocumentsFolder) {
  wchar_t documents[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents), S_OK);
  const std::string account = platform::win32::narrow(documents) + "\\velmora-removal-" +
                              std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(makeFolder(account));
  ASSERT_TRUE(makeFolder(account + "\\Cache"));
  file(account + "\\Cache\\a.dat", FILE_ATTRIBUTE_READONLY);
  const auto r = removeOne(account + "\\Cache", account);
  RemoveDirectoryW(rawPath(account).c_str());
  EXPECT_TRUE(r.gone) << r.firstReason;
}

// Wine 8 cannot make a link itself (CreateSymbolicLinkW returns TRUE and makes nothing), but
// shows a Linux symbolic link to a folder as a reparse point and one to a file as a plain file.
TEST_F(RemovalWin32, LinksAreNeverFollowed) {
  const std::string outside = temp_.path() + "\\outside";
  ASSERT_TRUE(makeFolder(outside));
  file(outside + "\\keep.dat");
  const std::string target = account_ + "\\Video";
  ASSERT_TRUE(makeFolder(target));
  file(target + "\\clip.mp4");
  const std::wstring out = unixPath(outside), tgt = unixPath(target), acct = unixPath(account_);
  if (out.empty()) GTEST_SKIP() << "links are made from the Linux side";
  const std::vector<std::string> links = {target + "\\dirlink", target + "\\filelink",
                                          account_ + "\\rootlink"};
  auto link = [&](const std::wstring& to, const std::wstring& at, const std::string& check) {
    return runUnix(L"/bin/ln -s " + quoted(to) + L" " + quoted(at), [&] { return exists(check); });
  };
  ASSERT_TRUE(link(out, tgt + L"/dirlink", links[0]));
  ASSERT_TRUE(link(out + L"/keep.dat", tgt + L"/filelink", links[1]));
  ASSERT_TRUE(link(out, acct + L"/rootlink", links[2]));

  const auto inner = removeOne(target);
  const auto root = removeOne(account_ + "\\rootlink");
  EXPECT_TRUE(exists(outside + "\\keep.dat"));
  EXPECT_FALSE(exists(target + "\\clip.mp4"));
  // Deleting a link through Wine deletes what it points to, so there the links stay, reported.
  EXPECT_FALSE(inner.gone);
  EXPECT_EQ(inner.remaining, 2u);
  EXPECT_NE(inner.firstReason.find("link"), std::string::npos) << inner.firstReason;
  EXPECT_FALSE(root.gone);
  EXPECT_NE(root.firstReason.find("link"), std::string::npos) << root.firstReason;

  runUnix(L"/bin/rm -f " + quoted(tgt + L"/dirlink") + L" " + quoted(tgt + L"/filelink") + L" " +
              quoted(acct + L"/rootlink"),
          [&] { return !exists(links[0]) && !exists(links[1]) && !exists(links[2]); });
}

}  // namespace
