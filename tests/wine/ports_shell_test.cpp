// Win32Shell and SingleInstance against real windows and real processes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <thread>

#include "platform/win32/file_system.h"
#include "platform/win32/handle.h"
#include "platform/win32/shell.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

using namespace std::chrono_literals;
using platform::win32::narrow;
using platform::win32::widen;
using platform::win32::Win32Shell;

namespace {

struct BoxSeen {
  std::wstring caption;
  HWND owner = nullptr;
  bool ownerEnabled = true;
};

// The picker fills its tree after it shows, and that resets the selection: ask again until the
// tree really shows the wanted folder selected.
void selectInFolderPicker(HWND box, const std::wstring& path, const std::wstring& leaf) {
  HWND tree = nullptr;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (std::wstring(cls) != WC_TREEVIEWW) return TRUE;
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tree));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (tree != nullptr && std::chrono::steady_clock::now() < deadline) {
    SendMessageW(box, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    wchar_t text[MAX_PATH] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (item.hItem != nullptr && TreeView_GetItem(tree, &item) && leaf == text) return;
    std::this_thread::sleep_for(50ms);
  }
}

}  // namespace

TEST(Win32Shell, MessageBoxIsModalToTheActiveWindowAndReturnsTheButton) {
  platform::win32::unique_any<HWND, &::DestroyWindow> owner(
      CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                      nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(owner);
  SetForegroundWindow(owner.get());
  SetActiveWindow(owner.get());
  ASSERT_EQ(GetActiveWindow(), owner.get());

  struct Case {
    unsigned style;
    int button;
    int expected;
  };
  const Case cases[] = {
      {platform::kMbOk, IDOK, platform::kIdOk},
      {platform::kMbOkCancel | platform::kMbIconQuestion, IDCANCEL, platform::kIdCancel},
  };
  for (const Case& c : cases) {
    BoxSeen seen;
    std::thread helper([&] {
      HWND box = ports_test::waitForDialog(20s);
      if (box == nullptr) return;
      wchar_t caption[64] = {};
      GetWindowTextW(box, caption, 64);
      seen = {caption, GetWindow(box, GW_OWNER), IsWindowEnabled(owner.get()) != FALSE};
      ports_test::clickButton(box, c.button);
    });
    const int answer = Win32Shell().messageBox("确定要删除吗？", "微信清理", c.style);
    helper.join();
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(seen.caption, L"微信清理");
    EXPECT_EQ(seen.owner, owner.get());
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
  }
}

TEST(Win32Shell, BrowseForFolderReturnsThePickedPathOrNothing) {
  ports_test::TempFolder tmp;
  const std::string picked = tmp.path() + "\\聊天 记录";
  ASSERT_TRUE(ports_test::makeFolder(picked));

  for (const bool accept : {false, true}) {
    std::thread helper([&] {
      HWND box = ports_test::waitForDialog(20s);
      if (box == nullptr) return;
      if (accept) selectInFolderPicker(box, widen(picked), L"聊天 记录");
      ports_test::clickButton(box, accept ? IDOK : IDCANCEL);
    });
    const std::string result = Win32Shell().browseForFolder("选择微信文件夹");
    helper.join();
    EXPECT_EQ(result, accept ? picked : "");
  }
}

TEST(Win32Shell, StartProcessPassesTheShowStyleAndDoesNotWait) {
  ports_test::TempFolder tmp;
  const std::wstring self = ports_test::selfPath();
  const std::string command =
      "\"" + narrow(self) + "\" --gtest_filter=PortsChild.* --gtest_brief=1";
  struct Case {
    platform::ShowStyle style;
    const char* expected;  // STARTF_USESHOWWINDOW, then wShowWindow
  };
  const Case cases[] = {{platform::ShowStyle::Minimized, "1 2"},
                        {platform::ShowStyle::Normal, "1 1"}};
  platform::win32::Win32FileSystem fs;
  for (const Case& c : cases) {
    const std::string report = tmp.path() + "\\报告 " + c.expected;
    SetEnvironmentVariableW(L"VELMORA_PORTS_CHILD", widen("show-style:" + report).c_str());
    const bool started = Win32Shell().startProcess(command, c.style);
    SetEnvironmentVariableW(L"VELMORA_PORTS_CHILD", nullptr);
    ASSERT_TRUE(started);
    ASSERT_TRUE(ports_test::pumpUntil([&] { return fs.exists(report); }, 30s)) << c.expected;
    EXPECT_EQ(ports_test::readFile(report), c.expected);
  }
  EXPECT_FALSE(Win32Shell().startProcess("\"C:\\no such folder\\nothing.exe\"",
                                         platform::ShowStyle::Normal));
}

TEST(SingleInstance, SecondProcessSeesTheFirst) {
  // A name of this test run's own, so a Velmora.exe started by another test is not disturbed.
  const std::string name =
      "Local\\Velmora.SingleInstance.Test." + std::to_string(GetCurrentProcessId());
  {
    platform::win32::SingleInstance first(widen(name));
    ASSERT_FALSE(first.alreadyRunning());
    EXPECT_EQ(ports_test::runChild("single-instance:" + name), ports_test::kChildSawOtherInstance);
  }
  EXPECT_EQ(ports_test::runChild("single-instance:" + name), ports_test::kChildWasFirstInstance);
}
