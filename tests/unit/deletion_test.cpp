// What the consent oracle cannot state: the words a deletion ends with, the pace of a pass, and the
// old-version cleaner's.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

struct Deletion : ::testing::Test {
  support::Harness h;
  const std::string a = h.account("acct"), s = a + "\\FileStorage";  // the account, its FileStorage
  void SetUp() override { h.addAccount("acct"); }
};

TEST_F(Deletion, MonthPassesGoOldestFirstOneMonthATickAcrossChats) {
  const std::string x = h.weChatFiles() + "\\..\\xwechat_files\\wxid_n_0a1b";
  h.fs.addDir(x + "\\db_storage");
  for (const char* chat : {"c1", "c2", "c3"})
    for (int m = 0; m < 3; ++m)
      h.fs.addFile(x + "\\msg\\attach\\" + chat + "\\" + support::month(m) + "\\Img\\i.dat", 10);
  h.fs.addFile(x + "\\msg\\attach\\c3\\2021-12\\Rec\\only.dat", 1);  // no images that month
  h.startAndSettle();
  h.form.accountPanel.accounts.setListIndex(1);
  h.clock.advance(5000);
  h.form.grid.monthsToKeep.setText("1");
  h.row(6).button.click();
  h.clock.advance(10);
  const std::string attach = h.fs.fullPath(x) + "\\msg\\attach\\";
  EXPECT_EQ(h.shell.boxes.back().text,
            "确认删除 " + attach + "*\\*\\Img\\ 下所有文件吗？确认后将直接删除（3 个聊天）" +
                "\r\n每个月只删除其中的 Img 图片文件夹，转发的聊天记录（Rec）等其他内容保留" +
                "\r\n删除 2022-01 至 2022-02 的 2 个月，约 60；保留最新 1 个月");
  h.remover.hold = true;
  h.clock.advance(1000);
  EXPECT_EQ(h.form.status.text(), "正在删除 2022-01 的 3 个文件夹");
  h.remover.release();  // a month gone before its second is up: the next goes at once
  h.clock.advance(10);
  EXPECT_EQ(h.form.status.text(), "正在删除 2022-02 的 3 个文件夹");
  EXPECT_EQ(h.remover.jobs.size(), 9u) << "three Img folders, their month folders if empty, ...";
  h.remover.hold = false;
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.form.status.text(), "已释放 60");

  // One folder a second where a row has no chats, the oldest first; the bar moves by folders.
  h.form.accountPanel.accounts.setListIndex(0);
  h.addMonths(s + "\\Video", 3);
  h.fs.addFile(s + "\\Video\\2022-01\\big.dat", 700);
  h.clock.advance(5000);
  h.row(7).button.click();
  h.clock.advance(1000);
  EXPECT_EQ(h.form.status.text(), a + "\\FileStorage\\video\\2022-01");
  EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps / 2);
}

TEST_F(Deletion, OldVersionFoldersInOrderWithTheirPausesAndAStopIsSaid) {
  std::vector<std::string> order;
  for (const char* f : {"Video", "Attachment", "CustomEmoV1", "CustomEmotions", "FavTemp", "Files",
                        "HDHeadImage", "Data", "Image"}) {
    order.push_back("\\" + std::string(f));
    h.fs.addFile(a + order.back() + "\\x", 2);
  }
  h.fs.setLocked(a + "\\Data\\x");
  h.fs.keepLinks = true;  // the first folder to stay says why, whatever stays after it
  h.fs.addLink(a + "\\Attachment\\l", "D:\\x");
  h.startAndSettle();
  h.form.legacyBanner.cleanButton.click();
  auto& dlg = h.legacyCleaner;
  EXPECT_TRUE(dlg.visible() && dlg.topMost() && !h.form.visible());
  h.clock.advance(1000);  // the first folder a second after opening, each other after a pause
  const std::uint64_t pauses[] = {3000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 3000};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(h.removedTargets(a), std::vector<std::string>(order.begin(), order.begin() + i + 1));
    h.clock.advance(pauses[i]);
  }
  EXPECT_TRUE(h.form.visible() && !dlg.visible());
  EXPECT_EQ(h.form.status.text(),
            "老版微信垃圾已清理（已释放 16）；有 2 个文件夹没能完全删除：它们是指向别处的链接，"
            "为安全起见保留了");

  // Closed after its first folder: no further one goes, and the stop is said. Opened again while
  // a folder of the stopped pass is still out, it waits for that: the old end would close it.
  h.fs.addFile(a + "\\Video\\v", 3);
  h.clock.advance(1000);
  h.form.legacyBanner.cleanButton.click();
  h.remover.hold = true;
  h.clock.advance(1000);
  dlg.onUnload();
  h.form.legacyBanner.cleanButton.click();
  EXPECT_FALSE(dlg.visible());
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.removedTargets(a).back(), "\\Video");
  EXPECT_TRUE(h.fs.exists(a + "\\Data\\x"));
  EXPECT_EQ(h.form.status.text().rfind("老版微信垃圾清理已中止（已释放 3）", 0), 0u)
      << h.form.status.text();
  h.remover.hold = false;
  h.form.legacyBanner.cleanButton.click();  // Attachment and Data are left
  h.clock.advance(3010);                    // both are out: a close now stops nothing
  dlg.onUnload();
  EXPECT_EQ(h.form.status.text().rfind("老版微信垃圾已清理", 0), 0u) << h.form.status.text();
}

}  // namespace
