#include "clean/plan_runner.h"

#include <algorithm>
#include <vector>

#include "platform/path.h"
#include "platform/text.h"

namespace clean {

namespace {

constexpr unsigned kStepMs = 1000;  // a month pass's pace, and the old-version cleaner's start

struct Step {
  std::vector<std::pair<const PlanItem*, Takes>> items;
  unsigned pauseMs = kStepMs;  // before the next step
};

std::vector<Step> stepsOf(const Plan& plan) {
  std::vector<std::pair<const PlanItem*, Takes>> all;
  for (const auto& g : plan.groups)
    for (const auto& item : g.items) all.emplace_back(&item, g.takes);
  // Oldest month first, whatever group a folder is in: a pass stopped early leaves the newest.
  std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
    return platform::text::lessNoCase(a.first->month, b.first->month);
  });
  std::vector<Step> steps;
  for (const auto& entry : all) {
    const bool sameMonth =
        plan.pacing == Pacing::ByMonth && !steps.empty() &&
        platform::text::equalNoCase(steps.back().items.front().first->month, entry.first->month);
    if (plan.pacing == Pacing::AtOnce && !steps.empty()) {
      steps.back().items.push_back(entry);
    } else if (sameMonth) {
      steps.back().items.push_back(entry);
    } else {
      steps.push_back({{entry}, plan.pacing == Pacing::Rested ? entry.first->pauseMs : kStepMs});
    }
  }
  return steps;
}

}  // namespace

struct PlanRunner::Run {
  PlanRunner::Id id = 0;
  std::shared_ptr<const Plan> plan;
  std::vector<Step> steps;
  std::size_t next = 0;
  platform::UiThread::Id timer = platform::newTimerId();
  bool handingOut = true;
  int out = 0;          // removals handed out and not yet reported
  int stepOut = 0;      // of them, the last step's folders
  bool posted = false;  // the next step is on its way
  RunProgress progress;
  RunOutcome outcome;
  OnProgress onProgress;
  OnDone onDone;
};

PlanRunner::PlanRunner(platform::UiThread& ui, Remover& remover) : ui_(ui), remover_(remover) {}

PlanRunner::~PlanRunner() {
  for (auto& [id, run] : runs_) ui_.stop(run->timer);
}

PlanRunner::Id PlanRunner::run(ConfirmedPlan confirmed, OnProgress progress, OnDone done) {
  auto run = std::make_shared<Run>();
  run->id = next_++;
  run->plan = confirmed.shared();
  run->steps = stepsOf(*run->plan);
  run->progress.items = run->plan->itemCount();
  run->outcome.nothingThere = run->progress.items == 0;
  run->onProgress = std::move(progress);
  run->onDone = std::move(done);
  runs_[run->id] = run;
  if (run->plan->pacing == Pacing::AtOnce) {
    step(run);
  } else {
    // The first folder goes one step after the answer, as every step after it.
    std::weak_ptr<Run> weak = run;
    ui_.start(run->timer, kStepMs, [this, weak] {
      if (auto r = weak.lock()) step(r);
    });
  }
  return run->id;
}

void PlanRunner::stop(Id id) {
  auto it = runs_.find(id);
  if (it == runs_.end()) return;
  const std::shared_ptr<Run> run = it->second;
  if (!run->handingOut) return;
  ui_.stop(run->timer);
  run->handingOut = false;
  run->outcome.stopped = run->next < run->steps.size();
  finishIfDone(run);
}

