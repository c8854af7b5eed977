#include "platform/win32/single_instance.h"

#include <string>

namespace platform::win32 {

SingleInstance::SingleInstance(std::wstring_view name) {
  const std::wstring wname(name);
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wname.c_str());
  const DWORD error = GetLastError();
  mutex_.reset(mutex);
  // Access denied means the mutex exists but belongs to an instance started with other rights
  // (e.g. elevated): still another instance. Any other failure must not keep the user out.
  alreadyRunning_ = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

}  // namespace platform::win32
