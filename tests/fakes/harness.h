// The three windows wired to fakes and to each other as the application wires them, with helpers
// that build WeChat data trees.
#pragma once

#include <string>

#include "fakes/fake_environment.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_platform.h"
#include "fakes/virtual_clock.h"
#include "ui/windows/windows.h"

namespace fakes {

inline constexpr const char* kDocs = "C:\\Users\\u\\Documents";
inline constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\Personal";
inline constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders\\Personal";

// Stands in for a form's window: takes the focus wherever the form moves it, and has a handle of
// its own that message boxes are owned by.
struct FocusTaker : ui::Binding {
  explicit FocusTaker(platform::WindowHandle h) : handle(h) {}
  void controlChanged(ui::Control&, ui::Prop) override {}
  void formChanged(ui::Form&) override {}
  bool focus(ui::Control&) override { return true; }
  platform::WindowHandle nativeHandle() const override { return handle; }
  platform::WindowHandle handle;
};

struct Harness {
  FakeFileSystem fs;
  FakeRegistry registry;
  FakeShell shell;
  VirtualClock clock;
  FakeRemover remover{fs, clock};
  FakeMeasurer measurer{fs, clock};
  FakeEnvironment env;
  ui::Windows windows{{fs, registry, shell, clock, remover, measurer, env}};
  ui::MainWindow& form = windows.main;
  ui::LegacyCleanerWindow& legacyCleaner = windows.legacyCleaner;
  ui::ReceivedFilesWindow& receivedFiles = windows.receivedFiles;
  FocusTaker window{1}, legacyWindow{2}, receivedWindow{3};
  Harness() {
    form.bind(&window);
    legacyCleaner.bind(&legacyWindow);
    receivedFiles.bind(&receivedWindow);
  }

  // Row `number` (1 for the first) of the grid.
  ui::MainWindow::CategoryRow& row(int number) {
    return *form.grid.rows[static_cast<std::size_t>(number - 1)];
  }

  std::string weChatFiles() const { return std::string(kDocs) + "\\WeChat Files"; }
  std::string account(const std::string& name) const { return weChatFiles() + "\\" + name; }

  // A current-layout account (Msg + FileStorage) and, optionally, the legacy Image folder.
  void addAccount(const std::string& name, bool legacy = false) {
    fs.addDir(account(name) + "\\Msg");
    fs.addDir(account(name) + "\\FileStorage");
    if (legacy) fs.addDir(account(name) + "\\Image");
  }
  // The i-th month folder name from 2022-01 on.
  static std::string month(int i) {
    const int m = 1 + i % 12;
    return std::to_string(2022 + i / 12) + (m < 10 ? "-0" : "-") + std::to_string(m);
  }
  // Month folders 2022-01 … of a category, one file of `bytes` in each, created newest first:
  // the fake lists in creation order, so only code that sorts gets the months right.
  void addMonths(const std::string& folder, int count, std::uint64_t bytes = 100) {
    for (int i = count - 1; i >= 0; --i) fs.addFile(folder + "\\" + month(i) + "\\f.dat", bytes);
  }
  // Starts the program with Documents in the registry and runs discovery, validation and the
  // scan, stopping before the tip clearer's first tick would wipe "计算结束".
  void startAndSettle(std::uint64_t ms = 4500) {
    registry.values[kShellFolders] = kDocs;
    form.load();
    form.show();
    clock.advance(ms);
  }
};

}  // namespace fakes
