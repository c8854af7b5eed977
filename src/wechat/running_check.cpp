#include "wechat/running_check.h"

namespace wechat {

RunningAnswer checkWeChatClosed(platform::Shell& shell, platform::Environment& env,
                                const std::string& title) {
  while (env.processRunning({"WeChat.exe", "Weixin.exe"})) {
    const int answer = shell.messageBox(kWeChatRunningText, title,
                                        platform::kMbCancelTryContinue | platform::kMbIconWarning);
    if (answer == platform::kIdContinue) return RunningAnswer::Proceed;
    if (answer != platform::kIdTryAgain) return RunningAnswer::Cancel;
  }
  return RunningAnswer::Proceed;
}

}  // namespace wechat
