#include "platform/win32/wide.h"

#include <windows.h>

namespace platform::win32 {

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int inLen = static_cast<int>(utf8.size());
  const int outLen = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLen, nullptr, 0);
  if (outLen <= 0) return {};
  std::wstring out(static_cast<std::size_t>(outLen), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLen, out.data(), outLen);
  return out;
}

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int inLen = static_cast<int>(utf16.size());
  const int outLen =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLen, nullptr, 0, nullptr, nullptr);
  if (outLen <= 0) return {};
  std::string out(static_cast<std::size_t>(outLen), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLen, out.data(), outLen, nullptr, nullptr);
  return out;
}

namespace {

bool startsWith(std::wstring_view s, std::wstring_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The absolute, normalised form of `path`, or empty when Windows cannot make one.
std::wstring fullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  while (size > 0) {
    std::wstring out(size, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), size, out.data(), nullptr);
    if (written == 0) break;
    if (written < size) {
      out.resize(written);
      return out;
    }
    size = written;  // the current directory changed between the calls
  }
  return {};
}

}  // namespace

std::wstring longPath(std::wstring_view path) {
  if (path.size() < kLongPathThreshold || startsWith(path, L"\\\\?\\") ||
      startsWith(path, L"\\\\.\\")) {
    return std::wstring(path);
  }
  const std::wstring full = fullPath(std::wstring(path));
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  const bool device = startsWith(full, L"\\\\?\\") || startsWith(full, L"\\\\.\\");
  if (!device && startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return std::wstring(path);
}

std::wstring widePath(std::string_view utf8Path) {
  return longPath(widen(utf8Path));
}

}  // namespace platform::win32
