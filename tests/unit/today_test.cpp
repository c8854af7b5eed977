// The window on the data people have today: a WeChat 3.9 account whose chat images, thumbnails
// and received files sit in per-chat folders, and a WeChat 4.x account in a folder moved in
// WeChat's settings.
#include <gtest/gtest.h>

#include "support/harness.h"
#include "wechat/running_check.h"

namespace {

struct Today : ::testing::Test {
  support::Harness h;
  const std::string moved = "D:\\微信数据\\xwechat_files\\wxid_new_1a2b";
  std::string classic() { return h.account("wxid_old"); }
  void file(const std::string& path, std::uint64_t bytes) { h.fs.addFile(path, bytes); }
  void SetUp() override {
    const std::string config = "C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat\\config\\00ff.ini";
    h.env.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
    h.fs.addFile(config, 12);
    h.env.addFile(config, "D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD");  // "D:\微信数据" in GBK
    // WeChat 3.9: the classic rows, plus the chats' images, thumbnails and files.
    const std::string fs3 = classic() + "\\FileStorage";
    file(classic() + "\\Msg\\MicroMsg.db", 5000);
    file(fs3 + "\\Image\\2023-01\\a", 100);
    file(fs3 + "\\Image\\Thumb\\2023-01\\t", 10);
    for (const char* m : {"2023-03", "2022-11"}) {
      file(fs3 + "\\MsgAttach\\aaaa\\Image\\" + m + "\\i", 1000);
      file(fs3 + "\\MsgAttach\\aaaa\\Thumb\\" + m + "\\t", 20);
    }
    file(fs3 + "\\MsgAttach\\bbbb\\Image\\2023-02\\i", 1000);
    file(fs3 + "\\MsgAttach\\bbbb\\File\\2023-02\\doc.pdf", 300);
    file(fs3 + "\\File\\2023-02\\report.xlsx", 400);
    // WeChat 4.x, moved to D:\微信数据.
    file(moved + "\\db_storage\\message\\message_0.db", 70000);
    file(moved + "\\config\\a.dat", 7);
    file(moved + "\\cache\\2023-05\\Message\\c", 200);
    file(moved + "\\temp\\t", 30);
    file(moved + "\\business\\emoticon\\e", 40);
    file(moved + "\\business\\favorite\\temp\\f", 50);
    file(moved + "\\business\\favorite\\data\\keep", 6000);
    for (int i = 0; i < 9; ++i) {  // months 2023-01 … 2023-09, spread over three chats
      const std::string chat = std::string(1, static_cast<char>('a' + i % 3)) + "0";
      file(moved + "\\msg\\attach\\" + chat + "\\2023-0" + std::to_string(i + 1) + "\\Img\\x", 10);
    }
    file(moved + "\\msg\\attach\\a0\\Rec\\r", 3);  // not a month: left alone
    file(moved + "\\msg\\video\\2023-04\\v", 800);
    file(moved + "\\msg\\file\\2023-04\\f", 900);
    h.fs.addDir("D:\\微信数据\\xwechat_files\\all_users\\config");
    h.startAndSettle();
  }
  void choose(int index) {
    h.form.accountPanel.accounts.setListIndex(index);
    h.clock.advance(5000);
  }
};

TEST_F(Today, ListsBothAccountsAndScansEachWithItsOwnTable) {
  EXPECT_EQ(h.form.accountPanel.accounts.items(),
            (std::vector<std::string>{"wxid_old", "wxid_new_1a2b（新版微信）"}));
  // 3.9: the chats' images and thumbnails count in the image row, their files in the file row.
  EXPECT_EQ(h.figures(6) + " " + h.figures(8), "×3.15 K 4个 ×700 2个");

  choose(1);
  EXPECT_EQ(h.form.accountPanel.path.text(), moved);
  EXPECT_TRUE(h.form.grid.frame.visible());
  // The image row counts the Img folders only: forwarded records are no deletion's.
  const char* figures[] = {"×230 1个", "×40 0个", "×50 0个",  "— —",
                           "— —",      "×90 9个", "×800 1个", "×900 1个"};
  for (int k = 1; k <= 8; ++k) {
    EXPECT_EQ(h.figures(k), figures[k - 1]) << k;
    EXPECT_EQ(h.row(k).button.enabled(), k != 4 && k != 5) << k;
  }
  h.row(1).button.click();  // cache and temp go together
  h.clock.advance(10);
  EXPECT_FALSE(h.fs.exists(moved + "\\cache") || h.fs.exists(moved + "\\temp"));
  EXPECT_EQ(h.shell.boxes.back().text, "删除完成");
  h.shell.boxes.clear();
  const std::size_t before = h.remover.jobs.size();
  h.row(5).button.click();
  h.clock.advance(2000);
  EXPECT_TRUE(h.shell.boxes.empty() && h.remover.jobs.size() == before) << "a dash deletes nothing";
}

TEST_F(Today, WhileWeChatRunsTheUserIsAskedFirst) {
  h.env.running.insert("WEIXIN.EXE");
  // Every box is answered OK, which the box WeChat's running asks with does not offer: no.
  for (int k : {1, 6, 8}) h.row(k).button.click();
  h.clock.advance(5000);
  ASSERT_TRUE(h.receivedFiles.visible()) << "opening the dialog deletes nothing yet";
  h.receivedFiles.clearAllButton.click();
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_TRUE(h.receivedFiles.visible());
  ASSERT_EQ(h.shell.boxes.size(), 3u);
  EXPECT_EQ(h.shell.boxes[0].text, wechat::kWeChatRunningText);
}

}  // namespace
