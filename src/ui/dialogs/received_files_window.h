// The received-files dialog: clear the whole folder of files the account received and sent, or
// open it in the file manager to delete by hand. The main window is hidden while it is open.
#pragma once

#include <string>
#include <string_view>

#include "clean/plan_runner.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "ui/model/controls.h"
#include "ui/model/window_link.h"
#include "wechat/categories.h"

namespace ui {

class ReceivedFilesWindow : public Form {
 public:
  ReceivedFilesWindow(MainWindowLink& main, platform::FileSystem& fs, platform::Shell& shell,
                      platform::Environment& env, clean::PlanRunner& runner);

  // Opens the dialog afresh on the row's folders in the main window's account, which it keeps
  // (every opening looks again whether there is anything to clear), and hides the main window.
  // Clearing also takes the month folders of the row's per-chat folders.
  void open(const wechat::Category& row);
  // Closes the dialog, whichever way, and gives the main window back.
  void unload();

  Label question;
  Button clearAllButton, openButton;
  Button focusHolder;  // beyond the right edge; holds the focus so Enter does nothing at first

 private:
  void clearAll();
  void openByHand();

  MainWindowLink& main_;
  platform::FileSystem& fs_;
  platform::Shell& shell_;
  platform::Environment& env_;
  clean::PlanRunner& runner_;
  std::string account_, folder_;
  const wechat::Category* row_ = nullptr;
  bool clearing_ = false;  // confirmed or removing: a second click must not queue the folder again
};

}  // namespace ui
