#include "ui/windows/windows.h"

namespace ui {

Windows::Windows(const ProgramPorts& p)
    : runner(p.uiThread, p.remover),
      main({p.fs, p.registry, p.shell, p.uiThread, runner, p.measurer, p.env}),
      legacyCleaner(main, p.shell, p.env, runner),
      receivedFiles(main, p.fs, p.shell, p.env, runner) {
  main.openReceivedFiles = [this](const wechat::Category& row) { receivedFiles.open(row); };
  main.openLegacyCleaner = [this](clean::ConfirmedPlan plan) {
    legacyCleaner.open(std::move(plan));
  };
}

}  // namespace ui
