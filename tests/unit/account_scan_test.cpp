#include <gtest/gtest.h>

#include "fakes/harness.h"

using fakes::Harness;

namespace {

TEST(Validation, LayoutDecidesFramesAndHeightAndTheAccountSizeIsShown) {
  struct Case {
    bool msg, image;
    bool grid, banner;
    int height;
    std::uint64_t bytes;
    const char* text;
    ui::Color colour;
  } cases[] = {
      {true, false, true, false, 8000, 999, "999", ui::Color::rgb(192, 0, 0)},
      {true, true, true, true, 9100, 1500, "1.50 K", ui::Color::rgb(0, 102, 0)},
      {false, true, false, true, 9100, 25000000000, "25.00 G", ui::Color::rgb(204, 0, 51)}};
  for (const auto& c : cases) {
    Harness h;
    std::string a = h.account("acct");
    h.fs.addDir(a);
    if (c.msg) h.fs.addDir(a + "\\Msg");
    if (c.image) h.fs.addDir(a + "\\Image");
    h.fs.addFile(a + "\\x.dat", c.bytes);
    h.startAndSettle();
    EXPECT_EQ(h.form.Frame3.visible(), c.grid);
    EXPECT_EQ(h.form.Frame4.visible(), c.banner);
    EXPECT_EQ(h.form.height(), c.height);
    EXPECT_EQ(h.form.Labellujin.text(), a);
    EXPECT_EQ(h.form.ttt, std::to_string(c.bytes));
    EXPECT_EQ(h.form.labelsize.text(), c.text);
    // Below 1000 bytes the start-up colour stays.
    EXPECT_EQ(h.form.labelsize.foreColor(), c.colour) << c.bytes;
    EXPECT_EQ(h.form.Labeltip.text(), "计算结束");  // scanned in every layout
  }
}

TEST(Validation, LongAccountNameShowsHelpUntilItsOwnClick) {
  Harness h;
  h.addAccount("abcdefghijklmnopqr");                    // 18
  h.addAccount("abcdefghijklmnopqrs");                   // 19
  h.addAccount("微信号微信号微信号微信号微信号微信号");  // 18 characters, 54 bytes
  h.startAndSettle();
  auto choose = [&](const char* name) {
    h.form.Combo1.userSetText(name);
    h.form.Combo1.userCommit();
  };
  choose("abcdefghijklmnopqr");
  choose("微信号微信号微信号微信号微信号微信号");
  EXPECT_FALSE(h.form.Commandyiwen.visible());
  choose("abcdefghijklmnopqrs");
  EXPECT_TRUE(h.form.Commandyiwen.visible());
  choose("abcdefghijklmnopqr");
  EXPECT_TRUE(h.form.Commandyiwen.visible());
  h.form.Commandyiwen.click();
  EXPECT_FALSE(h.form.Commandyiwen.visible());
  ASSERT_FALSE(h.shell.boxes.empty());
  EXPECT_EQ(h.shell.boxes.back().text,
            "如果你没有给自己的微信设定微信号（并非微信名）\r\n\r\n"
            "  那么在这里可能看到的将是奇怪的一大串以wxid开头的乱码ID\r\n\r\n"
            "    这种情况只能自己慢慢找了");
}

TEST(Validation, VanishedFolderKeepsWaitingThenMeasures) {
  Harness h;
  h.addAccount("acct");
  h.registry.values[fakes::kShellFolders] = fakes::kDocs;
  h.form.load();
  h.clock.advance(200);  // discovery chose the account
  h.fs.remove(h.account("acct"));
  h.clock.advance(2000);
  EXPECT_TRUE(h.form.Timer1.enabled());
  EXPECT_EQ(h.form.labelsize.text(), " 0.00");
  h.addAccount("acct");
  h.clock.advance(500);
  EXPECT_FALSE(h.form.Timer1.enabled());
  EXPECT_EQ(h.form.labelsize.text(), "0");
}

// The account every deletion works in is the one the window shows: typed text becomes it only when
// the user is done typing, and only when it names one existing account folder.
TEST(Validation, TypedNamesBecomeTheAccountOnlyWhenCommitted) {
  Harness h;
  h.addAccount("a", true);
  h.addAccount("b");
  h.startAndSettle();
  h.form.Combo1.setListIndex(1);
  h.form.Combo1.userSetText("a");  // typed before the validation tick
  h.clock.advance(500);
  EXPECT_EQ(h.form.Labellujin.text(), h.account("b"));
  EXPECT_EQ(h.form.Tweixinlujin, h.form.lujin);
  h.form.Combo1.userCommit();  // Enter, or the focus leaves the box
  h.clock.advance(500);
  EXPECT_EQ(h.form.lujin, h.account("a"));
  EXPECT_EQ(h.form.Labellujin.text(), h.account("a"));
  ASSERT_TRUE(h.form.Frame4.visible());

  for (const char* name : {"..", ".", "..\\..\\..\\..", "a\\Msg", "a/Msg", "C:", "", "gone"}) {
    h.form.Combo1.setListIndex(0);
    h.clock.advance(500);
    h.form.Combo1.userSetText(name);
    h.form.Combo1.userCommit();
    h.clock.advance(500);
    EXPECT_EQ(h.form.lujin, "") << name;
    EXPECT_EQ(h.form.Labellujin.text(), "") << name;
    EXPECT_FALSE(h.form.Timer1.enabled() || h.form.Frame3.visible() || h.form.Frame4.visible())
        << name;
  }
}

struct ScanFixture : ::testing::Test {
  Harness h;
  std::string fsRoot() { return h.account("acct") + "\\FileStorage"; }
  void SetUp() override { h.addAccount("acct"); }
};

TEST_F(ScanFixture, RowsShowSizesCountsAndMissingFolders) {
  h.addMonths(fsRoot() + "\\Cache", 3, 1000);
  h.fs.addFile(fsRoot() + "\\Fav\\a", 512);
  h.addMonths(fsRoot() + "\\Image", 12, 2000000);  // on disk "Image", in the table "image"
  h.addMonths(fsRoot() + "\\Image\\Thumb", 2, 1000000);
  h.addMonths(fsRoot() + "\\Video", 1, 3000000000);
  h.shell.decimal = ",";  // as the user's regional settings write it
  h.startAndSettle();
  EXPECT_EQ(h.form.lj1.text(), "×3,00 K");
  EXPECT_EQ(h.form.Lab1.text(), "3个");
  EXPECT_EQ(h.form.lj1.foreColor(), ui::Color::rgb(27, 96, 3));
  EXPECT_EQ(h.form.lj2.text(), "×0 K");
  EXPECT_EQ(h.form.Lab2.text(), "0个");
  EXPECT_EQ(h.form.lj3.text(), "×512");
  EXPECT_EQ(h.form.lj3.foreColor(), ui::Color::rgb(27, 96, 3)) << "plain sizes keep the colour";
  EXPECT_EQ(h.form.Lab3.text(), "0个");
  EXPECT_EQ(h.form.lj6.text(), "×26,00 M");  // Thumb's bytes count, Thumb's folder does not
  EXPECT_EQ(h.form.Lab6.text(), "12个");
  EXPECT_EQ(h.form.lj7.text(), "×3,00 G");
  EXPECT_EQ(h.form.lj7.foreColor(), ui::Color::rgb(246, 6, 0));
  EXPECT_EQ(h.form.Labeltip.text(), "计算结束");
}

TEST_F(ScanFixture, ImageCountTakesOffThumbOnlyWhenThere) {
  h.addMonths(fsRoot() + "\\Image", 2);
  h.startAndSettle();
  EXPECT_EQ(h.form.Lab6.text(), "2个");
  h.fs.addDir(fsRoot() + "\\Image\\Thumb");
  h.form.Commandjisuan.click();
  h.clock.advance(10000);
  EXPECT_EQ(h.form.Lab6.text(), "2个");
}

TEST_F(ScanFixture, StagesFillOneAfterAnotherAndEachReadsTheAccountAtItsTick) {
  h.addAccount("other");
  h.fs.addFile(h.account("other") + "\\FileStorage\\General\\g", 700);
  h.fs.addFile(fsRoot() + "\\General\\g", 100);
  h.registry.values[fakes::kShellFolders] = fakes::kDocs;
  h.form.load();
  h.clock.advance(200 + 500);  // discovery, then validation starts the scan
  EXPECT_EQ(h.form.Labeltip.text(), "正在计算空间占用情况，请稍等...");
  h.clock.advance(200);
  EXPECT_EQ(h.form.Lab1.text(), "0个");
  EXPECT_EQ(h.form.lj2.text(), "");
  // Choosing another account mid-scan: pending stages measure it, then the restart clears all.
  h.form.lujin = h.account("other");
  h.clock.advance(200 + 500 + 500);
  EXPECT_EQ(h.form.lj4.text(), "×700");
  h.form.Combo1.setListIndex(1);
  h.clock.advance(10000);
  EXPECT_EQ(h.form.lj4.text(), "×700");
  EXPECT_EQ(h.form.lj1.text(), "×0 K");
}

TEST_F(ScanFixture, BeforeAnyAccountEveryRowIsEmptyAndARestartLeavesPendingStagesRunning) {
  Harness fresh;
  fresh.form.load();
  fresh.form.Commandjisuan.click();
  fresh.clock.advance(1500);  // stages 1 to 4 done, stage 5 due at 1900
  fresh.form.Commandjisuan.click();
  fresh.clock.advance(400);
  EXPECT_EQ(fresh.form.lj5.text(), "×0 K") << "the first scan's pending stage still runs";
  EXPECT_EQ(fresh.form.lj3.text(), "");
  fresh.clock.advance(3050);  // the restarted scan ends at 4900, before the tip clearer's tick
  for (int k = 1; k <= 8; ++k) {
    EXPECT_EQ(fresh.form.row(k).size->text(), "×0 K");
    EXPECT_EQ(fresh.form.row(k).count->text(), "0个");
  }
  EXPECT_EQ(fresh.form.Labeltip.text(), "计算结束");
}

TEST(TipClearer, ClearsUntilItMeetsTheCalculatingTip) {
  Harness h;
  h.form.load();
  h.form.C1.mouseMove();
  EXPECT_EQ(h.form.Labeltip.text(), "凌乱的缓存文件，放心清理");
  h.clock.advance(5000);
  EXPECT_EQ(h.form.Labeltip.text(), "");
  h.clock.advance(4000);
  h.form.Commandjisuan.click();
  h.clock.advance(1000);  // the scan is still running at the clearer's next tick
  EXPECT_FALSE(h.form.Timer3.enabled());
  h.clock.advance(20000);
  EXPECT_EQ(h.form.Labeltip.text(), "计算结束");
}

}  // namespace
