// Keeps a second Velmora from running beside the first (in one Windows session, or one Wine
// prefix): the first instance owns a named mutex for as long as it lives.
#pragma once

#include <string_view>

#include "platform/win32/handle.h"

namespace platform::win32 {

inline constexpr std::wstring_view kSingleInstanceName = L"Local\\Velmora.SingleInstance";

class SingleInstance {
 public:
  // Tests pass their own name so they never collide with a Velmora.exe running alongside.
  explicit SingleInstance(std::wstring_view name = kSingleInstanceName);
  // True when another live object (in any process) already holds the name.
  bool alreadyRunning() const { return alreadyRunning_; }

 private:
  unique_handle mutex_;
  bool alreadyRunning_ = false;
};

}  // namespace platform::win32
