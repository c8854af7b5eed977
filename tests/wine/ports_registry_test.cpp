// Win32Registry against the prefix's own values and a key the test writes and deletes.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/handle.h"
#include "platform/win32/registry.h"
#include "platform/win32/wide.h"

using platform::win32::narrow;
using platform::win32::Win32Registry;

TEST(Win32Registry, ReadsShellFoldersAsStored) {
  Win32Registry registry;
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
  const auto plain = registry.readUserString(explorer + "Shell Folders", "Personal");
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->find('%'), std::string::npos) << *plain;
  EXPECT_EQ(plain->substr(1, 2), ":\\") << *plain;

  // REG_EXPAND_SZ: unexpanded, exactly as stored.
  const auto expandable = registry.readUserString(explorer + "User Shell Folders", "Personal");
  ASSERT_TRUE(expandable.has_value());
  EXPECT_NE(expandable->find("%USERPROFILE%"), std::string::npos) << *expandable;
}

TEST(Win32Registry, ReturnsStringsOfAnyLengthAndNothingForOtherTypes) {
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
  auto set = [&](const wchar_t* name, DWORD type, const void* data, std::size_t bytes) {
    ASSERT_EQ(RegSetValueExW(handle.get(), name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(bytes)),
              ERROR_SUCCESS);
  };
  const std::wstring path = L"D:\\我的文档\\WeChat Files", huge(5000, L'长');
  const DWORD number = 42;
  set(L"路径", REG_SZ, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  set(L"Huge", REG_SZ, huge.c_str(), (huge.size() + 1) * sizeof(wchar_t));
  set(L"Empty", REG_SZ, L"", sizeof(wchar_t));
  set(L"Number", REG_DWORD, &number, sizeof(number));

  Win32Registry registry;
  const std::string k = narrow(key);
  EXPECT_EQ(registry.readUserString(k, "路径"), narrow(path));
  EXPECT_EQ(registry.readUserString(k, "Huge"), narrow(huge));
  EXPECT_EQ(registry.readUserString(k, "Empty"), "");
  EXPECT_EQ(registry.readUserString(k, "Number"), std::nullopt);
  EXPECT_EQ(registry.readUserString(k, "Missing"), std::nullopt);
  EXPECT_EQ(registry.readUserString(k + "\\Missing", "路径"), std::nullopt);
}
