// Win32TimerHost: ticks and posted work on the UI thread, also inside a message box's loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/shell.h"
#include "platform/win32/timer_host.h"
#include "ports_test_support.h"

using namespace std::chrono_literals;
using platform::win32::Win32TimerHost;

TEST(Win32TimerHost, TicksAndPostedWorkArriveWhileAMessageBoxIsOpen) {
  Win32TimerHost host;
  ASSERT_TRUE(host.ready());
  std::atomic<int> ticks{0};
  std::atomic<bool> postedRan{false};
  std::atomic<DWORD> postedThread{0};
  host.start(1, 20, [&] { ++ticks; });

  int ticksWhileOpen = -1;
  std::thread helper([&] {
    HWND box = ports_test::waitForDialog(20s);
    if (box == nullptr) return;
    const int before = ticks;
    host.post([&] {
      postedThread = GetCurrentThreadId();
      postedRan = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while ((ticks - before < 3 || !postedRan) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    ticksWhileOpen = ticks - before;
    ports_test::clickButton(box, IDOK);
  });
  platform::win32::Win32Shell shell;
  const int answer = shell.messageBox("Timers keep ticking", "Velmora timer test", platform::kMbOk);
  helper.join();
  host.stop(1);

  EXPECT_EQ(answer, platform::kIdOk);
  EXPECT_GE(ticksWhileOpen, 3);
  EXPECT_TRUE(postedRan);
  EXPECT_EQ(postedThread, GetCurrentThreadId());
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

  EXPECT_TRUE(ports_test::pumpUntil([&] { return secondTicks + replacedTicks >= 3; }, 10s));
  ports_test::pumpUntil([] { return false; }, 150ms);  // nothing more may come
  EXPECT_EQ(firstTicks, 1);
  EXPECT_EQ(secondTicks, 1);
  EXPECT_EQ(replacedTicks, 2);
}
