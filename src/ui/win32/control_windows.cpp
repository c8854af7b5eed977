// The child windows of a form: one per control, created from the model's state, updated on every
// model change, and their notifications turned into model events.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/guard.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide.h"
#include "platform/text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/form_window.h"
#include "ui/win32/names.h"
#include "ui/win32/window_classes.h"

namespace ui::win32 {
namespace {

using platform::win32::narrow;
using platform::win32::widen;

std::wstring windowText(HWND h) {
  const int len = GetWindowTextLengthW(h);
  if (len <= 0) return {};
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), len + 1)));
  return text;
}

// A position in characters (code points, as the model counts) as UTF-16 units.
int utf16Offset(const std::string& text, int chars) {
  int units = 0;
  for (char32_t ch : platform::text::decodeLossy(text)) {
    if (chars-- <= 0) break;
    units += ch > 0xFFFF ? 2 : 1;
  }
  return units;
}

struct ClassAndStyle {
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle classFor(const Control& c) {
  const DWORD common = WS_CHILD | WS_CLIPSIBLINGS;
  switch (c.kind()) {
    case ControlKind::Label:
      // SS_NOTIFY: labels get mouse messages, so tooltips and pointer moves reach them.
      return {L"STATIC",
              common | SS_NOPREFIX | SS_NOTIFY | (c.align() == Align::Center ? SS_CENTER : SS_LEFT),
              0};
    case ControlKind::TextBox: {
      const DWORD align = c.align() == Align::Center ? ES_CENTER : ES_LEFT;
      return {L"EDIT", common | WS_TABSTOP | align | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    }
    case ControlKind::Button:
      return {L"BUTTON", common | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
    case ControlKind::CheckBox:
      // Not BS_AUTOCHECKBOX: the model toggles and the window shows the model's value, so the
      // two cannot drift apart.
      return {L"BUTTON", common | WS_TABSTOP | BS_CHECKBOX, 0};
    case ControlKind::ComboBox:
      return {L"COMBOBOX", common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case ControlKind::Frame:
      return {kFrameClass, common | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Line:
      return {L"STATIC",
              common | (c.rect().width >= c.rect().height ? SS_ETCHEDHORZ : SS_ETCHEDVERT), 0};
    case ControlKind::ProgressBar: {
      // The common control's class exists once comctl32 registered it; the program does so at
      // start, this covers any other host of the binding.
      static const bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&icc) != FALSE;
      }();
      (void)registered;
      return {PROGRESS_CLASSW, common, 0};
    }
  }
  return {L"STATIC", common, 0};
}

// Labels and lines are drawn on their container's surface, beneath every real control, as in the
// form designer the forms come from; among themselves, and among the real controls, later ones
// lie on top.
bool drawnOnSurface(ControlKind k) {
  return k == ControlKind::Label || k == ControlKind::Line;
}

// A control that shows as soon as its form does.
bool shownWithForm(const Control& c) {
  for (const Control* p = &c; p; p = p->parent())
    if (!p->visible()) return false;
  return true;
}

}  // namespace

void FormWindow::createChildren(bool all) {
  hiddenLeft_ = false;
  std::vector<const Control*> parents;
  const std::vector<Control*>& controls = form_.controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    Control& c = *controls[i];
    if (controlWindow(c)) continue;
    if (!all && !shownWithForm(c)) {
      hiddenLeft_ = true;
      continue;
    }
    HWND h = createChild(c);
    if (!h) continue;
    SetWindowLongPtrW(h, GWLP_ID, static_cast<LONG_PTR>(100 + i));
    if (std::find(parents.begin(), parents.end(), c.parent()) == parents.end())
      parents.push_back(c.parent());
  }
  children_.clear();
  for (Control* c : controls)
    if (HWND h = controlWindow(*c)) children_.push_back({c, h});
  for (const Control* parent : parents) stack(parent);
}

void FormWindow::stack(const Control* parent) {
  for (const Child& c : children_)
    if (c.control->parent() == parent && !drawnOnSurface(c.control->kind()))
      SetWindowPos(c.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (auto it = children_.rbegin(); it != children_.rend(); ++it)
    if (it->control->parent() == parent && drawnOnSurface(it->control->kind()))
      SetWindowPos(it->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND FormWindow::createChild(Control& c) {
  HWND parent = hwnd_.get();
  if (c.parent()) {
    parent = controlWindow(*c.parent());
    if (!parent) return nullptr;
  }
  const ClassAndStyle cs = classFor(c);
  const DWORD style = cs.style | (c.visible() ? WS_VISIBLE : 0) | (c.enabled() ? 0 : WS_DISABLED);
  // Made in its place: moving each of the many windows afterwards made start-up slow under Wine.
  // Not a line: under Wine an etched line made at its size comes out two pixels longer than one
  // sized afterwards, as the forms were drawn.
  const RECT r = c.kind() == ControlKind::Line ? RECT{} : bounds(c);
  HWND h = CreateWindowExW(cs.exStyle, cs.cls, widen(c.text()).c_str(), style, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!h) return nullptr;
  byHwnd_[h] = &c;
  byControl_[&c] = h;
  setWindowName(h, c.name());
  if (c.kind() != ControlKind::Frame && c.kind() != ControlKind::Line)
    SetWindowSubclass(h, &FormWindow::childProc, 0, reinterpret_cast<DWORD_PTR>(this));

  ++pushing_;
  push(c, h, Prop::Font);
  if (c.kind() == ControlKind::Line) place(c, h);
  if (c.kind() == ControlKind::TextBox && c.maxLength() > 0)
    SendMessageW(h, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength()), 0);
  if (c.kind() == ControlKind::ComboBox) {
    pushItems(static_cast<ComboBox&>(c), h);
    pushText(c, h);
  }
  if (c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::ProgressBar)
    push(c, h, Prop::Value);
  if (!c.tooltip().empty()) pushTooltip(c, h);
  --pushing_;
  return h;
}

void FormWindow::controlChanged(Control& c, Prop p) {
  HWND h = controlWindow(c);
  if (!h) return;
  ++pushing_;
  push(c, h, p);
  --pushing_;
}

void FormWindow::push(Control& c, HWND h, Prop p) {
  switch (p) {
    case Prop::Text:
      pushText(c, h);
      fitLabel(c, h);
      break;
    case Prop::Rect:
      place(c, h);
      break;
    case Prop::Visible:
      ShowWindow(h, c.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Prop::Enabled:
      EnableWindow(h, c.enabled());
      break;
    case Prop::ForeColor:
      InvalidateRect(h, nullptr, TRUE);
      break;
    case Prop::Font:
      // A hidden window is drawn whole when it shows: no need to ask for a redraw now.
      SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(c.font(), dpi_)),
                   IsWindowVisible(h));
      fitLabel(c, h);
      break;
    case Prop::Items:
      if (c.kind() == ControlKind::ComboBox) pushItems(static_cast<ComboBox&>(c), h);
      break;
    case Prop::Selection:
      if (c.kind() == ControlKind::ComboBox) {
        SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(static_cast<ComboBox&>(c).listIndex()),
                     0);
      } else if (c.kind() == ControlKind::TextBox) {
        const int start = utf16Offset(c.text(), c.selStart());
        const int end = utf16Offset(c.text(), c.selStart() + c.selLength());
        SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(start), end);
      }
      break;
    case Prop::Value:
      if (c.kind() == ControlKind::CheckBox)
        SendMessageW(h, BM_SETCHECK,
                     static_cast<CheckBox&>(c).value() ? BST_CHECKED : BST_UNCHECKED, 0);
      if (c.kind() == ControlKind::ProgressBar) {
        const auto& bar = static_cast<ProgressBar&>(c);
        SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(bar.minimum()), bar.maximum());
        SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(bar.position()), 0);
      }
      break;
    case Prop::Tooltip:
      pushTooltip(c, h);
      break;
  }
}

