#include "platform/win32/environment.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace platform::win32 {

std::optional<std::string> Win32Environment::readSmallFile(const std::string& path,
                                                           std::size_t maxBytes) {
  if (path.empty()) return std::nullopt;
  // Shared with every kind of access: WeChat may hold its own configuration open.
  unique_hfile file(CreateFileW(literalPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return std::nullopt;
  // One byte more than the size says, so a file that grew since is seen as too big, not cut.
  std::string content(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(content.size() - filled);
    if (!ReadFile(file.get(), content.data() + filled, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    filled += got;
    if (filled > maxBytes) return std::nullopt;
    if (filled == content.size()) content.resize(content.size() * 2);
  }
  content.resize(filled);
  return content;
}

std::string Win32Environment::expandEnvironment(const std::string& text) {
  const std::wstring in = widen(text);
  if (in.empty()) return text;
  DWORD size = ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
  // A variable may change between the calls; ask again until the value fits.
  for (int attempt = 0; size > 0 && attempt < 4; ++attempt) {
    std::wstring out(size, L'\0');
    const DWORD needed = ExpandEnvironmentStringsW(in.c_str(), out.data(), size);
    if (needed == 0) break;
    if (needed <= size) {
      out.resize(wcsnlen(out.c_str(), out.size()));
      return narrow(out);
    }
    size = needed;
  }
  return text;
}

std::optional<std::string> Win32Environment::decode(std::string_view bytes, unsigned codePage) {
  if (bytes.empty()) return std::string();
  if (bytes.size() > 0x7fffffff) return std::nullopt;
  const int inLen = static_cast<int>(bytes.size());
  const int outLen =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, nullptr, 0);
  if (outLen <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(outLen), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, wide.data(),
                          outLen) != outLen)
    return std::nullopt;
  return narrow(wide);
}

bool Win32Environment::processRunning(const std::vector<std::string>& exeNames) {
  DWORD ourSession = 0;
  const bool knowOurSession = ProcessIdToSessionId(GetCurrentProcessId(), &ourSession);
  std::vector<std::wstring> wanted;
  for (const auto& name : exeNames) wanted.push_back(widen(name));

  unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    bool named = false;
    for (const auto& w : wanted)
      named = named || CompareStringOrdinal(entry.szExeFile, -1, w.c_str(),
                                            static_cast<int>(w.size()), TRUE) == CSTR_EQUAL;
    if (!named) continue;
    // A process whose session cannot be told is taken as ours: asking once too often costs a
    // click, deleting under a running WeChat costs files left behind.
    DWORD session = 0;
    if (!knowOurSession || !ProcessIdToSessionId(entry.th32ProcessID, &session) ||
        session == ourSession)
      return true;
  }
  return false;
}

}  // namespace platform::win32
