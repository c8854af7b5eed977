// What the consent oracle cannot state: the words of the questions and of the results, the pace of
// a pass, the dialogs, and the user's relocated folders.
#include <gtest/gtest.h>

#include "support/harness.h"

using support::Harness;

namespace {

constexpr const char* kBusy = "正在清理中，请等这一轮清理结束后再试";

struct Deletion : ::testing::Test {
  Harness h;
  const std::string a = h.account("acct"), s = a + "\\FileStorage";  // the account, its FileStorage
  void SetUp() override { h.addAccount("acct"); }
  void start() {
    h.startAndSettle();
    h.shell.boxes.clear();
  }
};

std::string ask(const std::string& folder) {
  return "确认删除 " + folder + " 下所有文件吗？确认后将直接删除";
}

TEST_F(Deletion, WholeCategoryRemovesAndSaysWhatItGaveBackOrWhatStayedAndWhy) {
  h.fs.addFile(s + "\\Cache\\a", 1500);
  h.fs.addFile(s + "\\General\\x\\locked.dat", 7);
  h.fs.addFile(s + "\\General\\y", 3000);
  h.fs.setLocked(s + "\\General\\x\\locked.dat");
  start();
  h.remover.hold = true;
  h.shell.answer = [this](const fakes::MessageBoxCall&) {
    if (h.shell.boxes.size() == 1) h.row(1).button.click();  // a second click while it asks
    return platform::Answer::Ok;
  };
  h.row(1).button.click();
  EXPECT_EQ(h.lastBox(), kBusy);
  EXPECT_TRUE(h.form.busyOverlay.frame.visible());
  EXPECT_FALSE(h.row(2).button.usable()) << "the covered grid takes no input";
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.lastBox(), "删除完成");
  EXPECT_EQ(h.form.status.text(), s + "\\Cache\\已清空..（已释放 1.50 K）");
  EXPECT_EQ(h.form.busyOverlay.soFar.text(), "已删除 1 个文件，已释放 1.50 K");
  EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps) << "all the row held";
  EXPECT_EQ(h.row(1).size.text(), "×0 K") << "measured again";
  EXPECT_TRUE(h.row(2).button.usable());

  h.row(4).button.click();
  h.remover.release();
  h.clock.advance(10);
  // One locked file: the user counts one file, and quitting WeChat may free it.
  EXPECT_EQ(h.lastBox(),
            "有 1 个文件没能删除，它们正被其他程序占用。\r\n请完全退出微信后再试一次。");
  EXPECT_EQ(h.form.status.text(), s + "\\General\\没能完全清空（已释放 3.00 K）");
  h.row(3).button.click();
  EXPECT_EQ(h.lastBox(), "文件夹不存在");
  h.row(3).button.click();  // asked again: nothing was handed out, so nothing is busy
  EXPECT_EQ(h.lastBox(), "文件夹不存在");
  EXPECT_EQ(h.form.status.text(), s + "\\Fav\\已清空..");
}