RECT FormWindow::bounds(const Control& c) const {
  const Rect& r = c.rect();
  int left = r.left, top = r.top, width = r.width, height = r.height;
  if (c.kind() == ControlKind::Line) {
    // A line runs from (left, top) to (left + width, top + height); an etched line is two
    // pixels thick whatever the DPI.
    if (width < 0) {
      left += width;
      width = -width;
    }
    if (height < 0) {
      top += height;
      height = -height;
    }
    const bool horizontal = width >= height;
    const int x = twipsToPixels(left, dpi_), y = twipsToPixels(top, dpi_);
    return {x, y, x + (horizontal ? twipsToPixels(width, dpi_) : 2),
            y + (horizontal ? 2 : twipsToPixels(height, dpi_))};
  }
  int pxHeight = twipsToPixels(height, dpi_);
  // A combo box's window height includes its drop-down list; the edit part sizes itself to the
  // font.
  if (c.kind() == ControlKind::ComboBox) pxHeight += MulDiv(160, dpi_, 96);
  const int x = twipsToPixels(left, dpi_), y = twipsToPixels(top, dpi_);
  return {x, y, x + twipsToPixels(width, dpi_), y + pxHeight};
}

void FormWindow::place(Control& c, HWND h) {
  const RECT r = bounds(c);
  SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  fitLabel(c, h);
}

