#include "fakes/fake_platform.h"

#include "clean/removal_rules.h"

namespace fakes {

std::optional<std::string> FakeRegistry::readUserString(const std::string& key,
                                                        const std::string& value) {
  auto it = values.find(key + "\\" + value);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

bool FakeShell::startProcess(const std::string& commandLine, platform::ShowStyle style) {
  processes.emplace_back(commandLine, style);
  return true;
}

platform::Answer FakeShell::messageBox(const std::string& text, const std::string& title,
                                       platform::Buttons buttons, platform::Icon icon,
                                       platform::WindowHandle owner) {
  boxes.push_back({text, title, buttons, icon, owner});
  return answer(boxes.back());
}

void FakeRemover::remove(const std::string& target, const std::string& accountRoot, Done done,
                         Progress progress) {
  jobs.push_back({target, accountRoot, false});
  held_.push_back({target, accountRoot, false, std::move(done), std::move(progress)});
  if (!hold) release();
}

void FakeRemover::removeIfEmpty(const std::string& target, const std::string& accountRoot,
                                Done done) {
  jobs.push_back({target, accountRoot, true});
  held_.push_back({target, accountRoot, true, std::move(done), {}});
  if (!hold) release();
}

void FakeRemover::release(std::size_t jobs) {
  const auto end = held_.begin() + static_cast<std::ptrdiff_t>(std::min(jobs, held_.size()));
  std::vector<Held> now(std::make_move_iterator(held_.begin()), std::make_move_iterator(end));
  held_.erase(held_.begin(), end);
  for (Held& job : now) run(job);
}

void FakeRemover::releaseAt(std::size_t index) {
  if (index >= held_.size()) return;
  Held job = std::move(held_[index]);
  held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index));
  run(job);
}

// Everything is removed at once, so the whole removal is one progress report before the end.
void FakeRemover::run(Held& job) {
  clean::RemovalReport report;
  report.target = job.target;
  const clean::TargetCheck check =
      clean::checkTarget(job.target, job.accountRoot, platform::PathStyle::Windows);
  if (!check.allowed()) {
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
  clock_.post([done = std::move(job.done), report] { done(report); });
}

void FakeMeasurer::run(Job job) {
  held_.push_back(std::move(job));
  if (!hold) release();
}

void FakeMeasurer::release(std::size_t count) {
  const auto end = held_.begin() + static_cast<std::ptrdiff_t>(std::min(count, held_.size()));
  std::vector<Job> now(std::make_move_iterator(held_.begin()), std::make_move_iterator(end));
  held_.erase(held_.begin(), end);
  const Walk walk = [this](const std::string& path) { return fs_.measure(path); };
  for (auto& job : now)
    if (auto then = job(walk)) clock_.post(std::move(then));
}

void FakeMeasurer::releaseAt(std::size_t index) {
  if (index >= held_.size()) return;
  Job job = std::move(held_[index]);
  held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index));
  const Walk walk = [this](const std::string& path) { return fs_.measure(path); };
  if (auto then = job(walk)) clock_.post(std::move(then));
}

}  // namespace fakes
