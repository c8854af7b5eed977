// The Win32 binding against real windows: typed text is committed only by Enter or leaving the
// box, key filters and length limits hold for typed characters, a bar set before its window shows.
#include "ui/win32/form_window.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

struct DemoForm : ui::Form {
  DemoForm() : Form("Demo") {
    name.setMaxLength(2);
    bar.setProgress(1, 4);
  }
  ui::TextBox name{*this, "Name"};
  ui::ComboBox combo{*this, "Combo"};
  ui::ProgressBar bar{*this, "Bar"};
};

TEST(FormWindow, TypedInputReachesTheModelAsTheFormsExpect) {
  DemoForm form;
  ui::win32::FormWindow window{form};
  ASSERT_NE(window.hwnd(), nullptr);
  form.show();
  HWND combo = window.controlWindow(form.combo);
  auto notify = [&](UINT code) {
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code),
                 reinterpret_cast<LPARAM>(combo));
  };
  int commits = 0;
  form.combo.onCommit = [&] { ++commits; };
  SetWindowTextW(combo, L"typed");
  notify(CBN_EDITCHANGE);
  EXPECT_TRUE(form.combo.text() == "typed" && commits == 0);
  MSG enter{GetWindow(combo, GW_CHILD), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(window.preTranslate(enter));
  notify(CBN_KILLFOCUS);
  EXPECT_EQ(commits, 2);

  form.name.onKeyPress = [](char32_t ch) { return ch >= U'0' && ch <= U'9'; };
  for (wchar_t ch : std::wstring(L"4x27"))
    SendMessageW(window.controlWindow(form.name), WM_CHAR, ch, 0);
  EXPECT_EQ(form.name.text(), "42");
  HWND bar = window.controlWindow(form.bar);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 250);
}
