// Win32Registry against the prefix's own values and a key the test writes and deletes.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/handle.h"
#include "platform/win32/registry.h"
#include "platform/win32/wide.h"

using platform::win32::narrow;
using platform::win32::widen;
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

namespace {

class OwnKey : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, handle.put(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    handle.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, widen(key).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VelmoraTest");  // fails while others use it
  }
  void set(const wchar_t* name, DWORD type, const void* data, std::size_t bytes) {
    ASSERT_EQ(RegSetValueExW(handle.get(), name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(bytes)),
              ERROR_SUCCESS);
  }
  void setText(const wchar_t* name, DWORD type, const std::wstring& text) {
    set(name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }

  // One key per process: tests run in parallel processes against one prefix.
  const std::string key = "Software\\VelmoraTest\\数据 " + std::to_string(GetCurrentProcessId());
  platform::win32::unique_hkey handle;
  Win32Registry registry;
};

}  // namespace

TEST_F(OwnKey, ReturnsStringsAsStoredAndNothingForTheRest) {
  setText(L"路径", REG_SZ, L"D:\\我的文档\\WeChat Files");
  setText(L"Expand", REG_EXPAND_SZ, L"%APPDATA%\\腾讯");
  setText(L"", REG_SZ, L"default value");
  setText(L"Empty", REG_SZ, L"");
  const DWORD number = 42;
  set(L"Number", REG_DWORD, &number, sizeof(number));
  const std::wstring huge(5000, L'长');
  setText(L"Huge", REG_SZ, huge);

  EXPECT_EQ(registry.readUserString(key, "路径"), "D:\\我的文档\\WeChat Files");
  EXPECT_EQ(registry.readUserString(key, "Expand"), "%APPDATA%\\腾讯");
  EXPECT_EQ(registry.readUserString(key, ""), "default value");
  EXPECT_EQ(registry.readUserString(key, "Empty"), "");
  EXPECT_EQ(registry.readUserString(key, "Huge"), narrow(huge));
  EXPECT_EQ(registry.readUserString(key, "Number"), std::nullopt);
  EXPECT_EQ(registry.readUserString(key, "Missing"), std::nullopt);
  EXPECT_EQ(registry.readUserString(key + "\\Missing", "路径"), std::nullopt);
}
