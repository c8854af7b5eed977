// The program's three windows, wired to each other and to the one plan runner every deletion goes
// through: the application and the tests build them here, the same way.
#pragma once

#include "clean/plan_runner.h"
#include "clean/remover.h"
#include "ui/dialogs/legacy_cleaner_window.h"
#include "ui/dialogs/received_files_window.h"
#include "ui/main/main_window.h"

namespace ui {

struct ProgramPorts {
  platform::FileSystem& fs;
  platform::Registry& registry;
  platform::Shell& shell;
  platform::UiThread& uiThread;
  clean::Remover& remover;
  space::Measurer& measurer;
  platform::Environment& env;
};

class Windows {
 public:
  explicit Windows(const ProgramPorts& ports);
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;

  clean::PlanRunner runner;  // first: the windows hand it their plans until they are gone
  MainWindow main;
  LegacyCleanerWindow legacyCleaner;
  ReceivedFilesWindow receivedFiles;
};

}  // namespace ui
