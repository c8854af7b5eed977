// The account's size and the staged scan of its rows: the figures and their colours, the pace of
// the stages, and figures of an account no longer shown dropped.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

struct Scan : ::testing::Test {
  support::Harness h;
  const std::string fs = h.account("acct") + "\\FileStorage";
  void SetUp() override { h.addAccount("acct"); }
};

TEST_F(Scan, RowsShowSizesCountsAndMissingFolders) {
  h.addMonths(fs + "\\Cache", 3, 1000);
  h.fs.addFile(fs + "\\Fav\\a", 512);
  h.addMonths(fs + "\\Image", 12, 2000000);  // on disk "Image", in the table "image"
  h.addMonths(fs + "\\Image\\Thumb", 2, 1000000);
  h.addMonths(fs + "\\Video", 1, 3000000000);
  h.shell.decimal = ",";  // as the user's regional settings write it
  h.startAndSettle();
  EXPECT_EQ(h.figures(1), "×3,00 K 3个");
  EXPECT_EQ(h.figures(3), "×512 0个");
  EXPECT_EQ(h.figures(6), "×26,00 M 12个");  // Thumb's bytes count, Thumb's folder does not
  EXPECT_EQ(h.figures(7), "×3,00 G 1个");
  const ui::Color green = ui::Color::rgb(27, 96, 3);
  EXPECT_EQ(h.row(1).size.foreColor(), green);
  EXPECT_EQ(h.row(3).size.foreColor(), green) << "plain sizes keep the colour";
  EXPECT_EQ(h.row(7).size.foreColor(), ui::Color::rgb(246, 6, 0));
}

TEST_F(Scan, StagesFillOneAfterAnotherAndFiguresOfAnAccountNoLongerShownAreDropped) {
  h.addAccount("other");
  h.fs.addFile(h.account("other") + "\\FileStorage\\General\\g", 700);
  h.fs.addFile(fs + "\\General\\g", 100);
  h.registry.values[support::kShellFolders] = support::kDocs;
  h.form.load();
  h.clock.advance(200 + 500);  // discovery, then validation starts the scan
  EXPECT_EQ(h.form.status.text(), "正在计算空间占用情况，请稍等...");
  h.clock.advance(200);
  EXPECT_EQ(h.figures(1) + "|" + h.figures(2), "×0 K 0个| ");
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

TEST_F(Scan, AnAccountChosenWhileTheLastOneIsMeasuredIsTheOneShown) {
  h.addAccount("b");
  h.fs.addFile(h.account("acct") + "\\x", 1500);
  h.fs.addFile(h.account("b") + "\\x", 2500000);
  h.startAndSettle(200);  // discovered
  h.measurer.hold = true;
  h.clock.advance(500);  // acct's size is being measured
  h.form.accountPanel.accounts.setListIndex(1);
  h.clock.advance(500);
  h.measurer.release(1);
  h.clock.advance(0);
  EXPECT_EQ(h.form.accountPanel.size.text(), "") << "acct is no longer the account";
  EXPECT_EQ(h.form.status.text(), "发现微信文件夹，请选择对应账号进行处理") << "and is not scanned";
  h.measurer.hold = false;
  h.measurer.release();
  h.clock.advance(0);
  EXPECT_EQ(h.form.accountPanel.size.text(), "2.50 M");
}

TEST_F(Scan, ARestartLeavesPendingStagesRunning) {
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
