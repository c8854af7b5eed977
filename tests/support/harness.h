// The native tests' one support layer: the three windows wired to the fakes and to each other as
// the application wires them, and what the tests say again and again: month names, an account, a
// row's figures, what was handed to the remover.
#pragma once

#include "fakes/fake_environment.h"
#include "fakes/fake_platform.h"
#include "ui/windows/windows.h"

namespace support {

inline constexpr const char* kDocs = "C:\\Users\\u\\Documents";
inline const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
inline const std::string kShellFolders = kExplorer + "Shell Folders\\Personal";
inline const std::string kUserShellFolders = kExplorer + "User Shell Folders\\Personal";

// The i-th month folder name from 2022-01 on.
inline std::string month(int i) {
  const int m = 1 + i % 12;
  return std::to_string(2022 + i / 12) + (m < 10 ? "-0" : "-") + std::to_string(m);
}
// A month folder's name: four digits, "-", 01 to 12.
inline bool isMonth(const std::string& n) {
  auto digits = [](char c) { return c >= '0' && c <= '9'; };
  return n.size() == 7 && n[4] == '-' && std::count_if(n.begin(), n.end(), digits) == 6 &&
         n.substr(5) >= "01" && n.substr(5) <= "12";
}

// Stands in for a form's window: takes the focus wherever the form moves it, and has a handle of
// its own that message boxes are owned by.
struct FocusTaker : ui::Binding {
  explicit FocusTaker(platform::WindowHandle h, ui::Form* form = nullptr) : handle(h) {
    if (form) form->bind(this);
  }
  void controlChanged(ui::Control&, ui::Prop) override {}
  void formChanged(ui::Form&) override {}
  bool focus(ui::Control&) override { return true; }
  platform::WindowHandle nativeHandle() const override { return handle; }
  platform::WindowHandle handle;
};

struct Harness {
  fakes::FakeFileSystem fs;
  fakes::FakeRegistry registry;
  fakes::FakeShell shell;
  fakes::VirtualClock clock;
  fakes::FakeRemover remover{fs, clock};
  fakes::FakeMeasurer measurer{fs, clock};
  fakes::FakeEnvironment env;
  ui::Windows windows{{fs, registry, shell, clock, remover, measurer, env}};
  ui::MainWindow& form = windows.main;
  ui::LegacyCleanerWindow& legacyCleaner = windows.legacyCleaner;
  ui::ReceivedFilesWindow& receivedFiles = windows.receivedFiles;
  FocusTaker window{1, &form}, legacyWindow{2, &legacyCleaner}, receivedWindow{3, &receivedFiles};

  // Row `number` (1 for the first) of the grid, and its figures as shown: size, then count.
  ui::MainWindow::CategoryRow& row(int number) {
    return *form.grid.rows[static_cast<std::size_t>(number - 1)];
  }
  std::string figures(int number) {
    return row(number).size.text() + " " + row(number).count.text();
  }

  std::string weChatFiles() const { return std::string(kDocs) + "\\WeChat Files"; }
  std::string account(const std::string& name) const { return weChatFiles() + "\\" + name; }
  // An account of WeChat 3.x.
  void addAccount(const std::string& name) {
    for (const char* folder : {"\\Msg", "\\FileStorage"}) fs.addDir(account(name) + folder);
  }
  // Month folders 2022-01 … of a category, one file of `bytes` in each, created newest first:
  // the fake lists in creation order, so only code that sorts gets the months right.
  void addMonths(const std::string& folder, int count, std::uint64_t bytes = 100) {
    for (int i = count - 1; i >= 0; --i) fs.addFile(folder + "\\" + month(i) + "\\f.dat", bytes);
  }
  // Starts the program with Documents in the registry and runs discovery, validation and the
  // scan, stopping before the tip clearer's first tick would wipe "计算结束".
  void startAndSettle() {
    registry.values[kShellFolders] = kDocs;
    form.load();
    form.show();
    clock.advance(4500);
  }

  // What whole removals were handed out (the empty-month follow-ups left out), below `root`.
  std::vector<std::string> removedTargets(const std::string& root = "") const {
    std::vector<std::string> out;
    for (const auto& j : remover.jobs)
      if (!j.ifEmpty) out.push_back(j.target.substr(root.size()));
    return out;
  }
};

}  // namespace support
