// The window classes of the binding. Registered once per process, on first use.
#pragma once

#include <windows.h>

namespace ui::win32 {

inline constexpr const wchar_t* kFormClass = L"VelmoraForm";
// A frame: a real container that paints a group-box border with its caption and passes its
// children's notifications on to the form window, where the binding handles them.
inline constexpr const wchar_t* kFrameClass = L"VelmoraFrame";

void registerWindowClasses(WNDPROC formProc);

}  // namespace ui::win32
