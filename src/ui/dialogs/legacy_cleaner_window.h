// The old-version cleaner: removes the folders that WeChat 2019 and earlier left in the account
// folder, one after another with a pause after each, behind a small always-on-top window that
// closes itself when the pass is done. The main window is hidden meanwhile.
#pragma once

#include <optional>

#include "clean/plan_runner.h"
#include "platform/environment.h"
#include "platform/shell.h"
#include "platform/ui_thread.h"
#include "ui/model/controls.h"
#include "ui/model/window_link.h"

namespace ui {

class LegacyCleanerWindow : public Form {
 public:
  LegacyCleanerWindow(MainWindowLink& main, platform::Shell& shell, platform::Environment& env,
                      clean::PlanRunner& runner);

  // Runs `plan` (the old-version folders of the account the banner was shown for): a second
  // after the window shows, the first folder goes.
  void open(clean::ConfirmedPlan plan);
  // Closes the window and gives the main window back. A pass under way hands out no further
  // folder; the main window says what it did once the folders already handed out reported.
  void unload();

  Label heading, note;

 private:
  void ended(const clean::Plan& plan, const clean::RunOutcome& outcome);

  MainWindowLink& main_;
  platform::Shell& shell_;
  platform::Environment& env_;
  clean::PlanRunner& runner_;
  std::optional<clean::PlanRunner::Id> run_;  // the pass under way
};

}  // namespace ui
