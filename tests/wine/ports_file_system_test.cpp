// Win32FileSystem against a real tree the test builds in its own temp folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "platform/win32/file_system.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

using platform::kAttrDirectory;
using platform::kAttrHidden;
using platform::kAttrSystem;

TEST(Win32FileSystem, ListsAndTellsFoldersByWindowsPathRulesAtAnyLength) {
  ports_test::TempFolder tmp;
  const std::string root = tmp.path();
  ASSERT_TRUE(ports_test::writeFile(root + "\\plain.txt", "hello"));
  ASSERT_TRUE(ports_test::writeFile(root + "\\隐藏.dat", "x"));
  for (const char* folder : {"\\系统 folder", "\\子文件夹", "\\2023-01.", "\\long"})
    ASSERT_TRUE(ports_test::makeFolder(root + folder));
  ASSERT_TRUE(
      SetFileAttributesW(ports_test::rawPath(root + "\\隐藏.dat").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(ports_test::rawPath(root + "\\系统 folder").c_str(),
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY));
  std::string deep = root + "\\long";
  while (platform::win32::widen(deep).size() <= MAX_PATH + 20) {
    deep += "\\很长的文件夹名字-abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(ports_test::makeFolder(deep));
  }
  ASSERT_TRUE(ports_test::writeFile(deep + "\\深处.txt", "deep"));
  platform::win32::Win32FileSystem fs;

  const std::map<std::string, std::uint32_t> expected{
      {"plain.txt", 0},
      {"隐藏.dat", kAttrHidden},
      {"子文件夹", kAttrDirectory},
      {"long", kAttrDirectory},
      {"2023-01.", kAttrDirectory},
      {"系统 folder", kAttrDirectory | kAttrSystem}};
  for (const std::string& folder : {root, root + "\\"}) {
    std::map<std::string, std::uint32_t> listed;
    for (const auto& e : fs.list(folder))
      listed[e.name] = e.attributes & (kAttrDirectory | kAttrHidden | kAttrSystem);
    EXPECT_EQ(listed, expected) << folder;
  }
  for (const std::string& nothing :
       {root + "\\子文件夹", root + "\\missing", root + "\\plain.txt", std::string()})
    EXPECT_TRUE(fs.list(nothing).empty()) << nothing;
  const auto deepList = fs.list(deep + "\\");
  ASSERT_EQ(deepList.size(), 1u);
  EXPECT_EQ(deepList[0].name, "深处.txt");

  struct Case {
    std::string path;
    std::optional<bool> directory;  // nothing: the path names nothing
  };
  const Case cases[] = {
      {root + "\\子文件夹", true},
      {root + "\\子文件夹\\", true},
      {root + "\\plain.txt", false},
      {root + "\\plain.txt\\", std::nullopt},
      {root + "\\missing", std::nullopt},
      // Every name literally: the month pass must see a month folder whose name ends in a dot.
      {root + "\\2023-01.", true},
      {root + "\\子文件夹.", std::nullopt},
      {root + "\\\\子文件夹\\", true},  // "E:\\WeChat Files\", as a picked drive root gives
      {"", std::nullopt},
      {deep + "\\", true},
      {deep + "\\深处.txt", false},
      {deep + "\\深处.txt\\", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto attrs = fs.attributes(c.path);
    ASSERT_EQ(attrs.has_value(), c.directory.has_value()) << c.path;
    if (attrs) {
      EXPECT_EQ((*attrs & kAttrDirectory) != 0, *c.directory) << c.path;
    }
  }
}
