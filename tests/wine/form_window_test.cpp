// The Win32 binding against real windows: a small form of its own, driven through window
// messages as a user would, and through the model as the forms do.
#include "ui/win32/form_window.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide.h"
#include "ui/win32/dpi.h"
#include "ui/win32/names.h"

namespace {

using platform::win32::narrow;

struct DemoForm : ui::Form {
  DemoForm() : Form("Demo") {
    setTitle("演示");
    setSize(6000, 4000);
    name.setRect({1440, 300, 2400, 315});
    name.setMaxLength(2);
    go.setRect({4000, 300, 1200, 400});
    frame.setRect({180, 900, 5000, 2400});
    inside.setText("框内");
    inside.setRect({300, 600, 2000, 300});
    check.setRect({300, 1200, 3000, 300});
    combo.setRect({300, 1700, 3000, 315});
    cover.setRect({180, 900, 5000, 2400});
    cover.setVisible(false);
    under.setRect({4000, 300, 1200, 400});  // declared after `go`, drawn beneath it
    bar.setRect({300, 3400, 4000, 200});
    bar.setProgress(1, 4);  // before the window exists
  }
  ui::TextBox name{*this, "Name"};
  ui::Button go{*this, "Go"};
  ui::Frame frame{*this, "Frame"};
  ui::Label inside{*this, "Inside", &frame};
  ui::CheckBox check{*this, "Check", &frame};
  ui::ComboBox combo{*this, "Combo", &frame};
  ui::Frame cover{*this, "Cover"};
  ui::Label under{*this, "Under"};
  ui::ProgressBar bar{*this, "Bar"};
};

class FormWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.hwnd(), nullptr);
    form.show();
  }
  HWND hwndOf(const ui::Control& c) { return window.controlWindow(c); }
  std::string textOf(HWND h) {
    wchar_t buf[256];
    const int n = GetWindowTextW(h, buf, 256);
    return narrow(std::wstring_view(buf, static_cast<std::size_t>(n)));
  }
  // A WM_COMMAND notification as a child window sends it.
  void notify(const ui::Control& c, UINT code) {
    HWND h = hwndOf(c);
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code),
                 reinterpret_cast<LPARAM>(h));
  }

  DemoForm form;
  ui::win32::FormWindow window{form};
};

TEST_F(FormWindowTest, PlacesNamedControlsInTwipsInsideFramesThatHideThem) {
  const UINT dpi = ui::win32::windowDpi(window.hwnd());
  HWND inside = hwndOf(form.inside);
  EXPECT_EQ(GetParent(inside), hwndOf(form.frame));
  EXPECT_EQ(ui::win32::windowName(inside), "Inside");
  EXPECT_EQ(textOf(inside), "框内");
  RECT r;
  GetWindowRect(inside, &r);
  MapWindowPoints(nullptr, hwndOf(form.frame), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.top, ui::win32::twipsToPixels(600, dpi));
  EXPECT_EQ(r.right - r.left, ui::win32::twipsToPixels(2000, dpi));
  EXPECT_TRUE(IsWindowVisible(inside));
  form.frame.setVisible(false);
  EXPECT_FALSE(IsWindowVisible(inside));
}

TEST_F(FormWindowTest, ALaterFrameCoversAnEarlierOneAndLabelsLieBeneathControls) {
  // What the pointer reaches at the centre of a control, among this form's windows only: windows
  // of tests running beside this one may lie over it on the screen.
  auto hitAt = [&](const ui::Control& c) {
    RECT r;
    GetWindowRect(hwndOf(c), &r);
    HWND h = window.hwnd();
    for (;;) {
      POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      ScreenToClient(h, &p);
      HWND next = ChildWindowFromPointEx(h, p, CWP_SKIPINVISIBLE);
      if (next == nullptr || next == h) return h;
      h = next;
    }
  };
  EXPECT_EQ(hitAt(form.go), hwndOf(form.go));
  EXPECT_EQ(hitAt(form.check), hwndOf(form.check));
  form.cover.setVisible(true);
  EXPECT_EQ(hitAt(form.check), hwndOf(form.cover));
}

TEST_F(FormWindowTest, UserInputBecomesModelEvents) {
  int clicks = 0, checkClicks = 0;
  form.go.onClick = [&] { ++clicks; };
  form.check.onClick = [&] { ++checkClicks; };
  SendMessageW(hwndOf(form.go), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);

  notify(form.check, BN_CLICKED);
  EXPECT_EQ(form.check.value(), 1);
  EXPECT_EQ(checkClicks, 1);
  EXPECT_EQ(SendMessageW(hwndOf(form.check), BM_GETCHECK, 0, 0), BST_CHECKED);

  form.combo.addItem("one");
  form.combo.addItem("two");
  SendMessageW(hwndOf(form.combo), CB_SETCURSEL, 1, 0);
  notify(form.combo, CBN_SELCHANGE);
  EXPECT_EQ(form.combo.text(), "two");

  // Typed text is committed by Enter in the edit part and by the focus leaving the box.
  int commits = 0;
  form.combo.onCommit = [&] { ++commits; };
  SetWindowTextW(hwndOf(form.combo), L"typed");
  notify(form.combo, CBN_EDITCHANGE);
  EXPECT_EQ(form.combo.text(), "typed");
  EXPECT_EQ(commits, 0);
  MSG enter{GetWindow(hwndOf(form.combo), GW_CHILD), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(window.preTranslate(enter));
  notify(form.combo, CBN_KILLFOCUS);
  EXPECT_EQ(commits, 2);

  form.name.onKeyPress = [](char32_t ch) { return ch >= U'0' && ch <= U'9'; };
  for (wchar_t ch : std::wstring(L"4x27")) SendMessageW(hwndOf(form.name), WM_CHAR, ch, 0);
  EXPECT_EQ(form.name.text(), "42") << "the filter and the two-character limit";
}

// Set before the window existed, so the common control follows the model from its start.
TEST_F(FormWindowTest, ProgressBarFollowsTheModel) {
  HWND h = hwndOf(form.bar);
  EXPECT_EQ(SendMessageW(h, PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 250);
}

}  // namespace
