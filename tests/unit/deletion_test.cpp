// What the consent oracle cannot state of how a deletion ends: the old-version cleaner's order,
// pauses and closing words, and what stayed, told as the user counts it, with the reason that holds
// and advice only where trying again can help.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "clean/report_text.h"
#include "support/harness.h"

namespace {

using enum clean::RemovalReason;

TEST(Deletion, OldVersionFoldersInOrderWithTheirPausesAndAStopIsSaid) {
  support::Harness h;
  const std::string a = h.account("acct");
  h.addAccount("acct");
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
  EXPECT_THAT(h.form.status.text(), testing::StartsWith("老版微信垃圾清理已中止（已释放 3）"));
  h.remover.hold = false;
  h.form.legacyBanner.cleanButton.click();  // Attachment and Data are left
  h.clock.advance(3010);                    // both are out: a close now stops nothing
  dlg.onUnload();
  EXPECT_THAT(h.form.status.text(), testing::StartsWith("老版微信垃圾已清理"));
}

TEST(ReportText, SaysWhatStayedWhyAndWhetherTryingAgainHelps) {
  const struct {
    clean::RemovalReport report;
    std::string notice, stayed;
  } cases[] = {
      {{.target = "D:\\a", .remaining = 3, .remainingFiles = 1, .firstReason = InUse},
       "有 1 个文件没能删除，它们正被其他程序占用。\r\n请完全退出微信后再试一次。",
       "有 1 个文件夹没能完全删除：它们正被其他程序占用，请退出微信后再试"},
      {{.target = "D:\\a", .remaining = 1, .firstReason = LinkKept},
       "有 1 个文件夹没能删除，它们是指向别处的链接，为安全起见保留了。",
       "有 1 个文件夹没能完全删除：它们是指向别处的链接，为安全起见保留了"},
      {{.target = "D:\\a", .remaining = 2, .firstReason = AccessDenied},
       "有 2 个文件夹没能删除，没有删除它们的权限。",
       "有 1 个文件夹没能完全删除：没有删除它们的权限"},
      {{.target = "D:\\a", .refused = true},
       "为安全起见，没有删除这个文件夹：\r\nD:\\a",
       "有 1 个文件夹没能完全删除：为安全起见没有删除它们"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(clean::leftBehindNotice(c.report), c.notice);
    EXPECT_EQ(clean::stayedText({.itemsLeft = 1, .firstLeft = c.report}), c.stayed);
  }
}

}  // namespace
