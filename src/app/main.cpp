// Velmora's entry point: one instance per session, the real ports, the three windows, and the
// message loop that runs every event of the program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "clean/removal_engine.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/remove_win32.h"
#include "platform/win32/shell.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/timer_host.h"
#include "platform/win32/walk_win32.h"
#include "space/walker.h"
#include "ui/main/form1.h"
#include "ui/win32/dpi.h"
#include "ui/win32/form_window.h"

namespace {

int run() {
  // A second instance ends before it shows anything, and says nothing.
  platform::win32::SingleInstance instance;
  if (instance.alreadyRunning()) return 0;

  ui::win32::enablePerMonitorDpiAwareness();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // The folder picker is a COM object and wants a single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  const auto walker = platform::win32::makeWalkBackend();
  platform::win32::Win32FileSystem fs(
      [&walker](const std::string& path) { return space::walkFolder(*walker, path); });
  platform::win32::Win32Registry registry;
  platform::win32::Win32Shell shell;
  platform::win32::Win32TimerHost timers;
  // Declared after the timer host: the engine's last reports are posted to it as it shuts down.
  const std::unique_ptr<clean::Remover> remover =
      clean::makeRemovalEngine(timers, platform::win32::makeRemovalBackend());
  const ui::Ports ports{fs, registry, shell, timers, *remover};

  int code = 0;
  {
    ui::Form1 form1(ports);
    ui::win32::FormWindow main(form1);
    ui::win32::FormWindow legacy(form1.form2());
    ui::win32::FormWindow received(form1.form3());
    // Closing the main window ends the program, after whatever the form does on unload.
    form1.onUnload = [&form1, unload = std::move(form1.onUnload)] {
      if (unload) unload();
      form1.hide();
      PostQuitMessage(0);
    };
    form1.load();
    form1.show();
    code = ui::win32::runMessageLoop();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return run();
  } catch (...) {
    return 1;
  }
}
