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

std::string FakeShell::browseForFolder(const std::string& title) {
  pickerTitles.push_back(title);
  return pickerResult;
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

namespace {
std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}
// Whether `path` lies below `base` (no trailing backslash), names compared without case.
bool below(const std::string& path, const std::string& base) {
  return path.size() > base.size() && path[base.size()] == '\\' &&
         upper(path.substr(0, base.size())) == upper(base);
}
}  // namespace

void FakeRemover::run(const std::string& target, Done done) {
  clean::RemovalReport report;
  report.target = target;
  std::string base = target;
  while (!base.empty() && base.back() == '\\') base.pop_back();
  // Locked files stay; everything else below the target goes.
  std::uint64_t remaining = 0;
  for (const auto& p : fs_.paths()) {
    if (below(p, base) && fs_.isLocked(p)) ++remaining;
  }
  if (remaining == 0) {
    fs_.remove(target);
  } else {
    for (const auto& p : fs_.paths())
      if (below(p, base) && !fs_.isLocked(p) && !fs_.isDirectory(p)) fs_.remove(p);
  }
  report.gone = !fs_.exists(target);
  report.remaining = remaining;
  if (!report.gone) report.firstReason = "正在使用";
  clock_.post([done = std::move(done), report] { done(report); });
}

}  // namespace fakes
