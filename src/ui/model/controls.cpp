#include "ui/model/controls.h"

#include <algorithm>
#include <atomic>

#include "platform/text.h"

namespace ui {

Control::Control(Form& form, ControlKind kind, std::string name, Control* parent)
    : form_(form), kind_(kind), name_(std::move(name)), parent_(parent) {
  form_.controls_.push_back(this);
}

void Control::notify(Prop p) {
  if (Binding* b = form_.binding()) b->controlChanged(*this, p);
}

void Control::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  notify(Prop::Text);
  if (kind_ == ControlKind::TextBox && onChange) onChange();
}

void Control::userSetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  if ((kind_ == ControlKind::TextBox || kind_ == ControlKind::ComboBox) && onChange) onChange();
}

void place(Control& c, int left, int top, int width, int height, std::string text) {
  c.setRect({left, top, width, height});
  if (!text.empty()) c.setText(std::move(text));
}

void Control::setRect(Rect r) {
  rect_ = r;
  notify(Prop::Rect);
}

void Control::move(int left, int top) {
  setRect({left, top, rect_.width, rect_.height});
}

void Control::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  notify(Prop::Visible);
}

void Control::setEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  notify(Prop::Enabled);
}

bool Control::shown() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

bool Control::usable() const {
  for (const Control* c = this; c; c = c->parent())
    if (!c->enabled()) return false;
  return shown() && form_.visible();
}

void Control::setForeColor(Color c) {
  foreColor_ = c;
  notify(Prop::ForeColor);
}

void Control::setFont(Font f) {
  font_ = std::move(f);
  notify(Prop::Font);
}

void Control::setTooltip(std::string t) {
  tooltip_ = std::move(t);
  notify(Prop::Tooltip);
}

void Control::select(int start, int length) {
  selStart_ = start;
  selLength_ = length;
  notify(Prop::Selection);
}

void Control::click() {
  if (onClick) onClick();
}

void Control::mouseMove() {
  if (onMouseMove) onMouseMove();
}

void Control::typeChar(char32_t ch) {
  if (onKeyPress && !onKeyPress(ch)) return;
  std::u32string t = platform::text::decodeLossy(text_);
  auto start = static_cast<std::size_t>(std::min<int>(selStart_, static_cast<int>(t.size())));
  auto len = std::min<std::size_t>(static_cast<std::size_t>(selLength_), t.size() - start);
  if (ch == U'\b') {
    if (len == 0 && start > 0)
      t.erase(--start, 1);
    else
      t.erase(start, len);
  } else {
    if (maxLength_ > 0 && static_cast<int>(t.size() - len) >= maxLength_) return;
    t.replace(start, len, 1, ch);
    ++start;
  }
  selStart_ = static_cast<int>(start);
  selLength_ = 0;
  std::string next = platform::text::encode(t);
  if (next == text_) return;
  text_ = std::move(next);
  notify(Prop::Text);
  if (onChange) onChange();
}

void CheckBox::setValue(int v) {
  if (v == value_) return;
  value_ = v;
  notify(Prop::Value);
}

void CheckBox::userClick() {
  setValue(value() ? 0 : 1);
  click();
}

void ComboBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  notify(Prop::Items);
}

void ComboBox::clear() {
  items_.clear();
  listIndex_ = -1;
  notify(Prop::Items);
  setText("");
}

void ComboBox::setListIndex(int i) {
  if (i < 0 || i >= static_cast<int>(items_.size())) return;
  listIndex_ = i;
  setText(items_[static_cast<std::size_t>(i)]);
  notify(Prop::Selection);
  click();
}

void ProgressBar::setRange(int low, int high) {
  high = std::max(low, high);
  const int position = std::clamp(position_, low, high);
  if (low == minimum_ && high == maximum_ && position == position_) return;
  minimum_ = low;
  maximum_ = high;
  position_ = position;
  notify(Prop::Value);
}

void ProgressBar::setPosition(int position) {
  position = std::clamp(position, minimum_, maximum_);
  if (position == position_) return;
  position_ = position;
  notify(Prop::Value);
}

void ProgressBar::setProgress(std::uint64_t done, std::uint64_t total) {
  setRange(0, kSteps);
  // In floating point: byte counts times kSteps may not fit in 64 bits.
  const double share = total == 0 ? 0.0 : static_cast<double>(std::min(done, total)) / total;
  setPosition(static_cast<int>(share * kSteps));
}

Timer::Timer(platform::UiThread& host, std::string name, unsigned intervalMs, bool enabled)
    : host_(host), name_(std::move(name)), id_(platform::newTimerId()), interval_(intervalMs) {
  setEnabled(enabled);
}

Timer::~Timer() {
  if (enabled_) host_.stop(id_);
}

void Timer::arm() {
  host_.start(id_, interval_, [this] {
    if (enabled_ && onTick) onTick();
  });
}

void Timer::setEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  if (e)
    arm();
  else
    host_.stop(id_);
}

void Timer::setInterval(unsigned ms) {
  interval_ = ms;
  if (enabled_) arm();
}

void Form::setTitle(std::string t) {
  title_ = std::move(t);
  if (binding_) binding_->formChanged(*this);
}

void Form::setSize(int width, int height) {
  width_ = width;
  height_ = height;
  if (binding_) binding_->formChanged(*this);
}

void Form::show() {
  visible_ = true;
  if (binding_) binding_->formChanged(*this);
}

void Form::hide() {
  visible_ = false;
  if (binding_) binding_->formChanged(*this);
}

void Form::setTopMost(bool t) {
  topMost_ = t;
  if (binding_) binding_->formChanged(*this);
}

bool Form::setFocus(Control& c) {
  if (!visible_ || !binding_ || !binding_->focus(c)) return false;
  focused_ = &c;
  return true;
}

Control* Form::find(const std::string& name) const {
  for (Control* c : controls_)
    if (c->name() == name) return c;
  return nullptr;
}

}  // namespace ui