TEST_F(Deletion, MonthPassesGoOldestFirstOneMonthATickAcrossChats) {
  const std::string x = h.weChatFiles() + "\\..\\xwechat_files\\wxid_n_0a1b";
  h.fs.addDir(x + "\\db_storage");
  for (const char* chat : {"c1", "c2", "c3"})
    for (int m = 0; m < 3; ++m) {
      h.fs.addFile(x + "\\msg\\attach\\" + chat + "\\" + support::month(m) + "\\Img\\i.dat", 10);
      h.fs.addFile(x + "\\msg\\attach\\" + chat + "\\" + support::month(m) + "\\Rec\\r.dat", 1);
    }
  h.fs.addFile(x + "\\msg\\attach\\c3\\2021-12\\Rec\\only.dat", 1);  // no images that month
  start();
  h.form.accountPanel.accounts.setListIndex(1);
  h.clock.advance(5000);
  h.form.grid.monthsToKeep.setText("1");
  h.row(6).button.click();
  h.clock.advance(10);
  const std::string attach = h.fs.fullPath(x) + "\\msg\\attach\\";
  EXPECT_EQ(h.lastBox(),
            ask(attach + "*\\*\\Img\\") + "（3 个聊天）" +
                "\r\n每个月只删除其中的 Img 图片文件夹，转发的聊天记录（Rec）等其他内容保留" +
                "\r\n删除 2022-01 至 2022-02 的 2 个月，约 60；保留最新 1 个月");
  h.clock.advance(1000);
  EXPECT_EQ(h.form.status.text(), "正在删除 2022-01 的 3 个文件夹");
  EXPECT_EQ(h.remover.jobs.size(), 6u) << "three Img folders, then their month folders if empty";
  EXPECT_TRUE(h.fs.exists(attach + "c1\\2022-01\\Rec\\r.dat"));
  h.clock.advance(2000);
  EXPECT_EQ(h.form.status.text(), "已释放 60");
  EXPECT_TRUE(h.fs.exists(attach + "c1\\2022-03\\Img\\i.dat"));

  // One folder a second where a row has no chats, the oldest first.
  h.form.accountPanel.accounts.setListIndex(0);
  h.addMonths(s + "\\Video", 3);
  h.fs.addFile(s + "\\Video\\2022-01\\big.dat", 700);
  h.clock.advance(5000);
  const std::size_t before = h.removedTargets().size();
  h.row(7).button.click();
  h.clock.advance(1000);
  EXPECT_EQ(h.form.status.text(), a + "\\FileStorage\\video\\2022-01");
  EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps / 2) << "by folders";
  h.form.accountPanel.accounts.setListIndex(1);  // another account chosen and measured meanwhile
  h.clock.advance(600);
  EXPECT_TRUE(h.form.busyOverlay.frame.visible()) << "the pass is still running";
  h.clock.advance(3000);
  EXPECT_EQ(h.removedTargets(a).size(), before + 2);
  EXPECT_EQ(h.removedTargets(a).back(), "\\FileStorage\\video\\2022-02");
}

// A row folder the user moved elsewhere with a junction: what it points to is measured and
// emptied, the junction stays, and the figures and the report agree. A link kept is said without
// advice to try again.
TEST_F(Deletion, RelocatedFoldersAreEmptiedAndLinksKept) {
  h.fs.addFile("D:\\Moved\\Cache\\2023-01\\a.dat", 4000);
  h.fs.addFile("D:\\Moved\\Cache\\b.dat", 1000);
  h.fs.addFile("D:\\Other\\x.dat", 9);
  h.fs.addLink("D:\\Moved\\Cache\\link", "D:\\Other");
  h.fs.addLink(s + "\\Cache", "D:\\Moved\\Cache");
  h.addMonths(s + "\\Sns\\Cache", 2);
  h.fs.addLink(s + "\\Sns\\Cache\\2021-01", "D:\\Other");
  h.addMonths(s + "\\Image\\Thumb", 2);
  start();
  EXPECT_EQ(h.figures(1), "×5.00 K 2个");
  h.row(1).button.click();
  h.clock.advance(10);
  EXPECT_EQ(h.form.status.text(), s + "\\Cache\\已清空..（已释放 5.00 K）");
  EXPECT_TRUE(h.fs.attributes(s + "\\Cache").value_or(0) & platform::kAttrReparsePoint);
  EXPECT_TRUE(h.fs.list("D:\\Moved\\Cache").empty());
  h.fs.keepLinks = true;
  h.form.setFocus(h.row(5).button);
  h.form.grid.keepNewest.userClick();  // unticked; the focus goes where no one sees it
  EXPECT_EQ(h.form.focused(), &h.form.focusSink);
  h.row(5).button.click();
  h.clock.advance(5000);
  EXPECT_EQ(h.form.status.text(),
            "有 1 个文件夹没能完全删除：它们是指向别处的链接，为安全起见保留了（已释放 200）");
  EXPECT_TRUE(h.fs.exists("D:\\Other\\x.dat")) << "a link below it is never followed";
  h.row(6).button.click();
  h.clock.advance(5000);
  EXPECT_FALSE(h.fs.exists(s + "\\Image\\Thumb\\2022-01")) << "the thumbnails follow the images";
}

