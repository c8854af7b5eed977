#include <gtest/gtest.h>

#include "support/harness.h"

using support::Harness;

namespace {

// The account every deletion works in is the one the window shows: typed text becomes it only when
// the user is done typing, and only when it names one existing account folder.
TEST(Validation, TypedNamesBecomeTheAccountOnlyWhenCommitted) {
  Harness h;
  h.addAccount("a", true);
  h.addAccount("b");
  h.startAndSettle();
  h.form.accountPanel.accounts.setListIndex(1);
  h.form.accountPanel.accounts.userSetText("a");  // typed before the validation tick
  h.clock.advance(500);
  EXPECT_EQ(h.form.accountPanel.path.text(), h.account("b"));
  EXPECT_EQ(h.form.accountPanel.path.text(), h.form.accountPath());
  h.form.accountPanel.accounts.userCommit();  // Enter, or the focus leaves the box
  h.clock.advance(500);
  EXPECT_EQ(h.form.accountPath(), h.account("a"));
  EXPECT_EQ(h.form.accountPanel.path.text(), h.account("a"));
  ASSERT_TRUE(h.form.legacyBanner.frame.visible());

  for (const char* name : {"..", ".", "..\\..\\..\\..", "a\\Msg", "a/Msg", "C:", "", "gone"}) {
    h.form.accountPanel.accounts.setListIndex(0);
    h.clock.advance(500);
    h.form.accountPanel.accounts.userSetText(name);
    h.form.accountPanel.accounts.userCommit();
    h.clock.advance(500);
    EXPECT_EQ(h.form.accountPath(), "") << name;
    EXPECT_EQ(h.form.accountPanel.path.text(), "") << name;
    EXPECT_FALSE(h.form.validationTimer.enabled() || h.form.grid.frame.visible() ||
                 h.form.legacyBanner.frame.visible())
        << name;
  }
}

TEST(Validation, AnAccountChosenWhileTheLastOneIsMeasuredIsTheOneShown) {
  Harness h;
  h.addAccount("a");
  h.addAccount("b");
  h.fs.addFile(h.account("a") + "\\x", 1500);
  h.fs.addFile(h.account("b") + "\\x", 2500000);
  h.startAndSettle(200);  // discovered
  h.measurer.hold = true;
  h.clock.advance(500);  // a's size is being measured
  h.form.accountPanel.accounts.setListIndex(1);
  h.clock.advance(500);
  h.measurer.release(1);
  h.clock.advance(0);
  EXPECT_EQ(h.form.accountPanel.size.text(), "") << "a is no longer the account";
  EXPECT_EQ(h.form.status.text(), "发现微信文件夹，请选择对应账号进行处理") << "and is not scanned";
  h.measurer.hold = false;
  h.measurer.release();
  h.clock.advance(0);
  EXPECT_EQ(h.form.accountPanel.size.text(), "2.50 M");
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
  EXPECT_EQ(h.row(1).size.text(), "×3,00 K");
  EXPECT_EQ(h.row(1).count.text(), "3个");
  EXPECT_EQ(h.row(1).size.foreColor(), ui::Color::rgb(27, 96, 3));
  EXPECT_EQ(h.row(3).size.text(), "×512");
  EXPECT_EQ(h.row(3).size.foreColor(), ui::Color::rgb(27, 96, 3)) << "plain sizes keep the colour";
  EXPECT_EQ(h.row(6).size.text(), "×26,00 M");  // Thumb's bytes count, Thumb's folder does not
  EXPECT_EQ(h.row(6).count.text(), "12个");
  EXPECT_EQ(h.row(7).size.text(), "×3,00 G");
  EXPECT_EQ(h.row(7).size.foreColor(), ui::Color::rgb(246, 6, 0));
}

TEST_F(ScanFixture, StagesFillOneAfterAnotherAndFiguresOfAnAccountNoLongerShownAreDropped) {
  h.addAccount("other");
  h.fs.addFile(h.account("other") + "\\FileStorage\\General\\g", 700);
  h.fs.addFile(fsRoot() + "\\General\\g", 100);
  h.registry.values[support::kShellFolders] = support::kDocs;
  h.form.load();
  h.clock.advance(200 + 500);  // discovery, then validation starts the scan
  EXPECT_EQ(h.form.status.text(), "正在计算空间占用情况，请稍等...");
  h.clock.advance(200);
  EXPECT_EQ(h.row(1).count.text(), "0个");
  EXPECT_EQ(h.row(2).size.text(), "");
  // The second row's figures are still being measured when another account is chosen.
  h.measurer.hold = true;
  h.clock.advance(200);
  h.form.accountPanel.accounts.setListIndex(1);
  h.measurer.hold = false;
  h.measurer.release();
  h.clock.advance(0);
  EXPECT_EQ(h.row(2).size.text(), "") << "the earlier account's figures are dropped";
  h.clock.advance(10000);
  EXPECT_EQ(h.row(4).size.text(), "×700");
  EXPECT_EQ(h.row(1).size.text(), "×0 K");
}

TEST_F(ScanFixture, ARestartLeavesPendingStagesRunning) {
  h.startAndSettle();
  h.form.grid.scanButton.click();
  h.clock.advance(1500);  // stages 1 to 4 done, stage 5 due at 1900
  h.form.grid.scanButton.click();
  h.clock.advance(400);
  EXPECT_EQ(h.row(5).size.text(), "×0 K") << "the first scan's pending stage still runs";
  EXPECT_EQ(h.row(3).size.text(), "");
  h.clock.advance(3050);  // the restarted scan has ended
  EXPECT_EQ(h.row(8).size.text(), "×0 K");
  EXPECT_EQ(h.form.status.text(), "计算结束");
}

}  // namespace
