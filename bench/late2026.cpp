// What Velmora reaches on the late-2026 machine (tools/make-late-2026-data), measured by the real
// windows' logic on the real Win32 ports, without the screen: the main window finds the accounts,
// scans each, and the bytes of every row are added up; then every row of every account is
// deleted with nothing kept (every question answered OK), and the folders that must never be
// touched are measured before and after. Used by bench/late2026.sh.
//
//   velmora_late2026        (in the Wine prefix whose Documents holds the data)
//
// Prints tab-separated lines: "account <path> <bytes the grid shows>", "reached <bytes>",
// "never-before <bytes>", "never-after <bytes>", "left <bytes the grid shows after cleaning>",
// "clean-seconds <the full clean>".
//
//   velmora_late2026 pass   (bench/month_pass.sh): the first WeChat 4.x account's image row
//                           with the newest six months kept; prints "pass-seconds <from the
//                           answer to what was given back>".
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clean/removal_engine.h"
#include "platform/win32/environment.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/remove_win32.h"
#include "platform/win32/shell.h"
#include "platform/win32/ui_thread.h"
#include "platform/win32/walk_win32.h"
#include "space/measurer.h"
#include "space/walker.h"
#include "ui/windows/windows.h"

namespace {

using Clock = std::chrono::steady_clock;

// Every question is answered OK at once, as a user who confirms everything would.
class YesShell final : public platform::win32::Win32Shell {
 public:
  platform::Answer messageBox(const std::string&, const std::string&, platform::Buttons,
                              platform::Icon, platform::WindowHandle) override {
    answered = Clock::now();
    return platform::Answer::Ok;
  }
  Clock::time_point answered;
};

double secondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Runs the thread's messages (timers, posted results) until `done` holds or time runs out.
bool pumpUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    // One message at a time: a status line that a later message replaces is still seen.
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    else
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

std::uint64_t walk(const std::string& path) {
  static const auto backend = platform::win32::makeWalkBackend();
  return space::walkFolder(*backend, path).bytes;
}

// What must never be deleted below an account: the chat databases, settings and backups (in
// WeChat 4.x "msg" holds the media, favourites other than their temp are the user's, and so are
// the chat records forwarded into a chat, beside its images).
std::uint64_t neverTouched(platform::FileSystem& fs, const std::string& account, bool current) {
  std::uint64_t bytes = 0;
  for (const char* f : {"\\db_storage", "\\config", "\\BackupFiles", "\\Backup"})
    bytes += walk(account + f);
  if (!current) return bytes + walk(account + "\\Msg");
  bytes += walk(account + "\\business\\favorite") - walk(account + "\\business\\favorite\\temp");
  const std::string attach = account + "\\msg\\attach\\";
  for (const auto& chat : fs.list(attach))
    for (const auto& month : fs.list(attach + chat.name))
      bytes += walk(attach + chat.name + "\\" + month.name + "\\Rec");
  return bytes;
}

// And beside the accounts.
std::uint64_t neverTouchedRoot(const std::string& root) {
  std::uint64_t bytes = 0;
  for (const char* f : {"\\All Users", "\\all_users", "\\Backup"}) bytes += walk(root + f);
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const bool passOnly = argc > 1 && std::wstring(argv[1]) == L"pass";
  platform::win32::Win32FileSystem fs;
  platform::win32::Win32Registry registry;
  platform::win32::Win32Environment environment;
  YesShell shell;
  platform::win32::Win32UiThread timers;
  const auto remover = clean::makeRemovalEngine(timers, platform::win32::makeRemovalBackend());
  const auto measurer = space::makeBackgroundMeasurer(
      timers, [](const std::string& path, const std::atomic<bool>& stop) {
        static const auto backend = platform::win32::makeWalkBackend();
        return space::walkFolder(*backend, path, 0, &stop);
      });
  ui::Windows windows({fs, registry, shell, timers, *remover, *measurer, environment});
  ui::MainWindow& w = windows.main;
  ui::ReceivedFilesWindow& received = windows.receivedFiles;

  w.load();
  auto scanned = [&] { return w.status.text() == "计算结束"; };
  auto scan = [&](int account) {
    w.accountPanel.accounts.setListIndex(account);
    pumpUntil([&] { return w.status.text() == "正在计算空间占用情况，请稍等..."; },
              std::chrono::seconds(60));
    return pumpUntil(scanned, std::chrono::seconds(600));
  };
  if (!pumpUntil(scanned, std::chrono::seconds(600))) return 1;
  const int accounts = static_cast<int>(w.accountPanel.accounts.items().size());
  if (passOnly) {
    for (int a = 0; a < accounts; ++a)
      if (w.accountPanel.accounts.items()[static_cast<std::size_t>(a)].find("新版微信") !=
              std::string::npos &&
          scan(a))
        break;
    w.grid.keepNewest.setValue(1);
    w.grid.monthsToKeep.setText("6");
    w.status.setText("");
    w.grid.rows[5]->button.click();
    if (!pumpUntil([&] { return w.status.text().rfind("已释放", 0) == 0; },
                   std::chrono::seconds(3600)))
      return 1;
    std::printf("pass-seconds\t%.1f\n", secondsSince(shell.answered));
    return 0;
  }
  auto gridBytes = [&] {
    std::uint64_t sum = 0;
    for (std::size_t r = 0; r < w.grid.rows.size(); ++r) sum += w.rowBytes(r).value_or(0);
    return sum;
  };

  std::uint64_t reached = 0, neverBefore = 0, neverAfter = 0, left = 0;
  std::vector<std::string> roots;
  auto current = [&] {
    return w.table().categories[0].folder == wechat::kCurrent.categories[0].folder;
  };
  for (int a = 0; a < accounts; ++a) {
    if (!scan(a)) return 1;
    std::printf("account\t%s\t%llu\n", w.accountPath().c_str(),
                static_cast<unsigned long long>(gridBytes()));
    reached += gridBytes();
    neverBefore += neverTouched(fs, w.accountPath(), current());
    const std::string root = w.accountPath().substr(0, w.accountPath().find_last_of('\\'));
    if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
  }
  for (const auto& root : roots) neverBefore += neverTouchedRoot(root);
  w.grid.keepNewest.setValue(0);
  double cleanSeconds = 0;  // the deletions alone, from each click to what it gave back
  for (int a = 0; a < accounts; ++a) {
    if (!scan(a)) return 1;
    for (std::size_t r = 0; r < w.grid.rows.size(); ++r) {
      auto& row = w.grid.rows[r];
      // A user cleans the rows that show something.
      if (!row->button.enabled() || w.rowBytes(r).value_or(0) == 0) continue;
      w.status.setText("");
      const Clock::time_point clicked = Clock::now();
      row->button.click();
      const bool dialog = received.visible();
      if (dialog) received.clearAllButton.click();
      // Done when the row was measured again (what stayed, if anything, comes before the figure);
      // a whole category with nothing in it is done at once. A month pass goes one folder a
      // second, and a row of a busy account has a thousand of them.
      if (dialog || w.busyOverlay.frame.visible())
        pumpUntil([&] { return w.status.text().find("已释放") != std::string::npos; },
                  std::chrono::seconds(3600));
      cleanSeconds += secondsSince(clicked);
      std::printf("row\t%s\t%.1f\n", std::string(w.table().categories[r].caption).c_str(),
                  secondsSince(clicked));
    }
    if (!scan(a)) return 1;
    left += gridBytes();
    neverAfter += neverTouched(fs, w.accountPath(), current());
  }
  for (const auto& root : roots) neverAfter += neverTouchedRoot(root);
  std::printf("clean-seconds\t%.0f\n", cleanSeconds);
  std::printf("reached\t%llu\nnever-before\t%llu\nnever-after\t%llu\nleft\t%llu\n",
              static_cast<unsigned long long>(reached),
              static_cast<unsigned long long>(neverBefore),
              static_cast<unsigned long long>(neverAfter), static_cast<unsigned long long>(left));
  return 0;
}
