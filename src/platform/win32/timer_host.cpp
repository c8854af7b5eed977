#include "platform/win32/timer_host.h"

#include "platform/win32/guard.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Velmora.TimerHost";
constexpr UINT kDrainPostedMessage = WM_APP + 1;

// SetTimer ids start at 1 here so that Id 0 is an ordinary timer too.
UINT_PTR toTimerId(TimerHost::Id id) {
  return static_cast<UINT_PTR>(id) + 1;
}

bool registerWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

Win32TimerHost::Win32TimerHost() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registerWindowClass(instance, &Win32TimerHost::windowProc)) return;
  window_.reset(
      CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this));
}

Win32TimerHost::~Win32TimerHost() {
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void Win32TimerHost::start(Id id, unsigned intervalMs, std::function<void()> tick) {
  if (!window_) return;
  ticks_[id] = std::make_shared<std::function<void()>>(std::move(tick));
  // Same id on the same window: SetTimer replaces the old timer and restarts its interval.
  SetTimer(window_.get(), toTimerId(id), intervalMs, nullptr);
}

void Win32TimerHost::stop(Id id) {
  if (!window_) return;
  KillTimer(window_.get(), toTimerId(id));
  ticks_.erase(id);
}

void Win32TimerHost::post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(fn));
  }
  if (window_) PostMessageW(window_.get(), kDrainPostedMessage, 0, 0);
}

void Win32TimerHost::tick(UINT_PTR timerId) {
  const auto it = ticks_.find(static_cast<Id>(timerId - 1));
  // A WM_TIMER generated just before stop() may still be in the queue.
  if (it == ticks_.end()) return;
  const std::shared_ptr<std::function<void()>> fn = it->second;
  guarded("a timer tick", *fn);
}

void Win32TimerHost::drainPosted() {
  // One at a time, unlocked while running: a call may post again or open a message box, whose
  // nested loop then continues with the next one in order.
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(postedMutex_);
      if (posted_.empty()) return;
      fn = std::move(posted_.front());
      posted_.pop_front();
    }
    guarded("posted work", fn);
  }
}

LRESULT CALLBACK Win32TimerHost::windowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32TimerHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_TIMER) {
      self->tick(wparam);
      return 0;
    }
    if (message == kDrainPostedMessage) {
      self->drainPosted();
      return 0;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace platform::win32
