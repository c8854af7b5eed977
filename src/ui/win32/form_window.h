// The Win32 binding: one real top-level window per ui::Form. It creates a child window for every
// control of the form, mirrors each model change into it and turns window messages back into
// model events. It decides nothing itself; the forms do.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/handle.h"
#include "ui/model/controls.h"
#include "ui/win32/fonts.h"

namespace ui::win32 {

class FormWindow final : public Binding {
 public:
  // Creates the window (hidden, as the form is until it is shown) and binds the form to it.
  // Throws std::system_error when the window cannot be made.
  explicit FormWindow(Form& form);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  HWND hwnd() const { return hwnd_.get(); }
  Form& form() const { return form_; }
  // The child window of a control; nullptr for a control of another form.
  HWND controlWindow(const Control& c) const;
  // The binding of one of our top-level windows, or nullptr.
  static FormWindow* fromWindow(HWND hwnd);

  // Keyboard handling of the message loop, in the order the forms' tab indexes give rather
  // than the window z-order: Tab and Shift+Tab move the focus, Enter presses a focused button.
  // True when the message was used up.
  bool preTranslate(const MSG& msg);

  void controlChanged(Control& c, Prop p) override;
  void formChanged(Form& f) override;
  bool focus(Control& c) override;
  platform::WindowHandle nativeHandle() const override {
    return reinterpret_cast<platform::WindowHandle>(hwnd_.get());
  }

 private:
  struct Child {
    Control* control;
    HWND hwnd;
  };

  static LRESULT CALLBACK formProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK childProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handleChild(Control& c, HWND h, UINT msg, WPARAM wp, LPARAM lp);

  // control_windows.cpp: creating child windows and pushing model state into them.
  // The windows still missing of the controls that show with the form; with `all`, of the rest
  // too. The rest (inside hidden frames, mostly) are made right after the form's first paint:
  // the window shows sooner, and no event reaches them before the message loop runs again.
  void createChildren(bool all);
  // The tooltip window and the tips of the controls made so far: after the first paint too.
  void createTooltips();
  // Later controls lie above earlier ones; labels and lines beneath all the others.
  void stack(const Control* parent);
  HWND createChild(Control& c);
  void push(Control& c, HWND h, Prop p);
  RECT bounds(const Control& c) const;  // in the parent's client pixels
  void place(Control& c, HWND h);
  void fitLabel(Control& c, HWND h);
  void pushText(Control& c, HWND h);
  void pushItems(ComboBox& c, HWND h);
  void pushTooltip(Control& c, HWND h);
  void command(HWND h, UINT code);
  LRESULT colors(UINT msg, HDC dc, HWND h);

  // form_window.cpp: the top-level window.
  void applyForm(bool force);
  void applySize();
  void relayout();
  void showFirstFocus();
  std::vector<Child> tabOrder() const;
  void moveFocus(bool backward);
  Control* controlOf(HWND h) const;

  Form& form_;
  platform::win32::unique_hwnd hwnd_;
  platform::win32::unique_hwnd tooltip_;
  UINT dpi_ = 96;
  FontCache fonts_;
  std::vector<Child> children_;  // in the form's control order
  std::unordered_map<HWND, Control*> byHwnd_;
  std::unordered_map<const Control*, HWND> byControl_;
  HWND savedFocus_ = nullptr;
  bool centred_ = false;
  bool hiddenLeft_ = false;  // controls hidden at first are still without a window
  // Nonzero while model state is being written into windows: the notifications those writes
  // cause are echoes, not user input.
  int pushing_ = 0;
  // What the window shows of the form, to apply only what changed.
  std::string title_;
  int width_ = -1, height_ = -1;
  bool visible_ = false, topMost_ = false;
};

// Runs the thread's message loop until WM_QUIT, giving the bound forms their keyboard handling.
int runMessageLoop();

}  // namespace ui::win32