void PlanRunner::step(const std::shared_ptr<Run>& run) {
  if (!run->handingOut) return;
  if (run->next >= run->steps.size()) {
    ui_.stop(run->timer);
    run->handingOut = false;
    return finishIfDone(run);
  }
  const Step& step = run->steps[run->next++];
  const PlanItem& first = *step.items.front().first;
  run->progress.folder = first.path;
  run->progress.month = run->plan->pacing == Pacing::ByMonth ? first.month : "";
  run->progress.monthFolders = step.items.size();
  if (run->onProgress) run->onProgress(run->progress);
  run->stepOut = static_cast<int>(step.items.size());
  for (const auto& [item, takes] : step.items) handOut(run, *item, takes);
  if (run->plan->pacing == Pacing::AtOnce) {
    run->handingOut = false;
    return finishIfDone(run);
  }
  if (run->plan->pacing == Pacing::Rested) {
    std::weak_ptr<Run> weak = run;
    ui_.start(run->timer, step.pauseMs, [this, weak] {
      if (auto r = weak.lock()) this->step(r);
    });
  }
}

void PlanRunner::handOut(const std::shared_ptr<Run>& run, const PlanItem& item, Takes takes) {
  ++run->out;
  // A removal reports running totals; the run sums the growth of each of its removals.
  auto seen = std::make_shared<std::pair<std::uint64_t, std::uint64_t>>(0, 0);
  auto progress = life_.ifAlive([run, seen](std::uint64_t files, std::uint64_t bytes) {
    run->progress.files += files > seen->first ? files - seen->first : 0;
    run->progress.bytes += bytes > seen->second ? bytes - seen->second : 0;
    *seen = {std::max(files, seen->first), std::max(bytes, seen->second)};
    if (run->onProgress) run->onProgress(run->progress);
  });
  const std::string month = takes == Takes::MonthImages ? platform::path::parent(item.path) : "";
  const std::size_t stepNo = run->next;
  remover_.remove(item.path, run->plan->account,
                  life_.ifAlive([this, run, progress, month, stepNo](const RemovalReport& r) {
                    progress(r.removedFiles, r.removedBytes);
                    // The month folder goes once its images are gone and nothing else is left in
                    // it.
                    if (r.gone && !month.empty()) removeEmptyMonth(run, month);
                    if (stepNo == run->next && --run->stepOut == 0) nextMonthNow(run);
                    reported(run, r, true);
                  }),
                  progress);
}

void PlanRunner::removeEmptyMonth(const std::shared_ptr<Run>& run, const std::string& month) {
  ++run->out;
  remover_.removeIfEmpty(
      month, run->plan->account,
      life_.ifAlive([this, run](const RemovalReport& r) { reported(run, r, false); }));
}

void PlanRunner::reported(const std::shared_ptr<Run>& run, const RemovalReport& r, bool item) {
  --run->out;
  if (item) {
    ++run->progress.itemsDone;
    if (!r.gone) {
      ++run->outcome.itemsLeft;
      if (!run->outcome.firstLeft) run->outcome.firstLeft = r;
    }
    if (run->onProgress) run->onProgress(run->progress);
  }
  finishIfDone(run);
}

// A month of chat folders is gone before its second is up: the next month goes now, and the tick
// after it a second later, so the pass runs at the disk's speed and never slower than its pace.
void PlanRunner::nextMonthNow(const std::shared_ptr<Run>& run) {
  if (run->plan->pacing != Pacing::ByMonth || !run->handingOut || run->posted) return;
  run->posted = true;
  std::weak_ptr<Run> weak = run;
  ui_.post(life_.ifAlive([this, weak] {
    auto r = weak.lock();
    if (!r) return;
    r->posted = false;
    if (!r->handingOut || r->stepOut > 0) return;
    ui_.start(r->timer, kStepMs, [this, weak] {
      if (auto again = weak.lock()) step(again);
    });
    step(r);
  }));
}

void PlanRunner::finishIfDone(const std::shared_ptr<Run>& run) {
  if (run->handingOut || run->out > 0 || !runs_.count(run->id)) return;
  runs_.erase(run->id);
  run->outcome.files = run->progress.files;
  run->outcome.bytes = run->progress.bytes;
  if (run->onDone) run->onDone(run->outcome);
}

}  // namespace clean
