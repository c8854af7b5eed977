#include "ui/win32/dpi.h"

#include <cstring>

#include "platform/win32/handle.h"

namespace ui::win32 {
namespace {

// GetProcAddress's result as the function type the caller expects (memcpy rather than a cast,
// which compilers warn about between unrelated function types).
template <typename F>
F userProc(const char* name) {
  FARPROC p = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
  F f = nullptr;
  static_assert(sizeof f == sizeof p);
  std::memcpy(&f, &p, sizeof f);
  return f;
}

using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
using SetAwareFn = BOOL(WINAPI*)();
using GetDpiFn = UINT(WINAPI*)(HWND);
using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

UINT systemDpi() {
  const platform::win32::unique_hdc_window dc(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

void enablePerMonitorDpiAwareness() {
  if (auto set = userProc<SetContextFn>("SetProcessDpiAwarenessContext")) {
    // Fails with access denied when the manifest already set it, which is the normal case.
    if (set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    if (GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  if (auto aware = userProc<SetAwareFn>("SetProcessDPIAware")) aware();
}

UINT windowDpi(HWND hwnd) {
  static const GetDpiFn get = userProc<GetDpiFn>("GetDpiForWindow");
  if (get && hwnd) {
    const UINT dpi = get(hwnd);
    if (dpi > 0) return dpi;
  }
  return systemDpi();
}

void adjustWindowRect(RECT& r, DWORD style, DWORD exStyle, UINT dpi) {
  static const AdjustFn adjust = userProc<AdjustFn>("AdjustWindowRectExForDpi");
  if (adjust && adjust(&r, style, FALSE, exStyle, dpi)) return;
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

}  // namespace ui::win32
