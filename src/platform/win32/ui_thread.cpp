#include "platform/win32/ui_thread.h"

#include "platform/win32/guard.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Velmora.UiThread";
constexpr UINT kDrainPostedMessage = WM_APP + 1;

// SetTimer ids start at 1 here so that Id 0 is an ordinary timer too.
UINT_PTR toTimerId(UiThread::Id id) {
  return static_cast<UINT_PTR>(id) + 1;
}

void registerWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throwLastError("registering the UI thread's window class");
}

}  // namespace

Win32UiThread::Win32UiThread() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  registerWindowClass(instance, &Win32UiThread::windowProc);
  window_.reset(throwLastErrorIfNull(
      CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this),
      "creating the UI thread's message window"));
}

Win32UiThread::~Win32UiThread() {
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void Win32UiThread::start(Id id, unsigned intervalMs, std::function<void()> tick) {
  ticks_[id] = std::make_shared<std::function<void()>>(std::move(tick));
  // Same id on the same window: SetTimer replaces the old timer and restarts its interval.
  SetTimer(window_.get(), toTimerId(id), intervalMs, nullptr);
}

void Win32UiThread::stop(Id id) {
  KillTimer(window_.get(), toTimerId(id));
  ticks_.erase(id);
}

void Win32UiThread::post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(fn));
  }
  PostMessageW(window_.get(), kDrainPostedMessage, 0, 0);
}

void Win32UiThread::tick(UINT_PTR timerId) {
  const auto it = ticks_.find(static_cast<Id>(timerId - 1));
  // A WM_TIMER generated just before stop() may still be in the queue.
  if (it == ticks_.end()) return;
  const std::shared_ptr<std::function<void()>> fn = it->second;
  guarded("a timer tick", *fn);
}

void Win32UiThread::drainPosted() {
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

LRESULT CALLBACK Win32UiThread::windowProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32UiThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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
