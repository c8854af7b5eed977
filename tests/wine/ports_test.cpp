// The small Win32 ports and the binding against the real (Wine) system; the registry port is read
// by every end-to-end test. Set-up never goes through the code under test.
#include "support.h"

#include <commctrl.h>

#include <cstdlib>
#include <thread>

#include "platform/win32/environment.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell.h"
#include "platform/win32/ui_thread.h"
#include "ui/win32/form_window.h"

using namespace platform::win32;

// Every name is kept as it is: Win32 would drop a trailing dot or space and reach a sibling.
TEST(Win32Paths, LiteralAndFullPathsKeepEveryName) {
  const std::string surrogates = "微信 \xF0\x9F\x98\x80 é";
  EXPECT_EQ(narrow(widen(surrogates)), surrogates);
  wchar_t cwd[MAX_PATH] = {};
  const std::wstring here(cwd, GetCurrentDirectoryW(MAX_PATH, cwd)), drive = here.substr(0, 2);
  const std::pair<const char*, std::wstring> cases[] = {
      {R"(C:/a//b/)", LR"(\\?\C:\a\b)"},
      {R"(E:\\WeChat Files\)", LR"(\\?\E:\WeChat Files)"},  // a drive root from the picker
      {R"(C:\m\2023-01. )", LR"(\\?\C:\m\2023-01. )"},
      {R"(C:\a\..\b\.\CON)", LR"(\\?\C:\b\CON)"},
      {R"(C:\..)", LR"(\\?\C:\)"},
      {R"(\\srv\share\..\..\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\?\C:\x\)", LR"(\\?\C:\x)"},
      {R"(\\.\C:)", L""},
      {"rel\\x.", LR"(\\?\)" + (here.back() == L'\\' ? here : here + L"\\") + L"rel\\x."},
      {R"(\top)", LR"(\\?\)" + drive + LR"(\top)"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(literalPath(in), out) << in;
  // The full path is the literal one without its prefix, its separator at the end kept.
  EXPECT_EQ(Win32FileSystem().fullPath("D:\\data. \\"), "D:\\data. \\");
}

// WeChat 4.x names a moved data folder in a GBK file in %APPDATA%; a running WeChat makes us ask.
TEST(Win32Environment, ReadsSmallFilesExpandsDecodesAndFindsProcesses) {
  Win32Environment env;
  wine_test::TempFolder tmp;
  const std::string gbk = "D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD", ini = tmp.path + "\\配置.ini";
  ASSERT_TRUE(wine_test::make(ini, gbk));
  EXPECT_EQ(env.readSmallFile(ini, 11), gbk);
  // Larger than allowed, a folder; not UTF-8, half a GBK character.
  EXPECT_FALSE(env.readSmallFile(ini, 10) || env.readSmallFile(tmp.path, 100));
  EXPECT_EQ(env.decode(gbk, platform::kCodePageGbk), "D:\\微信数据");
  EXPECT_FALSE(env.decode(gbk, platform::kCodePageUtf8) ||
               env.decode("\xCE", platform::kCodePageGbk));
  EXPECT_EQ(env.expandEnvironment("%APPDATA%\\x"), std::string(std::getenv("APPDATA")) + "\\x");
  EXPECT_EQ(env.expandEnvironment("%NO_SUCH_NAME%"), "%NO_SUCH_NAME%");
  // This very program, spelled as another program might be (that none runs, the end-to-end test
  // shows: it is asked before every removal).
  EXPECT_TRUE(env.processRunning({"WeChat.exe", "VELMORA_WINE_TESTS.exe"}));
}

TEST(Win32Shell, StartProcessStartsAQuotedPathAndReportsAMissingProgram) {
  const std::string shell = "\"" + std::string(std::getenv("ComSpec")) + "\" /c exit";
  EXPECT_TRUE(Win32Shell().startProcess(shell, platform::ShowStyle::Normal));
  EXPECT_FALSE(Win32Shell().startProcess("\"C:\\no such\\x.exe\"", platform::ShowStyle::Normal));
}

// The message box is owned by the window that asks (not the active one) and disables it;
// Win32UiThread's ticks and posted work arrive on the UI thread inside its loop; a press answers,
// a quit does not.
TEST(Win32Shell, MessageBoxOwnedByTheAskingWindowWhileTimersAndPostedWorkRun) {
  auto window = [](int x) {
    return unique_hwnd(CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0,
                                       99, 99, 0, 0, 0, 0));
  };
  const auto owner = window(0), active = window(200);  // shown last: the active one
  auto box = [] { return FindWindowW(L"#32770", L"微信清理"); };
  Win32UiThread host;
  bool postedInside = false, ownedAndDisabled = false;
  int ticksInside = 0;
  std::thread([&] { host.post([&] { postedInside = box() != nullptr; }); }).join();
  host.start(1, 20, [&] {
    if (!box()) return;
    ownedAndDisabled = GetWindow(box(), GW_OWNER) == owner.get() && !IsWindowEnabled(owner.get());
    if (++ticksInside == 3) wine_test::click(box(), IDCONTINUE);
  });
  EXPECT_EQ(Win32Shell().messageBox("微信正在运行", "微信清理",
                                    platform::Buttons::CancelTryContinue, platform::Icon::Warning,
                                    reinterpret_cast<platform::WindowHandle>(owner.get())),
            platform::Answer::Continue);
  host.stop(1);
  EXPECT_TRUE(owner && active && ownedAndDisabled && postedInside && ticksInside >= 3 &&
              IsWindowEnabled(owner.get()));
  // A box whose loop the program's quit ends (Wine's then says OK) was answered by nobody.
  host.start(2, 20, [] { PostQuitMessage(0); });
  EXPECT_EQ(Win32Shell().messageBox("确认删除", "微信清理", platform::Buttons::OkCancel,
                                    platform::Icon::Question, 0),
            platform::Answer::Cancel);
  host.stop(2);
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Typed text is committed only by Enter or leaving the box, key filters and length limits hold for
// typed characters, a bar set before its window shows.
TEST(FormWindow, TypedInputReachesTheModelAsTheFormsExpect) {
  ui::Form form("Demo");
  ui::TextBox name{form, "Name"};
  ui::ComboBox combo{form, "Combo"};
  ui::ProgressBar bar{form, "Bar"};
  name.setMaxLength(2);
  bar.setProgress(1, 4);
  ui::win32::FormWindow window{form};
  form.show();
  HWND box = window.controlWindow(combo);
  auto notify = [&](UINT code) {
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), code), LPARAM(box));
  };
  int commits = 0;
  combo.onCommit = [&] { ++commits; };
  SetWindowTextW(box, L"typed");
  notify(CBN_EDITCHANGE);
  EXPECT_TRUE(combo.text() == "typed" && commits == 0);
  MSG enter{GetWindow(box, GW_CHILD), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(window.preTranslate(enter));
  notify(CBN_KILLFOCUS);
  EXPECT_EQ(commits, 2);

  name.onKeyPress = [](char32_t ch) { return ch >= U'0' && ch <= U'9'; };
  for (wchar_t ch : std::wstring(L"4x27")) SendMessageW(window.controlWindow(name), WM_CHAR, ch, 0);
  EXPECT_EQ(name.text(), "42");
  EXPECT_EQ(SendMessageW(window.controlWindow(bar), PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(window.controlWindow(bar), PBM_GETPOS, 0, 0), 250);
}
