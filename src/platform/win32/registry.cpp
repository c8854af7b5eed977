#include "platform/win32/registry.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace platform::win32 {

std::optional<std::string> Win32Registry::readUserString(const std::string& key,
                                                         const std::string& value) {
  // RRF_NOEXPAND is what makes REG_EXPAND_SZ acceptable at all: without it RegGetValueW
  // refuses that type with ERROR_INVALID_PARAMETER. Callers want the text as stored anyway.
  constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  const std::wstring wkey = widen(key);
  const std::wstring wvalue = widen(value);
  DWORD bytes = 0;
  LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, wkey.c_str(), wvalue.c_str(), kFlags, nullptr,
                                nullptr, &bytes);
  // The value may grow between the size query and the read; ask again until it fits.
  for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD capacity = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegGetValueW(HKEY_CURRENT_USER, wkey.c_str(), wvalue.c_str(), kFlags, nullptr,
                          text.data(), &capacity);
    if (status == ERROR_MORE_DATA) {
      bytes = capacity;
      status = ERROR_SUCCESS;
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    // RegGetValueW guarantees a terminator; the stored text ends at the first one.
    text.resize(wcsnlen(text.c_str(), text.size()));
    return narrow(text);
  }
  return std::nullopt;
}

}  // namespace platform::win32
