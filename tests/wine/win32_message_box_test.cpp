// Win32Shell's message box is owned by the window that asks (not the active one) and disables it;
// Win32UiThread's ticks and posted work arrive on the UI thread inside its loop; a press answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "platform/win32/shell.h"
#include "platform/win32/ui_thread.h"
#include "support.h"

TEST(Win32MessageBox, OwnedByTheAskingWindowWhileTimersAndPostedWorkRun) {
  auto window = [](int x) {
    return platform::win32::unique_hwnd(CreateWindowExW(
        0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0, 99, 99, 0, 0, 0, 0));
  };
  const auto owner = window(0), active = window(200);
  SetForegroundWindow(active.get());
  SetActiveWindow(active.get());
  auto box = [] { return FindWindowW(L"#32770", L"微信清理"); };
  platform::win32::Win32UiThread host;
  bool postedInside = false, ownerEnabled = true;
  HWND boxOwner = nullptr;
  int ticksInside = 0;
  std::thread([&] { host.post([&] { postedInside = box() != nullptr; }); }).join();
  host.start(1, 20, [&] {
    if (!box()) return;
    boxOwner = GetWindow(box(), GW_OWNER);
    ownerEnabled = IsWindowEnabled(owner.get());
    if (++ticksInside == 3) wine_test::click(box(), IDCONTINUE);
  });
  const auto answer = platform::win32::Win32Shell().messageBox(
      "微信正在运行", "微信清理", platform::Buttons::CancelTryContinue, platform::Icon::Warning,
      reinterpret_cast<platform::WindowHandle>(owner.get()));
  host.stop(1);
  EXPECT_EQ(answer, platform::Answer::Continue);
  EXPECT_TRUE(owner && active && boxOwner == owner.get() && !ownerEnabled);
  EXPECT_TRUE(postedInside && ticksInside >= 3 && IsWindowEnabled(owner.get()));
}
