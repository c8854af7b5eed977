// Fakes for the shell (processes, message boxes, folder picker), the removal engine and the
// measurer, recording what the forms asked of them.
#pragma once

#include <vector>

#include "clean/remover.h"
#include "fakes/fake_file_system.h"
#include "fakes/virtual_clock.h"
#include "platform/shell.h"
#include "space/measurer.h"

namespace fakes {

struct MessageBoxCall {
  std::string text, title;
  platform::Buttons buttons;
  platform::WindowHandle owner;
};

class FakeShell : public platform::Shell {
 public:
  std::vector<std::string> processes;  // their command lines
  std::vector<MessageBoxCall> boxes;
  std::string pickerResult, decimal = ".";
  // Answers each box (OK when unset); may advance the clock to let timers tick while it is "open".
  std::function<platform::Answer(const MessageBoxCall&)> answer;

  bool startProcess(const std::string& commandLine, platform::ShowStyle) override {
    processes.push_back(commandLine);
    return true;
  }
  platform::Answer messageBox(const std::string& text, const std::string& title,
                              platform::Buttons buttons, platform::Icon,
                              platform::WindowHandle owner) override {
    boxes.push_back({text, title, buttons, owner});
    return answer ? answer(boxes.back()) : platform::Answer::Ok;
  }
  std::string browseForFolder(const std::string&) override { return pickerResult; }
  std::string decimalSeparator() override { return decimal; }
  std::string windowsFolder() override { return "C:\\Windows"; }
};

// Work on the fake file system that runs as soon as it is given, or, with `hold` set, waits until
// released, so tests can look at the window while it runs and deliver it late and out of order.
// It reports through the clock's post queue, as the real engines report through the UI thread.
class FakeEngine {
 public:
  FakeEngine(FakeFileSystem& fs, VirtualClock& clock) : fs_(fs), clock_(clock) {}
  bool hold = false;
  void release() {  // all that is held, the oldest first
    while (!held_.empty()) releaseAt(0);
  }
  void releaseAt(std::size_t index) {  // any one, by its place among them (modulo their count)
    if (held_.empty()) return;
    const auto it = held_.begin() + static_cast<std::ptrdiff_t>(index % held_.size());
    const std::function<void()> work = std::move(*it);
    held_.erase(it);
    work();
  }

 protected:
  void take(std::function<void()> work) {
    held_.push_back(std::move(work));
    if (!hold) release();
  }
  FakeFileSystem& fs_;
  VirtualClock& clock_;

 private:
  std::vector<std::function<void()>> held_;
};

// Removes as the engine does, leaving locked files (and their folders) and links behind. Everything
// goes at once: one progress report before the end.
class FakeRemover : public clean::Remover, public FakeEngine {
 public:
  using FakeEngine::FakeEngine;
  void remove(const std::string& target, const std::string& accountRoot, Done done,
              Progress progress) override {
    add({target, accountRoot, false, std::move(done), std::move(progress)});
  }
  void removeIfEmpty(const std::string& target, const std::string& accountRoot,
                     Done done) override {
    add({target, accountRoot, true, std::move(done)});
  }

  struct Job {
    std::string target, accountRoot;
    bool ifEmpty = false;
    Done done{};
    Progress progress{};
    bool reported = false;  // its report has reached the caller
  };
  std::vector<Job> jobs;  // every one asked for

 private:
  void add(Job job) {
    jobs.push_back(std::move(job));
    take([this, i = jobs.size() - 1] { perform(i); });
  }
  void perform(std::size_t i) {
    Job& job = jobs[i];
    clean::RemovalReport report{job.target};
    if (job.ifEmpty && !fs_.list(job.target).empty()) {
      report.firstReason = platform::RemovalReason::NotEmpty;
    } else {
      report = fs_.remove(job.target);
      if (job.progress)
        clock_.post([progress = std::move(job.progress), files = report.removedFiles,
                     bytes = report.removedBytes] { progress(files, bytes); });
    }
    clock_.post([this, i, done = std::move(job.done), report] {
      jobs[i].reported = true;
      done(report);
    });
  }
};

class FakeMeasurer : public space::Measurer, public FakeEngine {
 public:
  using FakeEngine::FakeEngine;
  void run(Measurer::Job job) override {
    take([this, job = std::move(job)] {
      if (auto then = job([this](const std::string& path) { return fs_.measure(path); }))
        clock_.post(std::move(then));
    });
  }
};

}  // namespace fakes
