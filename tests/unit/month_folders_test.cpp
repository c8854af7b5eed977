#include "clean/month_folders.h"

#include <gtest/gtest.h>

#include "fakes/fake_file_system.h"

namespace {

constexpr const char* kAccount = "D:\\data\\xwechat_files\\wxid_a_0001";

TEST(MonthFolders, NamesAreFourDigitsDashAMonth) {
  for (const char* yes : {"2023-01", "1999-12"}) EXPECT_TRUE(clean::isMonthName(yes)) << yes;
  for (const char* no : {"2023-13", "2023-00", "2023-1", "2023-011", "2023_01", "20x3-01", "Thumb"})
    EXPECT_FALSE(clean::isMonthName(no)) << no;
}

struct KeepNewest : ::testing::Test {
  fakes::FakeFileSystem fs;
  std::string at(const std::string& rel) { return std::string(kAccount) + "\\" + rel; }
  void month(const std::string& parent, const std::string& name, std::uint64_t bytes = 10) {
    fs.addFile(at(parent + "\\" + name + "\\Img\\f.dat"), bytes);
  }
  void SetUp() override {
    // Created out of name order: the fake lists in creation order, as FAT32 does.
    for (const char* m : {"2023-02", "2023-05", "2023-01"}) month("msg\\attach\\ffff", m);
    for (const char* m : {"2022-11", "2023-06"}) month("msg\\attach\\0000", m);
    month("msg\\attach\\hidden", "2020-01");
    fs.addDir(at("msg\\attach\\hidden"), platform::kAttrHidden);
    month("msg\\attach\\0000", "2019-01");
    fs.addDir(at("msg\\attach\\0000\\2019-01"), platform::kAttrSystem);
    fs.addDir(at("msg\\attach\\0000\\2023-13"));      // not a month: left alone
    fs.addFile(at("msg\\attach\\0000\\2021-01"), 7);  // a file, not a folder
    month("cache", "2023-05", 100);
    month("cache\\Thumb", "2021-03", 1000);  // a parent inside another parent
  }
  std::vector<std::string> relative(const std::vector<clean::MonthFolder>& folders) {
    std::vector<std::string> out;
    for (const auto& f : folders) out.push_back(f.path.substr(std::string(kAccount).size() + 1));
    return out;
  }
  clean::MonthRow row() {
    return clean::scanMonthRow(fs, kAccount, {"msg\\attach\\*\\", "cache\\", "\\cache\\Thumb\\"});
  }
};

TEST_F(KeepNewest, ListsTheRowInAStableOrderAndCountsNestedParentsOnce) {
  const auto r = row();
  EXPECT_EQ(r.parents, (std::vector<std::string>{at("msg\\attach\\0000"), at("msg\\attach\\ffff"),
                                                 at("cache"), at("cache\\Thumb")}));
  EXPECT_EQ(r.months, (std::vector<std::string>{"2023-06", "2023-05", "2023-02", "2023-01",
                                                "2022-11", "2021-03"}));
  EXPECT_EQ(relative(r.folders),
            (std::vector<std::string>{"msg\\attach\\0000\\2023-06", "msg\\attach\\ffff\\2023-05",
                                      "cache\\2023-05", "msg\\attach\\ffff\\2023-02",
                                      "msg\\attach\\ffff\\2023-01", "msg\\attach\\0000\\2022-11",
                                      "cache\\Thumb\\2021-03"}));
  // Everything below the parents, the system month folder and the stray file included.
  EXPECT_EQ(r.bytes, 10u * 6 + 7 + 100 + 1000);
}

TEST_F(KeepNewest, KeepsTheNewestMonthNamesAcrossAllChats) {
  const auto r = row();
  struct Case {
    unsigned keep;
    std::vector<std::string> kept;
    std::vector<std::string> doomed;
    std::uint64_t bytes;
  };
  const Case cases[] = {
      {2,
       {"2023-06", "2023-05"},
       {"msg\\attach\\ffff\\2023-02", "msg\\attach\\ffff\\2023-01", "msg\\attach\\0000\\2022-11",
        "cache\\Thumb\\2021-03"},
       1030},
      {5, {"2023-06", "2023-05", "2023-02", "2023-01", "2022-11"}, {"cache\\Thumb\\2021-03"}, 1000},
      {9, r.months, {}, 0},
      {0, {}, relative(r.folders), 1150},
  };
  for (const auto& c : cases) {
    const auto plan = clean::planKeepNewest(fs, r, c.keep);
    EXPECT_EQ(plan.kept, c.kept) << c.keep;
    EXPECT_EQ(relative(plan.doomed), c.doomed) << c.keep;
    EXPECT_EQ(plan.doomedBytes, c.bytes) << c.keep;
  }
}

}  // namespace
