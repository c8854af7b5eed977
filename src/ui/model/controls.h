// A small portable control model. Forms are written against it, tests drive it directly, and the
// Win32 binding mirrors it into real windows. Positions are twips relative to the parent (the
// form's client area or the enclosing frame).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/ui_thread.h"

namespace ui {

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  bool system = true;  // the platform's default text colour
  static constexpr Color rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Color{r, g, b, false};
  }
  friend bool operator==(const Color&, const Color&) = default;
};

struct Font {
  std::string face = "微软雅黑";
  double points = 9.0;
  bool bold = false;
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

enum class ControlKind { Label, TextBox, Button, CheckBox, ComboBox, Frame, Line, ProgressBar };
enum class Align { Left, Center };
enum class Prop { Text, Rect, Visible, Enabled, ForeColor, Font, Items, Selection, Value, Tooltip };

class Control;
class Form;

// Receives every property change of a bound form; the Win32 binding is the one real observer.
class Binding {
 public:
  virtual ~Binding() = default;
  virtual void controlChanged(Control& c, Prop p) = 0;
  virtual void formChanged(Form& f) = 0;  // title, size or visibility
  virtual bool focus(Control& c) = 0;     // false when the platform refuses
  // The form's window as the system knows it; 0 while there is none.
  virtual platform::WindowHandle nativeHandle() const { return 0; }
};

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name, Control* parent = nullptr);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  Control* parent() const { return parent_; }
  Form& form() const { return form_; }

  const std::string& text() const { return text_; }
  // Changing the text of a text box raises its change event, as typing does.
  void setText(std::string text);

  const Rect& rect() const { return rect_; }
  void setRect(Rect r);
  void move(int left, int top);

  bool visible() const { return visible_; }
  void setVisible(bool v);
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);
  // Visible on screen: this control and every enclosing frame are visible.
  bool shown() const;
  // Shown on a shown form, and enabled with every enclosing frame: what the user can reach, by
  // mouse or by key.
  bool usable() const;

  Color foreColor() const { return foreColor_; }
  void setForeColor(Color c);
  const Font& font() const { return font_; }
  void setFont(Font f);
  Align align() const { return align_; }
  void setAlign(Align a) { align_ = a; }
  const std::string& tooltip() const { return tooltip_; }
  void setTooltip(std::string t);
  int tabIndex() const { return tabIndex_; }
  void setTabIndex(int i) { tabIndex_ = i; }
  // Whether Tab stops here; code can still give such a control the focus.
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool t) { tabStop_ = t; }

  // Text boxes.
  int maxLength() const { return maxLength_; }
  void setMaxLength(int n) { maxLength_ = n; }
  int selStart() const { return selStart_; }
  int selLength() const { return selLength_; }
  void select(int start, int length);

  // Events, raised by code, by the binding (user input) or by tests.
  std::function<void()> onClick;
  std::function<void()> onChange;
  std::function<void()> onMouseMove;
  // Called for every typed character; returning false discards it.
  std::function<bool(char32_t)> onKeyPress;

  void click();
  void mouseMove();
  // User typing: the key-press filter first, then the text replaces the selection.
  void typeChar(char32_t ch);
  // User edit reported by the platform: the text is already on screen.
  void userSetText(std::string text);

 protected:
  void notify(Prop p);
  Form& form_;

 private:
  ControlKind kind_;
  std::string name_;
  Control* parent_;
  std::string text_;
  Rect rect_;
  bool visible_ = true;
  bool enabled_ = true;
  Color foreColor_;
  Font font_;
  Align align_ = Align::Left;
  std::string tooltip_;
  int tabIndex_ = -1;
  bool tabStop_ = true;
  int maxLength_ = 0;
  int selStart_ = 0, selLength_ = 0;
};

// Puts `c` at its place in twips and, when `text` is given, sets its text: how the windows lay
// out their controls.
void place(Control& c, int left, int top, int width, int height, std::string text = {});

