// The old-version cleaner: removes the folders that WeChat 2019 and earlier left in the account
// folder, one after another with a pause after each, behind a small always-on-top window that
// closes itself when the pass is done. The main window is hidden meanwhile.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "clean/remover.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "ui/model/controls.h"
#include "ui/model/window_link.h"

namespace ui {

class LegacyCleanerWindow : public Form {
 public:
  LegacyCleanerWindow(MainWindowLink& main, platform::FileSystem& fs, platform::Shell& shell,
                      platform::Environment& env, platform::TimerHost& timers,
                      clean::Remover& remover);

  void open();
  // Closes the window and gives the main window back. A pass under way starts no further
  // folder; the removals already handed out still finish and report.
  void unload();

  Label heading, note;
  Timer pacer;  // the second before the pass, then the pause after each folder

 private:
  // One pass: the next folder of the table, the removals still out and what they left behind.
  // Reports of an earlier pass still arriving after the window was reopened count for that pass.
  struct Pass {
    std::string account;
    std::size_t next = 0;
    bool listing = true;
    int pending = 0;
    std::vector<std::string> leftBehind;
  };
  void step();
  void finish(const std::shared_ptr<Pass>& p);

  MainWindowLink& main_;
  platform::FileSystem& fs_;
  platform::Shell& shell_;
  platform::Environment& env_;
  clean::Remover& remover_;
  std::shared_ptr<Pass> pass_;  // the latest pass
};

}  // namespace ui
