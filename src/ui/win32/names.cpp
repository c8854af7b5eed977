#include "ui/win32/names.h"

#include "platform/win32/wide.h"

namespace ui::win32 {

void setWindowName(HWND hwnd, const std::string& name) {
  const ATOM atom = GlobalAddAtomW(platform::win32::widen(name).c_str());
  if (atom) SetPropW(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

void clearWindowName(HWND hwnd) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(hwnd, kNameProperty)));
  if (atom) GlobalDeleteAtom(atom);
}

std::string windowName(HWND hwnd) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, kNameProperty)));
  if (!atom) return {};
  wchar_t buf[256];
  const UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return platform::win32::narrow(std::wstring_view(buf, n));
}

}  // namespace ui::win32
