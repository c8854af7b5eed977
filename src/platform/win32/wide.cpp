#include "platform/win32/wide.h"

#include <windows.h>

#include <vector>

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

bool isDriveLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Where Win32 would take a relative path from: the current directory ("."), the current
// directory of a drive ("D:"), or the root of the current drive ("\").
std::wstring fullPath(const wchar_t* relative) {
  DWORD size = GetFullPathNameW(relative, 0, nullptr, nullptr);
  while (size > 0) {
    std::wstring out(size, L'\0');
    const DWORD written = GetFullPathNameW(relative, size, out.data(), nullptr);
    if (written == 0) break;
    if (written < size) {
      out.resize(written);
      return out;
    }
    size = written;  // the current directory changed between the calls
  }
  return {};
}

// `root` followed by the segments of `rest`, resolved and joined by single separators.
std::wstring join(const std::wstring& root, std::wstring_view rest) {
  std::vector<std::wstring_view> segments;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(L'\\'), rest.size());
    const std::wstring_view seg = rest.substr(0, end);
    if (seg == L"..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!seg.empty() && seg != L".") {
      segments.push_back(seg);
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  std::wstring out = root;
  for (const auto& seg : segments) (out += L'\\') += seg;
  if (segments.empty()) out += L'\\';
  return out;
}

bool isAbsolute(std::wstring_view p) {
  return startsWith(p, L"\\\\") ||
         (p.size() >= 3 && isDriveLetter(p[0]) && p[1] == L':' && p[2] == L'\\');
}

std::wstring literal(std::wstring p) {
  for (auto& c : p) {
    if (c == L'/') c = L'\\';
  }
  if (p.empty() || startsWith(p, L"\\\\.\\")) return {};
  if (startsWith(p, L"\\\\?\\")) {
    std::wstring_view body = std::wstring_view(p).substr(4);
    if (startsWith(body, L"UNC\\"))
      p = L"\\\\" + std::wstring(body.substr(4));
    else if (body.size() >= 2 && body[1] == L':')
      p = std::wstring(body);
    else
      return {};  // a volume or device name: not a folder path a user gives
  }
  if (startsWith(p, L"\\\\")) {
    // \\server\share is the root: ".." never climbs above it.
    const std::wstring_view body = std::wstring_view(p).substr(2);
    const std::size_t server = body.find(L'\\');
    if (server == 0 || server == std::wstring_view::npos) return {};
    const std::size_t share = std::min(body.find(L'\\', server + 1), body.size());
    if (share == server + 1) return {};
    return join(L"\\\\?\\UNC\\" + std::wstring(body.substr(0, share)), body.substr(share));
  }
  if (p.size() >= 3 && isDriveLetter(p[0]) && p[1] == L':' && p[2] == L'\\') {
    return join(L"\\\\?\\" + p.substr(0, 2), std::wstring_view(p).substr(2));
  }
  // Relative: to the current directory of a drive ("D:x"), the current drive's root ("\x") or
  // the current directory ("x").
  std::wstring base;
  std::wstring_view rest = p;
  if (p.size() >= 2 && isDriveLetter(p[0]) && p[1] == L':') {
    base = fullPath(p.substr(0, 2).c_str());
    rest.remove_prefix(2);
  } else if (p[0] == L'\\') {
    base = fullPath(L"\\");
  } else {
    base = fullPath(L".");
  }
  if (!isAbsolute(base)) return {};  // nothing absolute to build on
  return literal(base + L"\\" + std::wstring(rest));
}

}  // namespace

std::wstring literalPath(std::string_view utf8Path) {
  return literal(widen(utf8Path));
}

}  // namespace platform::win32
