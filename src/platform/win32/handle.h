// Ownership of Win32 handles: one small move-only template (the idea of WIL's unique_any, which
// does not build with MinGW) and a typedef per handle kind, so no handle is closed twice or
// leaked on an early return. Kernel, registry, GDI and USER objects, device contexts, selected
// GDI objects and the thread's COM apartment all go through here; nothing is freed by hand.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace platform::win32 {

// Owns a value of type T and passes it to Close when done. `InvalidValue` is given as an integer
// because INVALID_HANDLE_VALUE ((HANDLE)-1) cannot be a template argument.
template <typename T, auto Close, std::intptr_t InvalidValue = 0>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(T value) noexcept : value_(value) {}
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  static T invalid() noexcept {
    if constexpr (std::is_pointer_v<T>) {
      return reinterpret_cast<T>(InvalidValue);
    } else {
      return static_cast<T>(InvalidValue);
    }
  }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != invalid(); }

  // Gives up ownership without closing.
  T release() noexcept { return std::exchange(value_, invalid()); }
  void reset(T value = invalid()) noexcept {
    const T old = std::exchange(value_, value);
    if (old != invalid()) Close(old);
  }
  // For APIs that return the handle through an out parameter: closes the current one first.
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = invalid();
};

// CreateFileW and the Find functions fail with INVALID_HANDLE_VALUE; most others with nullptr.
using unique_hfile = unique_any<HANDLE, &::CloseHandle, -1>;
using unique_handle = unique_any<HANDLE, &::CloseHandle>;
using unique_hfind = unique_any<HANDLE, &::FindClose, -1>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_hfont = unique_any<HFONT, &::DeleteObject>;
using unique_hwnd = unique_any<HWND, &::DestroyWindow>;

// Runs a function when the scope ends, unless release() was called first.
template <typename F>
class scope_exit_guard {
 public:
  explicit scope_exit_guard(F fn) noexcept(std::is_nothrow_move_constructible_v<F>)
      : fn_(std::move(fn)) {}
  scope_exit_guard(const scope_exit_guard&) = delete;
  scope_exit_guard& operator=(const scope_exit_guard&) = delete;
  ~scope_exit_guard() {
    if (active_) fn_();
  }
  void release() noexcept { active_ = false; }

 private:
  F fn_;
  bool active_ = true;
};

template <typename F>
[[nodiscard]] scope_exit_guard<std::decay_t<F>> scope_exit(F&& fn) {
  return scope_exit_guard<std::decay_t<F>>(std::forward<F>(fn));
}

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
