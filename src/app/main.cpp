// Velmora's entry point: one instance per session, the real ports, the three windows, and the
// message loop that runs every event of the program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "clean/removal_engine.h"
#include "platform/win32/environment.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handle.h"
#include "platform/win32/registry.h"
#include "platform/win32/remove_win32.h"
#include "platform/win32/shell.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/ui_thread.h"
#include "platform/win32/walk_win32.h"
#include "platform/win32/wide.h"
#include "space/measurer.h"
#include "space/walker.h"
#include "ui/win32/dpi.h"
#include "ui/win32/form_window.h"
#include "ui/windows/windows.h"

namespace {

int run() {
  // A second instance ends before it shows anything, and says nothing.
  platform::win32::SingleInstance instance;
  if (instance.alreadyRunning()) return 0;

  ui::win32::enablePerMonitorDpiAwareness();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // The folder picker is a COM object and wants a single-threaded apartment; this is the one
  // place COM is initialised.
  const platform::win32::unique_couninitialize_call com(COINIT_APARTMENTTHREADED |
                                                        COINIT_DISABLE_OLE1DDE);

  platform::win32::Win32FileSystem fs;
  platform::win32::Win32Environment environment;
  const auto walker = platform::win32::makeWalkBackend();
  platform::win32::Win32Registry registry;
  platform::win32::Win32Shell shell;
  platform::win32::Win32UiThread uiThread;
  // Declared after the timer host: the engines' last reports are posted to it as they shut down.
  const std::unique_ptr<clean::Remover> remover =
      clean::makeRemovalEngine(uiThread, platform::win32::makeRemovalBackend());
  const std::unique_ptr<space::Measurer> measurer = space::makeBackgroundMeasurer(
      uiThread, [&walker](const std::string& path, const std::atomic<bool>& stop) {
        return space::walkFolder(*walker, path, 0, &stop);
      });

  int code = 0;
  {
    ui::Windows windows({fs, registry, shell, uiThread, *remover, *measurer, environment});
    ui::MainWindow& mainWindow = windows.main;
    ui::win32::FormWindow main(mainWindow);
    // The dialogs' windows are made when first opened: the main window shows sooner without
    // them, and most runs never open either.
    std::optional<ui::win32::FormWindow> legacy, received;
    mainWindow.openReceivedFiles =
        [&, open = std::move(mainWindow.openReceivedFiles)](const wechat::Category& row) {
          if (!received) received.emplace(windows.receivedFiles);
          open(row);
        };
    mainWindow.openLegacyCleaner =
        [&, open = std::move(mainWindow.openLegacyCleaner)](clean::ConfirmedPlan plan) {
          if (!legacy) legacy.emplace(windows.legacyCleaner);
          open(std::move(plan));
        };
    // Closing the main window ends the program, after whatever the form does on unload. An open
    // question is cancelled first: ending its box otherwise reads as OK.
    mainWindow.onUnload = [&mainWindow, unload = std::move(mainWindow.onUnload)] {
      platform::win32::Win32Shell::cancelOpenBoxes();
      if (unload) unload();
      mainWindow.hide();
      PostQuitMessage(0);
    };
    mainWindow.load();
    mainWindow.show();
    code = ui::win32::runMessageLoop();
  }
  return code;
}

}  // namespace

// A window, thread or handle the program cannot go on without could not be had: it says so, rather
// than sit invisible in its message loop.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::string error;
  try {
    return run();
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown error";
  }
  const std::wstring text = platform::win32::widen("Velmora 无法运行：" + error);
  MessageBoxW(nullptr, text.c_str(), platform::win32::widen(ui::kAppTitle).c_str(),
              MB_OK | MB_ICONERROR);
  return 1;
}
