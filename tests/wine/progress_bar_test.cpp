// The progress bar's binding: a real common control that follows the model.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ui/win32/form_window.h"

TEST(ProgressBarWindow, IsTheCommonControlAndFollowsTheModel) {
  ui::Form form("Bar");
  ui::ProgressBar bar(form, "Bar");
  bar.setRect({300, 300, 4000, 300});
  bar.setProgress(1, 4);  // before the window exists
  ui::win32::FormWindow window(form);
  HWND h = window.controlWindow(bar);
  ASSERT_NE(h, nullptr);
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  EXPECT_EQ(lstrcmpiW(cls, PROGRESS_CLASSW), 0);
  auto shown = [h] {
    PBRANGE range{};
    SendMessageW(h, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return std::to_string(range.iLow) + ".." + std::to_string(range.iHigh) + "@" +
           std::to_string(SendMessageW(h, PBM_GETPOS, 0, 0));
  };
  EXPECT_EQ(shown(), "0..1000@250");
  bar.setProgress(3, 4);
  EXPECT_EQ(shown(), "0..1000@750");
  bar.setRange(-5, 5);
  EXPECT_EQ(shown(), "-5..5@5");
}
