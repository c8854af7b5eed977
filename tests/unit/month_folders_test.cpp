#include "clean/month_folders.h"

#include <gtest/gtest.h>

#include "fakes/fake_file_system.h"

namespace {

TEST(MonthFolders, KeepsTheNewestMonthNamesAcrossAllChatsAndLeavesOtherEntriesAlone) {
  fakes::FakeFileSystem fs;
  const std::string account = "D:\\x\\wxid_a_0001";
  auto month = [&](const std::string& parent, const char* name, std::uint64_t bytes = 10) {
    fs.addFile(account + "\\" + parent + "\\" + name + "\\Img\\f.dat", bytes);
  };
  // Created out of name order: the fake lists in creation order, as FAT32 does.
  for (const char* m : {"2023-02", "2023-05", "2023-01"}) month("msg\\attach\\ffff", m);
  for (const char* m : {"2022-11", "2023-02", "2023-06", "2023-13", "2023-1", "2023_01", "Thumb"})
    month("msg\\attach\\0000", m);
  month("msg\\attach\\hidden", "2020-01");
  fs.addDir(account + "\\msg\\attach\\hidden", platform::kAttrHidden);
  month("msg\\attach\\0000", "2019-01");
  fs.addDir(account + "\\msg\\attach\\0000\\2019-01", platform::kAttrSystem);
  fs.addFile(account + "\\msg\\attach\\0000\\2021-01", 7);
  month("cache", "2023-05", 100);
  month("cache\\Thumb", "2021-03", 1000);  // a parent inside another parent

  const auto row =
      clean::scanMonthRow(fs, account, {"msg\\attach\\*\\", "cache", "\\cache\\Thumb\\"});
  auto relative = [&](const std::vector<clean::MonthFolder>& folders) {
    std::vector<std::string> out;
    for (const auto& f : folders) out.push_back(f.path.substr(account.size() + 1));
    return out;
  };
  const std::vector<std::string> all{
      "msg\\attach\\0000\\2023-06", "msg\\attach\\ffff\\2023-05", "cache\\2023-05",
      "msg\\attach\\0000\\2023-02", "msg\\attach\\ffff\\2023-02", "msg\\attach\\ffff\\2023-01",
      "msg\\attach\\0000\\2022-11", "cache\\Thumb\\2021-03"};
  EXPECT_EQ(relative(row.folders), all);
  EXPECT_EQ(row.parents.size(), 4u);

  struct Case {
    unsigned keep;
    std::vector<std::string> kept, doomed;
  };
  const Case cases[] = {
      {2, {"2023-06", "2023-05"}, {all.begin() + 3, all.end()}},
      {5, {"2023-06", "2023-05", "2023-02", "2023-01", "2022-11"}, {all.back()}},
      {9, row.months, {}},
      {0, {}, all},
  };
  for (const auto& c : cases) {
    const auto plan = clean::planKeepNewest(row, c.keep);
    EXPECT_EQ(plan.kept, c.kept) << c.keep;
    EXPECT_EQ(relative(plan.doomed), c.doomed) << c.keep;
  }
}

}  // namespace
