// The rows on the data people have today: a WeChat 3.9 account whose chat images, thumbnails and
// received files sit in per-chat folders, and a WeChat 4.x account in a folder moved in WeChat's
// settings (written in GBK). Their figures and colours, a scan started again while one runs, the
// words a whole category's deletion ends with, and the pace of a month pass across the chats.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

TEST(Today, EachLayoutsRowsCountTheirOwnFoldersAndTheChats) {
  support::Harness h;
  const std::string config = "C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat\\config\\00ff.ini";
  h.env.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
  h.fs.addFile(config, 12);
  h.env.addFile(config, "D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD");  // "D:\微信数据" in GBK
  // The two accounts' folders: 3.9's FileStorage, and 4.x's moved one.
  const std::string s = h.account("lucky_cat_20231111") + "\\FileStorage\\",
                    moved = "D:\\微信数据\\xwechat_files\\", x = moved + "lucky_cat_20231111\\";
  const std::pair<std::string, std::uint64_t> files[] = {
      {h.account("lucky_cat_20231111") + "\\Msg\\MicroMsg.db", 5000},
      {s + "Image\\2023-01\\a", 100},
      {s + "Image\\thumb\\2023-01\\t", 10},
      {s + "MsgAttach\\aaaa\\Image\\2023-03\\i", 1000},
      {s + "MsgAttach\\aaaa\\Thumb\\2023-03\\t", 20},
      {s + "MsgAttach\\aaaa\\Image\\2022-11\\i", 1000},
      {s + "MsgAttach\\aaaa\\Thumb\\2022-11\\t", 20},
      {s + "MsgAttach\\bbbb\\Image\\2023-02\\i", 1000},
      {s + "MsgAttach\\bbbb\\Image\\2023-13\\i", 1},  // no month
      {s + "MsgAttach\\bbbb\\Image\\2023-00\\i", 1},  // no month either
      {s + "MsgAttach\\bbbb\\Image\\2023-12", 2},     // a file
      {s + "MsgAttach\\bbbb\\File\\2023-02\\doc.pdf", 300},
      {s + "File\\2023-02\\report.xlsx", 400},
      {x + "db_storage\\message\\message_0.db", 70000},
      {x + "temp\\t", 1530},
      {x + "business\\emoticon\\e", 40},
      {x + "business\\favorite\\temp\\f", 50},
      {x + "business\\favorite\\data\\keep", 6000},
      {x + "msg\\attach\\a0\\Rec\\r", 3},           // not a month: left alone
      {x + "msg\\attach\\c0\\2022-12\\Rec\\r", 1},  // no images that month
      {x + "msg\\video\\2023-04\\v", 3000000000},
      {x + "msg\\file\\2023-04\\f", 900},
      {moved + "all_users\\config\\c", 1}};  // no account
  for (const auto& [path, bytes] : files) h.fs.addFile(path, bytes);
  h.fs.addLink(s + "MsgAttach\\cccc", s + "MsgAttach\\aaaa");
  for (const char* chat : {"a0", "b0", "c0"})  // months 2023-01 … 2023-03, each in three chats
    for (int m = 12; m < 15; ++m)
      h.fs.addFile(x + "msg\\attach\\" + chat + "\\" + support::month(m) + "\\Img\\x", 10);
  h.shell.decimal = ",";          // as the user's regional settings write it
  h.fs.addDir(s + "Sns\\Cache");  // there, with no month in it
  h.fs.addDir("D:\\微信数据\\WeChat Files\\lucky_cat_20231111");  // a name seen twice
  h.startAndSettle();
  // 3.9: the chats' images and thumbnails count in the image row, their files in the file row.
  EXPECT_EQ(h.figures(5) + " " + h.figures(6) + " " + h.figures(8), "×0 0个 ×3,15 K 4个 ×700 2个");
  // A plain size keeps the colour above it: the image row's K green.
  EXPECT_EQ(h.row(8).size.foreColor(), ui::Color::rgb(27, 96, 3));
  EXPECT_FALSE(h.form.accountIdHelpButton.visible()) << "18 characters are no long name";
  h.row(8).button.click();  // the received-files dialog, opened on this account first
  h.receivedFiles.openButton.click();

  h.form.grid.scanButton.click();
  h.clock.advance(1500);  // stages 1 to 4 done, stage 5 due at 1900
  h.form.grid.scanButton.click();
  h.clock.advance(400);
  EXPECT_EQ(h.row(5).size.text(), "×0") << "the first scan's pending stage still runs";
  EXPECT_EQ(h.row(3).size.text(), "");
  h.clock.advance(3050);  // the restarted scan has ended
  EXPECT_EQ(h.row(8).size.text(), "×700");
  EXPECT_EQ(h.form.status.text(), "计算结束");

  h.form.accountPanel.accounts.setListIndex(2);
  EXPECT_EQ(h.form.accountPanel.accounts.items()[1], "lucky_cat_20231111（D:\\微信数据）");
  EXPECT_EQ(h.form.accountPanel.accounts.text(), "lucky_cat_20231111（新版微信）");
  h.clock.advance(5000);
  // 4.x: cache and temp are one row; the image row counts the Img folders only.
  const char* figures[] = {"×1,53 K 0个", "×40 0个", "×50 0个",     "— —",
                           "— —",         "×90 9个", "×3,00 G 1个", "×900 1个"};
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.figures(k), figures[k - 1]) << k;
  EXPECT_EQ(h.row(7).size.foreColor(), ui::Color::rgb(246, 6, 0));
  h.shell.boxes.clear();
  h.row(5).button.click();  // a dash deletes nothing, whatever clicks it
  h.clock.advance(2000);
  EXPECT_TRUE(h.shell.boxes.empty() && h.remover.jobs.empty());

  h.row(1).button.click();
  h.clock.advance(10);
  EXPECT_EQ(h.shell.boxes.back().text, "删除完成");
  EXPECT_EQ(h.form.status.text(), x + "cache\\已清空..（已释放 1,53 K）");
  EXPECT_EQ(h.form.busyOverlay.soFar.text(), "已删除 1 个文件，已释放 1,53 K");
  EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps) << "all the row held";
  EXPECT_EQ(h.row(1).size.text(), "×0 K") << "measured again";
  h.row(8).button.click();
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::Answer::Cancel; };
  h.receivedFiles.clearAllButton.click();  // declined: the dialog asks again, not busy
  h.shell.answer = nullptr;
  h.receivedFiles.clearAllButton.click();
  h.clock.advance(10);
  EXPECT_EQ(h.form.status.text(), x + "msg\\file\\已清空..（已释放 900）");

  // A month pass goes oldest first, a month a second across the chats, the next at once when one
  // is gone early.
  h.form.grid.monthsToKeep.click();  // typed over: a third digit is refused, a letter too
  for (char32_t c : std::u32string(U"0x15")) h.form.grid.monthsToKeep.typeChar(c);
  h.row(6).button.click();
  h.clock.advance(10);
  EXPECT_EQ(h.shell.boxes.back().text,
            "确认删除 " + x +
                "msg\\attach\\*\\*\\Img\\ 下所有文件吗？确认后将直接删除（3 个聊天）" +
                "\r\n每个月只删除其中的 Img 图片文件夹，转发的聊天记录（Rec）等其他内容保留" +
                "\r\n删除 2023-01 至 2023-02 的 2 个月，约 60；保留最新 1 个月");
  const std::size_t before = h.remover.jobs.size();
  h.remover.hold = true;
  h.clock.advance(1000);
  EXPECT_EQ(h.form.status.text(), "正在删除 2023-01 的 3 个文件夹");
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.form.status.text(), "正在删除 2023-02 的 3 个文件夹");
  EXPECT_EQ(h.remover.jobs.size() - before, 9u) << "three Img folders, their months if empty, ...";
  h.remover.hold = false;
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.form.status.text(), "已释放 60");
  // One folder a second where a row has no chats; the bar moves by folders.
  h.addMonths(s + "Video", 3);
  h.fs.addFile(s + "Video\\2022-01\\big.dat", 700);
  h.form.accountPanel.accounts.setListIndex(0);
  h.clock.advance(5000);
  h.row(7).button.click();
  h.clock.advance(1000);
  EXPECT_EQ(h.form.status.text(), s + "video\\2022-01");
  EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps / 2);
}

}  // namespace
