#include "ui/win32/form_window.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/guard.h"
#include "platform/win32/wide.h"
#include "ui/win32/dpi.h"
#include "ui/win32/names.h"
#include "ui/win32/window_classes.h"

namespace ui::win32 {
namespace {

using platform::win32::guarded;

constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

DWORD formStyle(const Form& f) {
  // Fixed-size windows: the forms place everything by hand for one size.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (!f.clientSized()) style |= WS_MINIMIZEBOX;
  return style;
}

bool focusable(ControlKind k) {
  return k == ControlKind::TextBox || k == ControlKind::Button || k == ControlKind::CheckBox ||
         k == ControlKind::ComboBox;
}

}  // namespace

FormWindow::FormWindow(Form& form) : form_(form) {
  registerWindowClasses(&FormWindow::formProc);
  hwnd_.reset(platform::win32::throwLastErrorIfNull(
      CreateWindowExW(kExStyle, kFormClass, platform::win32::widen(form.title()).c_str(),
                      formStyle(form), CW_USEDEFAULT, CW_USEDEFAULT, 400, 400, nullptr, nullptr,
                      GetModuleHandleW(nullptr), this),
      "creating a window"));
  setWindowName(hwnd_.get(), form.name());
  dpi_ = windowDpi(hwnd_.get());
  createChildren(false);
  form_.bind(this);
  applyForm(true);
}

FormWindow::~FormWindow() {
  if (form_.binding() == this) form_.bind(nullptr);
  for (const Child& c : children_) clearWindowName(c.hwnd);
  clearWindowName(hwnd_.get());
  SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
  // Before the fonts the windows still use go with the font cache.
  tooltip_.reset();
  hwnd_.reset();
}

FormWindow* FormWindow::fromWindow(HWND hwnd) {
  wchar_t cls[32];
  if (!hwnd || !GetClassNameW(hwnd, cls, 32) || lstrcmpW(cls, kFormClass) != 0) return nullptr;
  // Only windows of this process carry a usable pointer.
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HWND FormWindow::controlWindow(const Control& c) const {
  auto it = byControl_.find(&c);
  return it == byControl_.end() ? nullptr : it->second;
}

Control* FormWindow::controlOf(HWND h) const {
  // A combo box's edit field belongs to the combo box: walk up to a window we created.
  for (; h && h != hwnd_.get(); h = GetParent(h)) {
    auto it = byHwnd_.find(h);
    if (it != byHwnd_.end()) return it->second;
  }
  return nullptr;
}

LRESULT CALLBACK FormWindow::formProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self || !self->hwnd_) return DefWindowProcW(h, msg, wp, lp);
  return self->handle(msg, wp, lp);
}

LRESULT FormWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // Model handlers are plain C++ and may throw (out of memory at worst).
      if (lp) guarded("a command", [&] { command(reinterpret_cast<HWND>(lp), HIWORD(wp)); });
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return colors(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_MOUSEMOVE:
      if (HWND child = disabledChildAt(hwnd_.get(), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}))
        handle(kMouseOverDisabled, reinterpret_cast<WPARAM>(child), 0);
      break;
    case kMouseOverDisabled:
      // A disabled control still explains itself when pointed at.
      if (Control* c = controlOf(reinterpret_cast<HWND>(wp)))
        guarded("a pointer move", [c] { c->mouseMove(); });
      return 0;
    case WM_CLOSE:
      guarded("closing a window", [&] {
        if (form_.onUnload)
          form_.onUnload();
        else
          form_.hide();
      });
      return 0;
    case WM_ACTIVATE:
      // Give the focus back to the control that had it when the window was left.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_.get(), f)) savedFocus_ = f;
      } else if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_)) {
        SetFocus(savedFocus_);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_.get(), nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
      relayout();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_.get(), msg, wp, lp);
}

void FormWindow::formChanged(Form&) {
  ++pushing_;
  applyForm(false);
  --pushing_;
}

