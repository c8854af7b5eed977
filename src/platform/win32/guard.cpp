#include "platform/win32/guard.h"

#include <windows.h>

#include <string>
#include <system_error>

#include "platform/win32/wide.h"

namespace platform::win32 {

void logFailure(const char* where, const char* what) noexcept {
  try {
    std::string text = std::string("Velmora: ") + where + " failed";
    if (what) text += std::string(": ") + what;
    text += "\n";
    OutputDebugStringW(widen(text).c_str());
  } catch (...) {
    OutputDebugStringW(L"Velmora: a handler failed\n");
  }
}

void throwLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

}  // namespace platform::win32
