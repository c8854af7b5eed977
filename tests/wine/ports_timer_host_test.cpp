// Win32Shell's message box and Win32TimerHost: the box is modal to the active window, and timer
// ticks and work posted from other threads keep arriving on the UI thread inside its loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32/handle.h"
#include "platform/win32/shell.h"
#include "platform/win32/timer_host.h"

using namespace std::chrono_literals;
using platform::win32::Win32TimerHost;

namespace {

// The first dialog box (#32770) of `thread`, or nullptr after `timeout`.
HWND waitForDialog(DWORD thread, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  HWND found = nullptr;
  while (!found && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
          wchar_t cls[16] = {};
          GetClassNameW(window, cls, 16);
          if (std::wstring(cls) != L"#32770" || !IsWindowVisible(window)) return TRUE;
          *reinterpret_cast<HWND*>(param) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
  }
  return found;
}

// Dispatches this thread's messages until `done` is true; false on timeout.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

}  // namespace

TEST(Win32MessageBox, ModalToTheActiveWindowWhileTimersAndPostedWorkRun) {
  platform::win32::unique_any<HWND, &::DestroyWindow> owner(
      CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                      nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(owner);
  SetForegroundWindow(owner.get());
  SetActiveWindow(owner.get());
  ASSERT_EQ(GetActiveWindow(), owner.get());
  Win32TimerHost host;
  ASSERT_TRUE(host.ready());
  std::atomic<int> ticks{0};
  std::atomic<DWORD> postedOn{0};
  host.start(1, 20, [&] { ++ticks; });

  // What a second thread sees while the box is open.
  std::wstring caption;
  HWND boxOwner = nullptr;
  bool ownerEnabled = true;
  int ticksWhileOpen = -1;
  std::thread helper([&, ui = GetCurrentThreadId()] {
    HWND box = waitForDialog(ui, 20s);
    if (box == nullptr) return;
    wchar_t text[64] = {};
    GetWindowTextW(box, text, 64);
    caption = text;
    boxOwner = GetWindow(box, GW_OWNER);
    ownerEnabled = IsWindowEnabled(owner.get()) != FALSE;
    const int before = ticks;
    host.post([&] { postedOn = GetCurrentThreadId(); });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while ((ticks - before < 3 || postedOn == 0) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    ticksWhileOpen = ticks - before;
    SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
  });
  const platform::Answer answer = platform::win32::Win32Shell().messageBox(
      "确定要删除吗？", "微信清理", platform::Buttons::OkCancel, platform::Icon::Question);
  helper.join();
  host.stop(1);

  EXPECT_EQ(answer, platform::Answer::Cancel);
  EXPECT_EQ(caption, L"微信清理");
  EXPECT_EQ(boxOwner, owner.get());
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_GE(ticksWhileOpen, 3);
  EXPECT_EQ(postedOn, GetCurrentThreadId());
}

TEST(Win32TimerHost, TickHandlersMayStopAndReplaceTimers) {
  Win32TimerHost host;
  ASSERT_TRUE(host.ready());
  int firstTicks = 0;
  int secondTicks = 0;
  int replacedTicks = 0;
  // The captured strings make the callbacks' own state matter: freeing a callback while it runs
  // would leave them reading freed memory.
  auto replaced = [&, tag = std::string(64, 'r')] {
    if (++replacedTicks + secondTicks == 3 && tag.size() == 64) host.stop(7);
  };
  host.start(0, 10, [&, tag = std::string(64, 'a')] {
    host.stop(0);
    firstTicks += static_cast<int>(tag.size() / 64);
    host.start(7, 10, [&, tag2 = std::string(64, 'b')] {
      host.start(7, 10, replaced);  // replaces the running callback
      secondTicks += static_cast<int>(tag2.size() / 64);
    });
  });

  EXPECT_TRUE(pumpUntil([&] { return secondTicks + replacedTicks >= 3; }, 10s));
  pumpUntil([] { return false; }, 150ms);  // nothing more may come
  EXPECT_EQ(firstTicks, 1);
  EXPECT_EQ(secondTicks, 1);
  EXPECT_EQ(replacedTicks, 2);
}
