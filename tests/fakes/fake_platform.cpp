#include "fakes/fake_platform.h"

namespace fakes {

std::optional<std::string> FakeRegistry::readUserString(const std::string& key,
                                                        const std::string& value) {
  reads.push_back(key + "\\" + value);
  auto it = values.find(key + "\\" + value);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

bool FakeShell::startProcess(const std::string& commandLine, platform::ShowStyle style) {
  processes.emplace_back(commandLine, style);
  return true;
}

int FakeShell::messageBox(const std::string& text, const std::string& title, unsigned style) {
  boxes.push_back({text, title, style});
  return answer(boxes.back());
}

void FakeRemover::remove(const std::string& target, const std::string& accountRoot, Done done) {
  jobs.push_back({target, accountRoot});
  if (hold)
    held_.emplace_back(target, std::move(done));
  else
    run(target, std::move(done));
}

void FakeRemover::release() {
  auto held = std::move(held_);
  held_.clear();
  for (auto& [target, done] : held) run(target, std::move(done));
}

void FakeRemover::run(const std::string& target, Done done) {
  clean::RemovalReport report;
  report.target = target;
  report.remaining = fs_.remove(target);
  report.gone = !fs_.exists(target);
  if (!report.gone) report.firstReason = platform::RemovalReason::InUse;
  clock_.post([done = std::move(done), report] { done(report); });
}

}  // namespace fakes
