// Fakes for the registry, the shell (processes, message boxes, folder picker, sleep) and the
// removal engine, recording what the forms asked of them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

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
                                            const std::string& value) override;
};

struct MessageBoxCall {
  std::string text, title;
  platform::Buttons buttons;
  platform::Icon icon;
  platform::WindowHandle owner;
};

class FakeShell : public platform::Shell {
 public:
  std::vector<std::pair<std::string, platform::ShowStyle>> processes;
  std::vector<MessageBoxCall> boxes;
  std::string pickerResult;
  std::string decimal = ".";
  // Answers each box; may advance the clock to let timers tick while it is "open".
  std::function<platform::Answer(const MessageBoxCall&)> answer = [](const MessageBoxCall&) {
    return platform::Answer::Ok;
  };

  bool startProcess(const std::string& commandLine, platform::ShowStyle style) override;
  platform::Answer messageBox(const std::string& text, const std::string& title,
                              platform::Buttons buttons, platform::Icon icon,
                              platform::WindowHandle owner) override;
  std::string browseForFolder(const std::string&) override { return pickerResult; }
  std::string decimalSeparator() override { return decimal; }
  std::string windowsFolder() override { return "C:\\Windows"; }
};

// Removes from the fake file system under the engine's safety rules, leaving locked files (and
// their folders) and links behind, and reports through the clock's post queue as the real engine
// reports through the UI thread. With `hold` set, jobs wait until release() so tests can look at
// the window while one runs.
class FakeRemover : public clean::Remover {
 public:
  FakeRemover(FakeFileSystem& fs, VirtualClock& clock) : fs_(fs), clock_(clock) {}
  void remove(const std::string& target, const std::string& accountRoot, Done done,
              Progress progress) override;
  void removeIfEmpty(const std::string& target, const std::string& accountRoot, Done done) override;
  void release(std::size_t jobs = SIZE_MAX);  // the oldest held jobs
  void releaseAt(std::size_t index);          // one held job, in any order
  std::size_t heldCount() const { return held_.size(); }

  struct Job {
    std::string target, accountRoot;
    bool ifEmpty = false;
  };
  std::vector<Job> jobs;
  bool hold = false;

 private:
  struct Held {
    std::string target, accountRoot;
    bool ifEmpty;
    Done done;
    Progress progress;
  };
  void run(Held& job);
  FakeFileSystem& fs_;
  VirtualClock& clock_;
  std::vector<Held> held_;
};

// Runs measuring jobs on the fake file system and reports through the clock's post queue, as the
// real one reports through the UI thread. With `hold` set, jobs wait until release().
class FakeMeasurer : public space::Measurer {
 public:
  FakeMeasurer(FakeFileSystem& fs, VirtualClock& clock) : fs_(fs), clock_(clock) {}
  void run(Job job) override;
  void release(std::size_t jobs = SIZE_MAX);  // the oldest held ones
  void releaseAt(std::size_t index);          // one held job, in any order
  std::size_t heldCount() const { return held_.size(); }

  bool hold = false;

 private:
  FakeFileSystem& fs_;
  VirtualClock& clock_;
  std::vector<Job> held_;
};

}  // namespace fakes