TEST_F(Deletion, ReceivedFilesDialogOffersWhatTheRowCountsAndReportsInTheMainWindow) {
  const std::string received = a + "\\FileStorage\\file\\";
  h.fs.addFile(s + "\\MsgAttach\\cc\\File\\2023-01\\doc.pdf", 2000);  // only in the chats
  start();
  EXPECT_EQ(h.row(8).size.text(), "×2.00 K");
  h.row(8).button.click();
  auto& dlg = h.receivedFiles;
  ASSERT_TRUE(dlg.visible() && !h.form.visible());
  EXPECT_TRUE(dlg.clearAllButton.enabled() && dlg.openButton.enabled());
  h.shell.answer = [&](const fakes::MessageBoxCall&) {
    if (h.shell.boxes.size() == 1) dlg.clearAllButton.click();  // a second click while it asks
    return platform::Answer::Cancel;
  };
  dlg.clearAllButton.click();
  ASSERT_EQ(h.shell.boxes.size(), 2u);
  EXPECT_EQ(h.shell.boxes[0].text, "确认删除" + received +
                                       "所有文件吗？确认后将直接清空\r\n同时删除：" + s +
                                       "\\MsgAttach\\*\\File\\（1 个聊天）");
  EXPECT_EQ(h.shell.boxes[0].owner, 3u) << "the dialog asks";
  EXPECT_EQ(h.lastBox(), kBusy);
  ASSERT_TRUE(dlg.visible());
  dlg.openButton.click();
  EXPECT_EQ(h.shell.processes.back().first, "\"C:\\Windows\\explorer.exe\" \"" + received + "\"");
  EXPECT_TRUE(h.form.visible());
  h.row(8).button.click();
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::Answer::Ok; };
  dlg.clearAllButton.click();
  h.clock.advance(10);
  EXPECT_TRUE(h.form.visible() && !dlg.visible());
  EXPECT_EQ(h.form.status.text(), received + "已清空..（已释放 2.00 K）");
  h.row(8).button.click();
  EXPECT_EQ(dlg.question.text(), "没找到File文件夹,有点郁闷...");
  EXPECT_FALSE(dlg.clearAllButton.enabled() || dlg.openButton.enabled());
  dlg.onUnload();
  EXPECT_TRUE(h.form.visible());
}

TEST_F(Deletion, OldVersionFoldersInOrderWithTheirPausesAndAStopIsSaid) {
  std::vector<std::string> order;
  for (const char* f : {"Video", "Attachment", "CustomEmoV1", "CustomEmotions", "FavTemp", "Files",
                        "HDHeadImage", "Data", "Image"}) {
    order.push_back("\\" + std::string(f));
    h.fs.addFile(a + order.back() + "\\x", 1);
  }
  h.fs.setLocked(a + "\\Data\\x");
  start();
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
            "老版微信垃圾已清理（已释放 8）；有 1 个文件夹没能完全删除：它们正被其他程序占用，"
            "请退出微信后再试");

  h.fs.addFile(a + "\\Video\\v", 1);
  h.fs.addFile(a + "\\Image", 5);  // a file of an old folder's name is someone's file
  h.clock.advance(1000);
  h.form.legacyBanner.cleanButton.click();
  h.clock.advance(1000);
  dlg.onUnload();  // closed after its first folder: no further one goes, and the end is said
  h.clock.advance(10);
  EXPECT_EQ(h.removedTargets(a).back(), "\\Video");
  EXPECT_TRUE(h.fs.exists(a + "\\Image") && h.fs.exists(a + "\\Data\\x"));
  EXPECT_EQ(h.form.status.text().rfind("老版微信垃圾清理已中止（已释放 1）", 0), 0u)
      << h.form.status.text();

  // Opened again, the window stays for its whole pass, and a file of an old folder's name stays.
  h.clock.advance(1000);
  h.form.legacyBanner.cleanButton.click();
  EXPECT_TRUE(dlg.visible());
  h.clock.advance(30000);
  EXPECT_EQ(h.removedTargets(a).back(), "\\Data");
  EXPECT_TRUE(h.fs.exists(a + "\\Image") && !dlg.visible());

  // Closed while a folder of its pass is still being removed, it opens again only once that
  // folder has reported: the stopped pass's end would close the new window.
  h.fs.addFile(a + "\\Video\\w", 1);
  h.remover.hold = true;
  h.form.legacyBanner.cleanButton.click();
  h.clock.advance(1000);
  dlg.onUnload();
  h.form.legacyBanner.cleanButton.click();
  EXPECT_FALSE(dlg.visible());
  h.remover.hold = false;
  h.remover.release();
  h.clock.advance(10);
}

}  // namespace
