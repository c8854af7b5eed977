#include "wechat/running_check.h"

#include <gtest/gtest.h>

#include "fakes/fake_environment.h"
#include "fakes/fake_platform.h"

namespace {

using wechat::RunningAnswer;

TEST(RunningCheck, AsksWhileWeChatRunsAndOnlyAPressedButtonProceeds) {
  struct Case {
    const char* name;
    const char* running;       // executable name, empty: none
    std::vector<int> answers;  // one per box
    int quitsAfterBox;         // the user quits WeChat after this box (0: never)
    RunningAnswer expected;
  };
  const Case cases[] = {
      {"NotRunning", "", {}, 0, RunningAnswer::Proceed},
      {"ContinueAnyway", "weixin.EXE", {platform::kIdContinue}, 0, RunningAnswer::Proceed},
      {"Cancel", "WeChat.exe", {platform::kIdCancel}, 0, RunningAnswer::Cancel},
      {"BoxClosedByQuit", "WeChat.exe", {platform::kIdOk}, 0, RunningAnswer::Cancel},
      {"RetryStillRunning",
       "Weixin.exe",
       {platform::kIdTryAgain, platform::kIdCancel},
       0,
       RunningAnswer::Cancel},
      {"RetryAfterQuitting", "Weixin.exe", {platform::kIdTryAgain}, 1, RunningAnswer::Proceed},
  };
  for (const auto& c : cases) {
    fakes::FakeShell shell;
    fakes::FakeEnvironment env;
    if (*c.running) env.running.insert(fakes::FakeEnvironment::upper(c.running));
    shell.answer = [&](const fakes::MessageBoxCall&) {
      const std::size_t n = shell.boxes.size();
      if (static_cast<int>(n) == c.quitsAfterBox) env.running.clear();
      return n <= c.answers.size() ? c.answers[n - 1] : platform::kIdCancel;
    };
    EXPECT_EQ(wechat::checkWeChatClosed(shell, env, "标题"), c.expected) << c.name;
    ASSERT_EQ(shell.boxes.size(), c.answers.size()) << c.name;
    for (const auto& box : shell.boxes) {
      EXPECT_EQ(
          box.text,
          "检测到微信正在运行，正在使用的文件删不掉。请先完全退出微信（不是关闭聊天窗口）再清理。");
      EXPECT_EQ(box.title, "标题");
      EXPECT_EQ(box.style, 0x36u) << "retry / continue / cancel with a warning sign";
    }
  }
}

}  // namespace
