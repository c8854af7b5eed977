// DPI helpers. The newer DPI functions are looked up at run time so the program still starts on
// Windows versions that lack them (it then behaves as system-DPI aware).
#pragma once

#include <windows.h>

namespace ui::win32 {

// Asks for per-monitor (v2) awareness where the manifest did not already grant it.
void enablePerMonitorDpiAwareness();

// The DPI the window is drawn at (the system DPI where per-window DPI is unknown).
UINT windowDpi(HWND hwnd);

// AdjustWindowRectEx at a given DPI.
void adjustWindowRect(RECT& r, DWORD style, DWORD exStyle, UINT dpi);

// One twip is 1/1440 inch; rounds to the nearest pixel.
inline int twipsToPixels(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), 1440);
}

}  // namespace ui::win32
