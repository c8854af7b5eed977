// What stayed is told as the user counts it, with the reason that holds and advice only where
// trying again can help.
#include <gtest/gtest.h>

#include "clean/report_text.h"

namespace {

using enum clean::RemovalReason;
using clean::RemovalReport;

TEST(ReportText, SaysWhatStayedWhyAndWhetherTryingAgainHelps) {
  const struct {
    RemovalReport report;
    std::string notice, stayed;
  } cases[] = {
      {{.target = "D:\\a", .remaining = 3, .remainingFiles = 1, .firstReason = InUse},
       "有 1 个文件没能删除，它们正被其他程序占用。\r\n请完全退出微信后再试一次。",
       "有 1 个文件夹没能完全删除：它们正被其他程序占用，请退出微信后再试"},
      {{.target = "D:\\a", .remaining = 1, .firstReason = LinkKept},
       "有 1 个文件夹没能删除，它们是指向别处的链接，为安全起见保留了。",
       "有 1 个文件夹没能完全删除：它们是指向别处的链接，为安全起见保留了"},
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
