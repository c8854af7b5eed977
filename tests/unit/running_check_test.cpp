#include "wechat/running_check.h"

#include <gtest/gtest.h>

#include "fakes/fake_environment.h"
#include "fakes/fake_platform.h"

TEST(RunningCheck, AsksWhileWeChatRunsAndOnlyAPressedButtonProceeds) {
  using platform::Answer;
  using wechat::RunningAnswer;
  // The program seen running ("": none), the answer to each box, whether the user quits WeChat
  // while the first box is open, and what the check decides.
  const struct {
    const char* running;
    std::vector<Answer> answers;
    bool quit;
    RunningAnswer expected;
  } cases[] = {
      {"", {}, false, RunningAnswer::Proceed},
      {"weixin.EXE", {Answer::Continue}, false, RunningAnswer::Proceed},
      {"WeChat.exe", {Answer::Cancel}, false, RunningAnswer::Cancel},
      {"WeChat.exe", {Answer::Ok}, false, RunningAnswer::Cancel},  // not offered
      {"Weixin.exe", {Answer::TryAgain, Answer::Cancel}, false, RunningAnswer::Cancel},
      {"Weixin.exe", {Answer::TryAgain}, true, RunningAnswer::Proceed},
  };
  for (const auto& c : cases) {
    fakes::FakeShell shell;
    fakes::FakeEnvironment env;
    if (*c.running) env.running.insert(fakes::upper(c.running));
    shell.answer = [&](const fakes::MessageBoxCall&) {
      if (c.quit) env.running.clear();
      const std::size_t n = shell.boxes.size();
      return n <= c.answers.size() ? c.answers[n - 1] : Answer::Cancel;
    };
    EXPECT_EQ(wechat::checkWeChatClosed(shell, env, "标题"), c.expected) << c.running;
    ASSERT_EQ(shell.boxes.size(), c.answers.size()) << c.running;
    for (const auto& box : shell.boxes)
      EXPECT_TRUE(box.text == wechat::kWeChatRunningText && box.icon == platform::Icon::Warning &&
                  box.buttons == platform::Buttons::CancelTryContinue);
  }
}