// A label with room for one line only shows that line whole, with an ellipsis where the text is
// too long, rather than the top of a wrapped second line. A path keeps its last part.
void FormWindow::fitLabel(Control& c, HWND h) {
  if (c.kind() != ControlKind::Label) return;
  const int line = fonts_.lineHeight(fonts_.get(c.font(), dpi_));
  if (line <= 0) return;
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  const DWORD ellipsis =
      c.text().find('\\') != std::string::npos ? SS_PATHELLIPSIS : SS_ENDELLIPSIS;
  const DWORD fitted = twipsToPixels(c.rect().height, dpi_) < 2 * line
                           ? (style & ~SS_ELLIPSISMASK) | ellipsis
                           : style & ~SS_ELLIPSISMASK;
  if (fitted == style) return;
  SetWindowLongPtrW(h, GWL_STYLE, static_cast<LONG_PTR>(fitted));
  InvalidateRect(h, nullptr, TRUE);
}

void FormWindow::pushText(Control& c, HWND h) {
  const std::wstring text = widen(c.text());
  if (windowText(h) == text) return;
  SetWindowTextW(h, text.c_str());
}

void FormWindow::pushItems(ComboBox& c, HWND h) {
  const auto& items = c.items();
  const auto count = static_cast<std::size_t>(SendMessageW(h, CB_GETCOUNT, 0, 0));
  // Items arrive one addItem at a time: append the new one instead of rebuilding the list.
  if (count + 1 != items.size()) {
    const std::wstring text = windowText(h);
    SendMessageW(h, CB_RESETCONTENT, 0, 0);
    SetWindowTextW(h, text.c_str());
  }
  for (std::size_t i = static_cast<std::size_t>(SendMessageW(h, CB_GETCOUNT, 0, 0));
       i < items.size(); ++i)
    SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(items[i]).c_str()));
}

void FormWindow::pushTooltip(Control& c, HWND h) {
  if (!tooltip_) return;
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every comctl32 version
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_.get();
  ti.uId = reinterpret_cast<UINT_PTR>(h);
  SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (c.tooltip().empty()) return;
  std::wstring text = widen(c.tooltip());
  ti.lpszText = text.data();
  SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void FormWindow::command(HWND h, UINT code) {
  if (pushing_) return;
  Control* c = controlOf(h);
  if (!c) return;
  switch (c->kind()) {
    case ControlKind::Button:
      // A button the form covers or disabled with its frame takes no key press either.
      if (code == BN_CLICKED && c->usable()) c->click();
      break;
    case ControlKind::CheckBox:
      if (code == BN_CLICKED && c->usable()) static_cast<CheckBox*>(c)->userClick();
      break;
    case ControlKind::Label:
      if (code == STN_CLICKED) c->click();
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) c->userSetText(narrow(windowText(h)));
      break;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) {
        const auto i = static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0));
        if (i >= 0) static_cast<ComboBox*>(c)->setListIndex(i);
      } else if (code == CBN_EDITCHANGE) {
        c->userSetText(narrow(windowText(h)));
      } else if (code == CBN_KILLFOCUS) {
        static_cast<ComboBox*>(c)->userCommit();
      }
      break;
    case ControlKind::Frame:
    case ControlKind::Line:
    case ControlKind::ProgressBar:
      break;
  }
}

LRESULT FormWindow::colors(UINT msg, HDC dc, HWND h) {
  Control* c = nullptr;
  auto it = byHwnd_.find(h);
  if (it != byHwnd_.end()) c = it->second;
  const bool edit = msg == WM_CTLCOLOREDIT && c && c->kind() == ControlKind::TextBox;
  if (!c || (c->foreColor().system && c->kind() != ControlKind::Frame))
    return DefWindowProcW(hwnd_.get(), msg, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(h));
  const Color col = c->foreColor();
  SetTextColor(dc, col.system ? GetSysColor(COLOR_BTNTEXT) : RGB(col.r, col.g, col.b));
  const int back = edit ? COLOR_WINDOW : COLOR_BTNFACE;
  SetBkColor(dc, GetSysColor(back));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
}

LRESULT CALLBACK FormWindow::childProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR ref) {
  auto* self = reinterpret_cast<FormWindow*>(ref);
  Control* c = self->controlOf(h);
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, &FormWindow::childProc, 0);
  if (!c || self->pushing_) return DefSubclassProc(h, msg, wp, lp);
  LRESULT result = 0;
  platform::win32::guarded("a control's message",
                           [&] { result = self->handleChild(*c, h, msg, wp, lp); });
  return result;
}

LRESULT FormWindow::handleChild(Control& c, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      c.mouseMove();
      break;
    case WM_CHAR:
      // Surrogate halves pass unfiltered: a filter judges whole characters only.
      if (c.kind() == ControlKind::TextBox && c.onKeyPress && (wp < 0xD800 || wp > 0xDFFF) &&
          !c.onKeyPress(static_cast<char32_t>(wp)))
        return 0;
      break;
    case WM_LBUTTONUP:
      if (c.kind() == ControlKind::TextBox) {
        // After the edit's own handling, so a selection made by the click handler stays.
        const LRESULT r = DefSubclassProc(h, msg, wp, lp);
        c.click();
        return r;
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace ui::win32
