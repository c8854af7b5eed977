#include "wechat/running_check.h"

#include <gtest/gtest.h>

#include "fakes/fake_environment.h"
#include "fakes/fake_platform.h"

TEST(RunningCheck, AsksWhileWeChatRunsAndOnlyAPressedButtonProceeds) {
  using wechat::RunningAnswer;
  struct Case {
    const char* running;                    // executable name, empty: none
    std::vector<platform::Answer> answers;  // one per box
    bool quitAfterFirstBox;
    RunningAnswer expected;
  };
  const Case cases[] = {
      {"", {}, false, RunningAnswer::Proceed},
      {"weixin.EXE", {platform::Answer::Continue}, false, RunningAnswer::Proceed},
      {"WeChat.exe", {platform::Answer::Cancel}, false, RunningAnswer::Cancel},
      {"WeChat.exe", {platform::Answer::Ok}, false, RunningAnswer::Cancel},  // not offered
      {"Weixin.exe",
       {platform::Answer::TryAgain, platform::Answer::Cancel},
       false,
       RunningAnswer::Cancel},
      {"Weixin.exe", {platform::Answer::TryAgain}, true, RunningAnswer::Proceed},
  };
  for (const auto& c : cases) {
    fakes::FakeShell shell;
    fakes::FakeEnvironment env;
    if (*c.running) env.running.insert(fakes::upper(c.running));
    shell.answer = [&](const fakes::MessageBoxCall&) {
      if (c.quitAfterFirstBox) env.running.clear();
      return shell.boxes.size() <= c.answers.size() ? c.answers[shell.boxes.size() - 1]
                                                    : platform::Answer::Cancel;
    };
    EXPECT_EQ(wechat::checkWeChatClosed(shell, env, "标题"), c.expected) << c.running;
    ASSERT_EQ(shell.boxes.size(), c.answers.size()) << c.running;
    for (const auto& box : shell.boxes) {
      EXPECT_EQ(box.text, wechat::kWeChatRunningText);
      EXPECT_EQ(box.buttons, platform::Buttons::CancelTryContinue);
      EXPECT_EQ(box.icon, platform::Icon::Warning);
    }
  }
}
