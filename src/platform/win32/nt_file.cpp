#include "platform/win32/nt_file.h"

#include <winternl.h>

#include <algorithm>
#include <vector>

namespace platform::win32 {
namespace {

constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr DWORD kNameSurrogateTag = 0x20000000;  // junctions, symbolic links, mount points

}  // namespace

RelativeOpen openRelative(HANDLE parent, std::wstring_view name, ACCESS_MASK access, OpenAs as) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.data());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
  const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT |
                        FILE_SYNCHRONOUS_IO_NONALERT |
                        (as == OpenAs::Folder ? FILE_DIRECTORY_FILE
                         : as == OpenAs::File ? FILE_NON_DIRECTORY_FILE
                                              : 0);
  IO_STATUS_BLOCK io{};
  HANDLE h = nullptr;
  RelativeOpen out;
  out.status = NtCreateFile(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                            options, nullptr, 0);
  if (out.status >= 0) out.handle.reset(h);
  return out;
}

DWORD errorOf(LONG status) {
  return RtlNtStatusToDosError(status);
}

std::uint64_t fileIdOf(HANDLE h) {
  LARGE_INTEGER id{};
  IO_STATUS_BLOCK io{};
  if (NtQueryInformationFile(h, &io, &id, sizeof id, kFileInternalInformation) < 0) return 0;
  return static_cast<std::uint64_t>(id.QuadPart);
}

bool isLinkHandle(HANDLE h) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  return GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
         isLink(tag.FileAttributes, tag.ReparseTag);
}

bool isLink(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == 0 || (tag & kNameSurrogateTag));
}

bool runningOnWine() {
  static const bool wine = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
  }();
  return wine;
}

std::wstring resolvedName(HANDLE h) {
  std::vector<LONGLONG> buffer(128);  // grows for long paths
  for (;;) {
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
    if (GetFileInformationByHandleEx(h, FileNameInfo, info, bytes)) {
      return std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR));
    }
    if (GetLastError() != ERROR_MORE_DATA || buffer.size() > 16384) return {};
    buffer.resize(buffer.size() * 8);
  }
}

bool samePlace(std::wstring_view a, std::wstring_view b) {
  auto next = [](std::wstring_view& rest) {
    const std::size_t end = std::min(rest.find(L'\\'), rest.size());
    std::wstring_view name = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    return name;
  };
  while (!a.empty() || !b.empty()) {
    const std::wstring_view x = next(a), y = next(b);
    if (CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                             static_cast<int>(y.size()), TRUE) != CSTR_EQUAL) {
      return false;
    }
  }
  return true;
}

}  // namespace platform::win32
