// Every window the binding creates carries the model name of its control (or form) as a window
// property, so an end-to-end test in another process can find `Combo1` or `Labeltip` without
// knowing the window layout. The property holds a global atom; GetPropW works across processes.
#pragma once

#include <windows.h>

#include <string>

namespace ui::win32 {

inline constexpr const wchar_t* kNameProperty = L"VelmoraName";

void setWindowName(HWND hwnd, const std::string& name);
void clearWindowName(HWND hwnd);
// The name set by setWindowName, or empty.
std::string windowName(HWND hwnd);

}  // namespace ui::win32