class Label : public Control {
 public:
  Label(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::Label, name, parent) {}
};
class TextBox : public Control {
 public:
  TextBox(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::TextBox, name, parent) {}
};
class Button : public Control {
 public:
  Button(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::Button, name, parent) {}
};
class Frame : public Control {
 public:
  Frame(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::Frame, name, parent) {}
};
// A line from (left, top) to (left + width, top + height).
class Line : public Control {
 public:
  Line(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::Line, name, parent) {}
};

class CheckBox : public Control {
 public:
  CheckBox(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::CheckBox, name, parent) {}
  int value() const { return value_; }
  void setValue(int v);
  // A click by the user toggles the box first, then raises the click event.
  void userClick();

 private:
  int value_ = 0;
};

class ComboBox : public Control {
 public:
  ComboBox(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::ComboBox, name, parent) {}
  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);
  void clear();
  int listIndex() const { return listIndex_; }
  // Selecting an entry, from code or by the user, sets the text and raises the click event.
  void setListIndex(int i);

  // The user finished typing in the edit part: Enter, or the focus left the box.
  std::function<void()> onCommit;
  void userCommit() {
    if (onCommit) onCommit();
  }

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

// A progress bar: a position within a range. A change of either raises Prop::Value.
class ProgressBar : public Control {
 public:
  ProgressBar(Form& f, std::string name, Control* parent = nullptr)
      : Control(f, ControlKind::ProgressBar, name, parent) {}
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int position() const { return position_; }
  // An empty or reversed range becomes the one position `low`; the position is kept inside.
  void setRange(int low, int high);
  void setPosition(int position);
  // `done` of `total` (bytes, files…) on a range of 0…kSteps; nothing done when total is 0.
  void setProgress(std::uint64_t done, std::uint64_t total);
  static constexpr int kSteps = 1000;

 private:
  int minimum_ = 0, maximum_ = 100, position_ = 0;
};

// A repeating timer of a form. Enabling an enabled timer changes nothing; a new interval restarts
// it.
class Timer {
 public:
  Timer(platform::UiThread& host, std::string name, unsigned intervalMs, bool enabled = false);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer();

  const std::string& name() const { return name_; }
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);
  unsigned interval() const { return interval_; }
  void setInterval(unsigned ms);

  std::function<void()> onTick;

 private:
  void arm();
  platform::UiThread& host_;
  std::string name_;
  platform::UiThread::Id id_;
  unsigned interval_;
  bool enabled_ = false;
};

class Form {
 public:
  explicit Form(std::string name) : name_(std::move(name)) {}
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form() = default;

  const std::string& name() const { return name_; }
  const std::string& title() const { return title_; }
  void setTitle(std::string t);
  // Outer size for main windows, client size for dialogs (see clientSized()).
  int width() const { return width_; }
  int height() const { return height_; }
  void setSize(int width, int height);
  bool clientSized() const { return clientSized_; }
  void setClientSized(bool c) { clientSized_ = c; }
  bool visible() const { return visible_; }
  void show();
  void hide();
  bool topMost() const { return topMost_; }
  void setTopMost(bool t);

  // Moves the keyboard focus; false when the platform refuses (e.g. the window is not shown).
  bool setFocus(Control& c);
  Control* focused() const { return focused_; }

  const std::vector<Control*>& controls() const { return controls_; }
  Control* find(const std::string& name) const;

  void bind(Binding* b) { binding_ = b; }
  Binding* binding() const { return binding_; }
  platform::WindowHandle windowHandle() const { return binding_ ? binding_->nativeHandle() : 0; }

  // The user closed the window from its title bar (or code unloaded it).
  std::function<void()> onUnload;

 private:
  friend class Control;
  std::string name_;
  std::string title_;
  int width_ = 0, height_ = 0;
  bool clientSized_ = false;
  bool visible_ = false;
  bool topMost_ = false;
  Control* focused_ = nullptr;
  std::vector<Control*> controls_;
  Binding* binding_ = nullptr;
};

}  // namespace ui
