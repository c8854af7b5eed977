// What the dialogs need of the main window: the account it works on, hiding it while a dialog
// stands in its place, and saying and measuring again what a dialog cleaned. The application wires
// the windows together through this, so neither the main window nor a dialog knows the other's
// class.
#pragma once

#include <string>

#include "platform/shell.h"

namespace wechat {
struct Category;
}

namespace ui {

class MainWindowLink {
 public:
  // The chosen account's folder, no trailing backslash; empty while none is chosen.
  virtual const std::string& accountPath() const = 0;
  virtual void hideMain() = 0;
  virtual void showMain() = 0;
  // The main window, for questions asked once a dialog is gone.
  virtual platform::WindowHandle mainHandle() const = 0;
  // A dialog's deletion in `account` ended: the main window says `said` in its status line and,
  // if it still shows that account, measures it (and `row`, when given) again.
  virtual void deletionEnded(const std::string& account, const std::string& said,
                             const wechat::Category* row) = 0;

 protected:
  ~MainWindowLink() = default;
};

// Texts every window of the program shares.
inline constexpr const char* kAppTitle = "Velmora2023.02版";
inline constexpr const char* kConfirmTitle = "想确认下";
// A second click on a deletion already being confirmed or run gets this instead of a second one.
inline constexpr const char* kBusyCleaning = "正在清理中，请等这一轮清理结束后再试";

}  // namespace ui
