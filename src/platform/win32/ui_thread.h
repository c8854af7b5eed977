// Timers and the UI-thread mailbox on a message-only window. Because timer ticks and posted work
// arrive as messages for a window (not for the thread), every message loop on the UI thread
// dispatches them, including the nested loops of MessageBoxW and the folder picker.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui_thread.h"
#include "platform/win32/handle.h"

namespace platform::win32 {

class Win32UiThread : public platform::UiThread {
 public:
  // Create it on the UI thread: the window, and so every tick and posted call, belongs to the
  // creating thread. It must outlive every thread that may still post(). Throws
  // std::system_error when the window cannot be made.
  Win32UiThread();
  ~Win32UiThread() override;
  Win32UiThread(const Win32UiThread&) = delete;
  Win32UiThread& operator=(const Win32UiThread&) = delete;

  // Like SetTimer: a tick may arrive while an earlier tick of the same timer is still in a
  // nested message loop (a message box). A tick may stop or restart any timer, its own too.
  void start(Id id, unsigned intervalMs, std::function<void()> tick) override;
  void stop(Id id) override;
  void post(std::function<void()> fn) override;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void tick(UINT_PTR timerId);
  void drainPosted();

  unique_hwnd window_;
  // Shared so a running tick keeps its function alive while it stops or replaces its timer.
  std::map<Id, std::shared_ptr<std::function<void()>>> ticks_;
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
};

}  // namespace platform::win32
