#include "platform/win32/dir_lister.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/win32/handle.h"

namespace platform::win32 {
namespace {

constexpr DWORD kBatchBytes = 64 * 1024;

bool isDots(std::wstring_view n) {
  return n == L"." || n == L"..";
}

enum class Listed { kAll, kStopped, kRefused };

Listed listByHandle(HANDLE folder, const std::function<bool(const ListedEntry&)>& fn,
                    DWORD& error) {
  // DWORD-aligned, as the entries require.
  auto buffer = std::make_unique<std::uint64_t[]>(kBatchBytes / sizeof(std::uint64_t));
  for (bool first = true;; first = false) {
    // The first batch restarts the scan, so a folder can be listed again through its handle.
    const auto batch = first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
    if (!GetFileInformationByHandleEx(folder, batch, buffer.get(), kBatchBytes)) {
      error = GetLastError();
      if (error == ERROR_NO_MORE_FILES) {
        error = ERROR_SUCCESS;
        return Listed::kAll;
      }
      const bool refused = error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
                           error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_LEVEL;
      return first && refused ? Listed::kRefused : Listed::kStopped;
    }
    auto* at = reinterpret_cast<const unsigned char*>(buffer.get());
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      ListedEntry e;
      e.name = std::wstring_view(info->FileName, info->FileNameLength / sizeof(WCHAR));
      e.attributes = info->FileAttributes;
      e.tag = info->EaSize;  // for a reparse point the EA size field carries its tag
      e.size = static_cast<std::uint64_t>(info->EndOfFile.QuadPart);
      e.id = static_cast<std::uint64_t>(info->FileId.QuadPart);
      if (!isDots(e.name) && !fn(e)) {
        error = ERROR_SUCCESS;
        return Listed::kStopped;
      }
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
}

DWORD listByFind(const std::wstring& path, const std::function<bool(const ListedEntry&)>& fn) {
  WIN32_FIND_DATAW data;
  unique_hfind find(FindFirstFileExW(childPath(path, L"*").c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    const DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : err;  // not even ".": empty
  }
  do {
    ListedEntry e;
    e.name = data.cFileName;
    e.attributes = data.dwFileAttributes;
    e.tag = data.dwReserved0;
    e.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    if (!isDots(e.name) && !fn(e)) return ERROR_SUCCESS;
  } while (FindNextFileW(find.get(), &data));
  const DWORD err = GetLastError();
  return err == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : err;
}

}  // namespace

std::wstring childPath(const std::wstring& path, std::wstring_view name) {
  std::wstring out = path;
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  out += name;
  return out;
}

Volume& volumeOf(HANDLE folder) {
  static std::mutex lock;
  static std::map<DWORD, std::unique_ptr<Volume>> volumes;  // a handful, kept for the process
  DWORD serial = 0;
  GetVolumeInformationByHandleW(folder, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
  std::lock_guard guard(lock);
  auto& v = volumes[serial];
  if (!v) v = std::make_unique<Volume>();
  return *v;
}

Volume& findOnlyVolume() {
  static Volume volume;
  volume.listByHandle = false;
  return volume;
}

DWORD listFolder(HANDLE folder, const std::wstring& path, Volume& volume,
                 const std::function<bool(const ListedEntry&)>& fn) {
  if (volume.listByHandle.load(std::memory_order_relaxed)) {
    DWORD error = ERROR_SUCCESS;
    if (listByHandle(folder, fn, error) != Listed::kRefused) return error;
    volume.listByHandle.store(false, std::memory_order_relaxed);
  }
  return listByFind(path, fn);
}

}  // namespace platform::win32
