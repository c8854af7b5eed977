// Before a deletion: WeChat holds its files open while it runs, and those cannot be deleted.
#pragma once

#include <string>

#include "platform/environment.h"
#include "platform/shell.h"

namespace wechat {

inline constexpr const char* kWeChatRunningText =
    "检测到微信正在运行，正在使用的文件删不掉。请先完全退出微信（不是关闭聊天窗口）再清理。";

enum class RunningAnswer { Proceed, Cancel };

// Proceeds at once when neither WeChat.exe (3.x) nor Weixin.exe (4.x) runs for this user.
// Otherwise asks with retry / continue / cancel: retry looks again (and asks again while WeChat
// still runs), continue proceeds anyway, anything else cancels — including a box that closed
// without a button being pressed.
RunningAnswer checkWeChatClosed(platform::Shell& shell, platform::Environment& env,
                                const std::string& title, platform::WindowHandle owner = 0);

}  // namespace wechat
