// Fakes for the registry, the shell (processes, message boxes, folder picker), the removal engine
// and the measurer, recording what the forms asked of them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "clean/removal_rules.h"
#include "clean/remover.h"
#include "fakes/fake_file_system.h"
#include "fakes/virtual_clock.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "space/measurer.h"

namespace fakes {

class FakeRegistry : public platform::Registry {
 public:
  std::map<std::string, std::string> values;  // "key\\value" -> data
  std::optional<std::string> readUserString(const std::string& key,
                                            const std::string& value) override {
    const auto it = values.find(key + "\\" + value);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
};

struct MessageBoxCall {
  std::string text, title;
  platform::Buttons buttons;
  platform::WindowHandle owner;
};

class FakeShell : public platform::Shell {
 public:
  std::vector<std::string> processes;  // their command lines
  std::vector<MessageBoxCall> boxes;
  std::string pickerResult;
  std::string decimal = ".";
  // Answers each box; may advance the clock to let timers tick while it is "open".
  std::function<platform::Answer(const MessageBoxCall&)> answer = [](const MessageBoxCall&) {
    return platform::Answer::Ok;
  };

  bool startProcess(const std::string& commandLine, platform::ShowStyle) override {
    processes.push_back(commandLine);
    return true;
  }
  platform::Answer messageBox(const std::string& text, const std::string& title,
                              platform::Buttons buttons, platform::Icon,
                              platform::WindowHandle owner) override {
    boxes.push_back({text, title, buttons, owner});
    return answer(boxes.back());
  }
  std::string browseForFolder(const std::string&) override { return pickerResult; }
  std::string decimalSeparator() override { return decimal; }
  std::string windowsFolder() override { return "C:\\Windows"; }
};

// Jobs that run as soon as they are given, or, with `hold` set, wait until released, so tests can
// look at the window while one runs and deliver them late and out of order.
template <typename Job>
class Holding {
 public:
  bool hold = false;
  void release() {  // every held one, the oldest first
    while (!held_.empty()) releaseAt(0);
  }
  void releaseAt(std::size_t index) {  // any one, by its place among them (modulo their count)
    if (held_.empty()) return;
    Job job = std::move(held_[index % held_.size()]);
    held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index % held_.size()));
    perform(job);
  }

 protected:
  virtual ~Holding() = default;
  void take(Job job) {
    held_.push_back(std::move(job));
    if (!hold) release();
  }
  virtual void perform(Job& job) = 0;

 private:
  std::vector<Job> held_;
};

struct RemovalJob {
  std::string target, accountRoot;
  bool ifEmpty = false;
  clean::Remover::Done done{};
  clean::Remover::Progress progress{};
  std::size_t index = 0;
  bool reported = false;  // its report has reached the caller
};

// Removes from the fake file system under the engine's safety rules, leaving locked files (and
// their folders) and links behind, and reports through the clock's post queue as the real engine
// reports through the UI thread. Everything goes at once: one progress report before the end.
class FakeRemover : public clean::Remover, public Holding<RemovalJob> {
 public:
  FakeRemover(FakeFileSystem& fs, VirtualClock& clock) : fs_(fs), clock_(clock) {}
  void remove(const std::string& target, const std::string& accountRoot, Done done,
              Progress progress) override {
    add({target, accountRoot, false, std::move(done), std::move(progress)});
  }
  void removeIfEmpty(const std::string& target, const std::string& accountRoot,
                     Done done) override {
    add({target, accountRoot, true, std::move(done)});
  }

  using Job = RemovalJob;
  std::vector<Job> jobs;  // every one asked for, without its callbacks

 private:
  void perform(Job& job) override {
    clean::RemovalReport report;
    report.target = job.target;
    if (!clean::checkTarget(job.target, job.accountRoot, platform::PathStyle::Windows).allowed()) {
      report.refused = true;
    } else if (job.ifEmpty) {
      report.gone = !fs_.exists(job.target) || fs_.list(job.target).empty();
      if (report.gone) fs_.remove(job.target);
      if (!report.gone) report.firstReason = platform::RemovalReason::NotEmpty;
    } else {
      const std::uint64_t before = fs_.bytesAt(job.target);
      const FakeFileSystem::Removed left = fs_.remove(job.target);
      report.remaining = left.entries;
      report.remainingFiles = left.files;
      report.gone = !fs_.exists(job.target);
      report.removedBytes = before - fs_.bytesAt(job.target);
      report.removedFiles = left.removedFiles;
      if (!report.gone)
        report.firstReason =
            left.links ? platform::RemovalReason::LinkKept : platform::RemovalReason::InUse;
      if (job.progress)
        clock_.post([progress = std::move(job.progress), files = report.removedFiles,
                     bytes = report.removedBytes] { progress(files, bytes); });
    }
    clock_.post([this, i = job.index, done = std::move(job.done), report] {
      jobs[i].reported = true;
      done(report);
    });
  }
  void add(Job job) {
    job.index = jobs.size();
    jobs.push_back({job.target, job.accountRoot, job.ifEmpty});
    take(std::move(job));
  }
  FakeFileSystem& fs_;
  VirtualClock& clock_;
};

// Runs measuring jobs on the fake file system and reports through the clock's post queue, as the
// real one reports through the UI thread.
class FakeMeasurer : public space::Measurer, public Holding<space::Measurer::Job> {
 public:
  FakeMeasurer(FakeFileSystem& fs, VirtualClock& clock) : fs_(fs), clock_(clock) {}
  void run(Measurer::Job job) override { take(std::move(job)); }

 private:
  void perform(Measurer::Job& job) override {
    if (auto then = job([this](const std::string& path) { return fs_.measure(path); }))
      clock_.post(std::move(then));
  }
  FakeFileSystem& fs_;
  VirtualClock& clock_;
};

}  // namespace fakes
