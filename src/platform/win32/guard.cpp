#include "platform/win32/guard.h"

#include <windows.h>

#include <string>

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

}  // namespace platform::win32
