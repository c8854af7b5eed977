#include "fakes/fake_platform.h"

#include "clean/removal_rules.h"

namespace fakes {

// Everything is removed at once, so the whole removal is one progress report before the end.
void FakeRemover::perform(Job& job) {
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

}  // namespace fakes
