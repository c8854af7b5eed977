#include "wechat/running_check.h"

namespace wechat {

RunningAnswer checkWeChatClosed(platform::Shell& shell, platform::Environment& env,
                                const std::string& title, platform::WindowHandle owner) {
  while (env.processRunning({"WeChat.exe", "Weixin.exe"})) {
    const platform::Answer answer =
        shell.messageBox(kWeChatRunningText, title, platform::Buttons::CancelTryContinue,
                         platform::Icon::Warning, owner);
    if (answer == platform::Answer::Continue) return RunningAnswer::Proceed;
    if (answer != platform::Answer::TryAgain) return RunningAnswer::Cancel;
  }
  return RunningAnswer::Proceed;
}

}  // namespace wechat