void FormWindow::applyForm(bool force) {
  if (!hwnd_) return;
  if (force || form_.title() != title_) {
    title_ = form_.title();
    SetWindowTextW(hwnd_.get(), platform::win32::widen(title_).c_str());
  }
  if (force || form_.width() != width_ || form_.height() != height_) applySize();
  if (force || form_.topMost() != topMost_) {
    topMost_ = form_.topMost();
    SetWindowPos(hwnd_.get(), topMost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (form_.visible() != visible_) {
    visible_ = form_.visible();
    if (visible_) {
      if (!centred_) {
        // First appearance: the middle of the work area of the primary monitor.
        centred_ = true;
        RECT wr, work;
        GetWindowRect(hwnd_.get(), &wr);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;
        SetWindowPos(hwnd_.get(), nullptr,
                     work.left + std::max(0L, (work.right - work.left - w) / 2),
                     work.top + std::max(0L, (work.bottom - work.top - h) / 2), 0, 0,
                     SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
      }
      // A control made visible since the window was made shows with it.
      if (hiddenLeft_) createChildren(false);
      ShowWindow(hwnd_.get(), SW_SHOW);
      SetForegroundWindow(hwnd_.get());
      showFirstFocus();
      if (hiddenLeft_ || !tooltip_) {
        // The first paint now, then what it does not need.
        RedrawWindow(hwnd_.get(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        createTooltips();
        createChildren(true);
      }
    } else {
      HWND f = GetFocus();
      if (f && IsChild(hwnd_.get(), f)) savedFocus_ = f;
      ShowWindow(hwnd_.get(), SW_HIDE);
    }
  }
}

void FormWindow::createTooltips() {
  if (tooltip_) return;
  tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_.get(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr));
  if (!tooltip_) return;
  SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, MulDiv(360, dpi_, 96));
  for (const Child& c : children_)
    if (!c.control->tooltip().empty()) pushTooltip(*c.control, c.hwnd);
}

void FormWindow::applySize() {
  width_ = form_.width();
  height_ = form_.height();
  int w = twipsToPixels(width_, dpi_), h = twipsToPixels(height_, dpi_);
  if (form_.clientSized()) {
    RECT r{0, 0, w, h};
    adjustWindowRect(r, formStyle(form_), kExStyle, dpi_);
    w = r.right - r.left;
    h = r.bottom - r.top;
  }
  SetWindowPos(hwnd_.get(), nullptr, 0, 0, w, h, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void FormWindow::relayout() {
  ++pushing_;
  for (const Child& c : children_) {
    push(*c.control, c.hwnd, Prop::Font);
    place(*c.control, c.hwnd);
  }
  fonts_.keepOnly(dpi_);
  if (tooltip_) SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, MulDiv(360, dpi_, 96));
  applySize();
  --pushing_;
  InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

void FormWindow::showFirstFocus() {
  if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_) &&
      IsWindowEnabled(savedFocus_)) {
    SetFocus(savedFocus_);
    return;
  }
  const std::vector<Child> order = tabOrder();
  if (!order.empty()) SetFocus(order.front().hwnd);
}

bool FormWindow::focus(Control& c) {
  if (!hwnd_.get() || !IsWindowVisible(hwnd_.get())) return false;
  HWND h = controlWindow(c);
  if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h) || !c.usable()) return false;
  SetFocus(h);
  HWND now = GetFocus();
  return now == h || IsChild(h, now);
}

std::vector<FormWindow::Child> FormWindow::tabOrder() const {
  std::vector<Child> order;
  for (const Child& c : children_)
    // The form's word first: a control under a frame it disabled (the grid while the "清理中"
    // overlay covers it) is visible and enabled as a window, and still out of reach.
    if (focusable(c.control->kind()) && c.control->tabStop() && c.control->usable() &&
        IsWindowVisible(c.hwnd) && IsWindowEnabled(c.hwnd))
      order.push_back(c);
  // Controls with a tab index first, by index; the others after them in the form's order.
  std::stable_sort(order.begin(), order.end(), [](const Child& a, const Child& b) {
    const int ia = a.control->tabIndex(), ib = b.control->tabIndex();
    if ((ia < 0) != (ib < 0)) return ib < 0;
    return ia >= 0 && ia < ib;
  });
  return order;
}

void FormWindow::moveFocus(bool backward) {
  const std::vector<Child> order = tabOrder();
  if (order.empty()) return;
  const Control* current = controlOf(GetFocus());
  auto it = std::find_if(order.begin(), order.end(),
                         [&](const Child& c) { return c.control == current; });
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  std::ptrdiff_t i = it == order.end() ? (backward ? 0 : -1) : it - order.begin();
  i = (i + (backward ? n - 1 : 1)) % n;
  HWND target = order[static_cast<std::size_t>(i)].hwnd;
  SetFocus(target);
  if (order[static_cast<std::size_t>(i)].control->kind() == ControlKind::TextBox)
    SendMessageW(target, EM_SETSEL, 0, -1);
}

bool FormWindow::preTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) {
    moveFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
    return true;
  }
  if (msg.wParam == VK_RETURN) {
    Control* c = controlOf(msg.hwnd);
    if (c && c->kind() == ControlKind::Button && c->usable()) {
      SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
      return true;
    }
    // Enter in a combo box's edit part commits what was typed; with the list open it picks.
    if (c && c->kind() == ControlKind::ComboBox &&
        !SendMessageW(controlWindow(*c), CB_GETDROPPEDSTATE, 0, 0)) {
      static_cast<ComboBox*>(c)->userCommit();
      return true;
    }
  }
  return false;
}

int runMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    FormWindow* fw = FormWindow::fromWindow(GetAncestor(msg.hwnd, GA_ROOT));
    if (fw && fw->preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace ui::win32
