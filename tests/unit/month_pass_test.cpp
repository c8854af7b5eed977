#include "clean/month_pass.h"

#include <gtest/gtest.h>

#include "fakes/fake_file_system.h"

namespace {

TEST(MonthPass, KeepsTheNewestNamesAcrossTheRowsFolderAndEveryChat) {
  fakes::FakeFileSystem fs;
  const std::string account = "D:\\x\\wxid_a";
  const std::string image = account + "\\FileStorage\\image";
  auto folder = [&](const std::string& path) { fs.addFile(account + "\\" + path + "\\f.dat", 1); };
  // Created out of name order: the fake lists in creation order, as FAT32 does.
  for (const char* m : {"2023-01", "misc", "2022-12", "Thumb\\2022-11"})
    folder(std::string("FileStorage\\image\\") + m);
  fs.addDir(image + "\\2021-01", platform::kAttrHidden);
  fs.addFile(image + "\\loose.dat", 1);
  for (const char* m : {"2023-02", "2022-12", "2023-13", "notes"})
    folder(std::string("FileStorage\\MsgAttach\\ffff\\Image\\") + m);
  folder("FileStorage\\MsgAttach\\0000\\Image\\2023-02");
  folder("FileStorage\\MsgAttach\\hidden\\Image\\2020-01");
  fs.addDir(account + "\\FileStorage\\MsgAttach\\hidden", platform::kAttrHidden);

  const clean::PassSource source{image + "\\", true, "thumb", "FileStorage\\MsgAttach\\*\\Image\\"};
  const auto list = clean::listPassFolders(fs, account, source);
  std::vector<std::string> all;
  for (const auto& f : list) all.push_back(f.path.substr(account.size() + 13));
  // The row's own folder takes every visible name ("misc" sorts after the months, so it is the
  // "newest"); the chats' take months only; one name's folders in the order of their parents.
  const std::vector<std::string> expected{"image\\misc",
                                          "MsgAttach\\0000\\Image\\2023-02",
                                          "MsgAttach\\ffff\\Image\\2023-02",
                                          "image\\2023-01",
                                          "image\\2022-12",
                                          "MsgAttach\\ffff\\Image\\2022-12"};
  EXPECT_EQ(all, expected);

  struct Case {
    unsigned keep;
    std::size_t first;  // of `expected`, the first one that goes
  } cases[] = {{0, 0}, {1, 1}, {2, 3}, {4, 6}, {9, 6}};
  for (const auto& c : cases) {
    auto doomed = list;
    clean::keepNewest(doomed, c.keep);
    EXPECT_EQ(doomed.size(), expected.size() - c.first) << c.keep;
    if (!doomed.empty()) {
      EXPECT_EQ(doomed.front(), list[c.first]) << c.keep;
    }
  }
}

}  // namespace
