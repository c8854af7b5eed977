// Win32Registry against the prefix's own values and a key the test writes and deletes.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/handle.h"
#include "platform/win32/registry.h"
#include "platform/win32/wide.h"

using platform::win32::narrow;

// Expandable values come back as stored: the caller expands them with the right environment.
TEST(Win32Registry, ReadsStringsOfAnyLengthAsStoredAndNothingElse) {
  platform::win32::Win32Registry registry;
  const auto expandable = registry.readUserString(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Personal");
  ASSERT_TRUE(expandable.has_value());
  EXPECT_NE(expandable->find("%USERPROFILE%"), std::string::npos) << *expandable;

  // One key per process: tests run in parallel processes against one prefix.
  const std::wstring key = L"Software\\VelmoraTest\\数据 " + std::to_wstring(GetCurrentProcessId());
  platform::win32::unique_hkey handle;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            handle.put(), nullptr),
            ERROR_SUCCESS);
  auto cleanup = platform::win32::scope_exit([&] {
    handle.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VelmoraTest");  // fails while others use it
  });
  const std::wstring huge(5000, L'长');
  const DWORD number = 42;
  RegSetValueExW(handle.get(), L"路径", 0, REG_SZ, reinterpret_cast<const BYTE*>(huge.c_str()),
                 static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(handle.get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  const std::string k = narrow(key);
  EXPECT_EQ(registry.readUserString(k, "路径"), narrow(huge));
  EXPECT_EQ(registry.readUserString(k, "Number"), std::nullopt);
  EXPECT_EQ(registry.readUserString(k, "Missing"), std::nullopt);
  EXPECT_EQ(registry.readUserString(k + "\\Missing", "路径"), std::nullopt);
}
