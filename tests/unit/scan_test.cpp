// The staged scan of the rows: their figures and colours, and a scan started again while one runs.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

TEST(Scan, RowsShowSizesCountsAndColoursAndARestartLeavesPendingStagesRunning) {
  support::Harness h;
  const std::string fs = h.account("acct") + "\\FileStorage";
  h.addAccount("acct");
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
