// The window classes of the binding. Registered once per process, on first use.
#pragma once

#include <windows.h>

namespace ui::win32 {

inline constexpr const wchar_t* kFormClass = L"VelmoraForm";
// A frame: a real container that paints a group-box border with its caption and passes its
// children's notifications on to the form window, where the binding handles them.
inline constexpr const wchar_t* kFrameClass = L"VelmoraFrame";

void registerWindowClasses(WNDPROC formProc);

// Sent to the form window when the pointer moves over a disabled control (wParam: its window).
// Disabled windows get no mouse messages of their own; their container gets them instead.
inline constexpr UINT kMouseOverDisabled = WM_APP + 2;

// The disabled child of `container` under the point (client coordinates of `container`), if any.
inline HWND disabledChildAt(HWND container, POINT pt) {
  HWND child = ChildWindowFromPointEx(container, pt, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  return child && child != container && !IsWindowEnabled(child) ? child : nullptr;
}

}  // namespace ui::win32
