// The machine of late 2026 on the real Velmora.exe: a WeChat 3.9 account left in Documents and a
// WeChat 4.x account moved to C:\微信数据, which WeChat's GBK setting names. Both are listed at
// start-up, the 4.x grid adds up to the files created, keeping six months of the 4.x images keeps
// the six newest across all chats, and the chat databases stay. A program named Weixin.exe stands
// in for a running WeChat.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;
using platform::win32::widen;
using ports_test::exists;

std::string appData() {
  wchar_t buf[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", buf, MAX_PATH);
  return platform::win32::narrow(std::wstring_view(buf, n));
}

// Weixin.exe, a copy of a program that only waits, for as long as the object lives.
class RunningWeixin {
 public:
  explicit RunningWeixin(const std::string& folder) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring idle = self;
    idle = idle.substr(0, idle.find_last_of(L'\\') + 1) + L"velmora_idle_process.exe";
    const std::wstring copy = widen(folder) + L"\\Weixin.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CopyFileW(idle.c_str(), copy.c_str(), TRUE) &&
        CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      process_.reset(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
  ~RunningWeixin() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 10000);
  }
  bool running() const { return static_cast<bool>(process_); }

 private:
  platform::win32::unique_handle process_;
};

TEST(E2EToday, BothAccountsListedTheNewGridAddsUpAndKeepingSixMonthsSpansTheChats) {
  ports_test::TempFolder docs;
  const std::string old = docs.path() + "\\WeChat Files\\wxid_old39";
  ASSERT_TRUE(e2e::makeTree(old, {"Msg\\MicroMsg.db"}, 50000));

  ports_test::TempFolder moved("C:\\微信数据");
  ASSERT_FALSE(moved.path().empty()) << "C:\\微信数据 was there before the test";
  const std::string acct = moved.path() + "\\xwechat_files\\wxid_k7v4e2e9q2p22_5c1e";
  ASSERT_TRUE(e2e::makeTree(acct, {"db_storage\\message\\message_0.db"}, 90000));
  ASSERT_TRUE(e2e::makeTree(moved.path() + "\\xwechat_files", {"all_users\\config\\global.dat"}));
  // Months 2023-01 … 2023-10 over three chats, 100 bytes each; the six newest are 05 … 10.
  std::vector<std::string> months;
  for (int m = 1; m <= 10; ++m) {
    const std::string chat = std::string("msg\\attach\\chat") + char('a' + m % 3) + "\\";
    months.push_back(chat + (m < 10 ? "2023-0" : "2023-") + std::to_string(m));
    ASSERT_TRUE(e2e::makeTree(acct, {months.back() + "\\Img\\x.dat"}, 100));
  }
  ASSERT_TRUE(e2e::makeTree(acct, {"msg\\video\\2023-04\\v.mp4"}, 5000));

  const std::string config = appData() + "\\Tencent\\xwechat\\config";
  ASSERT_TRUE(e2e::makeTree(config, {"e2e\\"}));
  ports_test::writeFile(config + "\\e2e-today.ini", "C:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD");  // GBK
  auto dropSetting =
      platform::win32::scope_exit([&] { DeleteFileW(widen(config + "\\e2e-today.ini").c_str()); });

  e2e::DocumentsFolder redirect(docs.path());
  App app;
  HWND main = app.mainWindow();
  ASSERT_NE(main, nullptr);
  HWND combo = app.control("Combo1");
  HWND status = app.control("Labeltip");
  ASSERT_TRUE(waitFor([&] { return textOf(status) == "计算结束"; }, 30s));
  EXPECT_EQ(e2e::comboItems(combo),
            (std::vector<std::string>{"wxid_old39", "wxid_k7v4e2e9q2p22_5c1e（新版微信）"}));

  e2e::chooseComboItem(combo, 1);
  ASSERT_TRUE(waitFor([&] { return textOf(status) == "正在计算空间占用情况，请稍等..."; }, 30s));
  ASSERT_TRUE(waitFor([&] { return textOf(status) == "计算结束"; }, 30s));
  EXPECT_EQ(textOf(app.control("Labellujin")), acct);
  EXPECT_EQ(textOf(app.control("lj6")), "×1.00 K");
  EXPECT_EQ(textOf(app.control("Lab6")), "10个");
  EXPECT_EQ(textOf(app.control("lj7")), "×5.00 K");

  RunningWeixin weixin(docs.path());
  ASSERT_TRUE(weixin.running());
  e2e::click(app.control("C6"));
  HWND running = app.waitForMessageBox(
      10s,
      "检测到微信正在运行，正在使用的文件删不掉。请先完全退出微信（不是关闭聊天窗口）再清理。");
  ASSERT_NE(running, nullptr);
  App::answer(running, IDCONTINUE);
  HWND confirm = app.waitForMessageBox(
      10s, "确认删除 " + acct +
               "\\msg\\attach\\*\\*\\Img\\ 下所有文件吗？确认后将直接删除（3 个聊天）\r\n" +
               "每个月只删除其中的 Img 图片文件夹，转发的聊天记录（Rec）等其他内容保留\r\n" +
               "删除 2023-01 至 2023-04 的 4 个月，约 400；保留最新 6 个月");
  ASSERT_NE(confirm, nullptr);
  App::answer(confirm, IDOK);
  ASSERT_TRUE(waitFor([&] { return textOf(status).rfind("已释放", 0) == 0; }, 30s));
  for (std::size_t i = 0; i < months.size(); ++i)
    EXPECT_EQ(exists(acct + "\\" + months[i]), i >= 4) << months[i];
  EXPECT_EQ(textOf(status), "已释放 400");
  EXPECT_TRUE(exists(acct + "\\db_storage\\message\\message_0.db"));
  EXPECT_TRUE(exists(old + "\\Msg\\MicroMsg.db"));
  EXPECT_TRUE(exists(moved.path() + "\\xwechat_files\\all_users\\config\\global.dat"));
}

}  // namespace
