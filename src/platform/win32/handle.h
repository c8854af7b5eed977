// Ownership of Win32 handles: a typedef of the one move-only template (platform/unique_any.h) per
// handle kind, so no handle is closed twice or leaked on an early return. Kernel, registry, GDI and
// USER objects, device contexts, selected GDI objects and the thread's COM apartment all go through
// here; nothing is freed by hand.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "platform/unique_any.h"

namespace platform::win32 {

using platform::scope_exit;
using platform::unique_any;

// CreateFileW and the Find functions fail with INVALID_HANDLE_VALUE; most others with nullptr.
using unique_hfile = unique_any<HANDLE, &::CloseHandle, -1>;
using unique_handle = unique_any<HANDLE, &::CloseHandle>;
using unique_hfind = unique_any<HANDLE, &::FindClose, -1>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_hfont = unique_any<HFONT, &::DeleteObject>;
using unique_hwnd = unique_any<HWND, &::DestroyWindow>;

// A device context from GetDC, given back with ReleaseDC to the window it came from.
class unique_hdc_window {
 public:
  explicit unique_hdc_window(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  unique_hdc_window(const unique_hdc_window&) = delete;
  unique_hdc_window& operator=(const unique_hdc_window&) = delete;
  ~unique_hdc_window() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects `object` into `dc` until the returned guard goes, which selects the old one back.
[[nodiscard]] inline auto select_object(HDC dc, HGDIOBJ object) noexcept {
  HGDIOBJ old = SelectObject(dc, object);
  return scope_exit([dc, old] {
    if (old && old != HGDI_ERROR) SelectObject(dc, old);
  });
}

// The calling thread's COM apartment, left again when the object goes. Created once, by the
// program's entry point: every part of Velmora that uses COM runs on that thread.
class unique_couninitialize_call {
 public:
  explicit unique_couninitialize_call(DWORD flags) noexcept
      : result_(CoInitializeEx(nullptr, flags)) {}
  unique_couninitialize_call(const unique_couninitialize_call&) = delete;
  unique_couninitialize_call& operator=(const unique_couninitialize_call&) = delete;
  ~unique_couninitialize_call() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  // False when the thread had already chosen another apartment model.
  bool ready() const noexcept { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace platform::win32
