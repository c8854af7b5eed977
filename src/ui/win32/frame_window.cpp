#include <windows.h>
#include <windowsx.h>

#include <mutex>
#include <string>

#include "platform/win32/handle.h"
#include "ui/win32/window_classes.h"

namespace ui::win32 {
namespace {

// Children's messages that only the form window can answer.
bool forwarded(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return true;
    default:
      return false;
  }
}

void paintFrame(HWND h, HDC dc) {
  RECT rc;
  GetClientRect(h, &rc);
  // The form answers WM_CTLCOLORSTATIC for the frame as for a label: caption colour and
  // background brush.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetAncestor(h, GA_ROOT), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(h)));
  if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &rc, brush);

  auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(h, 0));
  const auto selected =
      platform::win32::select_object(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  RECT box = rc;
  box.top += tm.tmHeight / 2;
  DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);

  const int len = GetWindowTextLengthW(h);
  if (len > 0) {
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), len + 1)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int x = tm.tmAveCharWidth;
    RECT gap{x - 2, 0, x + size.cx + 2, tm.tmHeight};
    FillRect(dc, &gap, brush);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, 0, text.c_str(), static_cast<int>(text.size()));
  }
}

LRESULT CALLBACK frameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (forwarded(msg)) return SendMessageW(GetAncestor(h, GA_ROOT), msg, wp, lp);
  switch (msg) {
    case WM_SETFONT:
      SetWindowLongPtrW(h, 0, static_cast<LONG_PTR>(wp));
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrW(h, 0);
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_MOUSEMOVE:
      if (HWND child = disabledChildAt(h, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}))
        SendMessageW(GetAncestor(h, GA_ROOT), kMouseOverDisabled, reinterpret_cast<WPARAM>(child),
                     0);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      paintFrame(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      // Themed check boxes have no background of their own: they ask their parent to paint
      // beneath them, and without this they show whatever the screen held there before.
      paintFrame(h, reinterpret_cast<HDC>(wp));
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

void registerWindowClasses(WNDPROC formProc) {
  static std::once_flag once;
  std::call_once(once, [formProc] {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = formProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kFormClass;
    // Resource 1 is the program's icon; a test program without one gets the default.
    wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    RegisterClassExW(&wc);

    WNDCLASSEXW fc{};
    fc.cbSize = sizeof fc;
    fc.lpfnWndProc = frameProc;
    fc.cbWndExtra = sizeof(LONG_PTR);  // its font
    fc.hInstance = inst;
    fc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    fc.lpszClassName = kFrameClass;
    RegisterClassExW(&fc);
  });
}

}  // namespace ui::win32
