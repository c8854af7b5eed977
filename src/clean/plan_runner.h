// The one place confirmed plans are carried out, for every window: it hands the plan's folders to
// the removal engine at the plan's pace, sums what they give back, keeps the first thing left
// behind with its reason, and reports once when the last removal has reported.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "clean/plan.h"
#include "clean/remover.h"
#include "platform/ui_thread.h"

namespace clean {

struct RunProgress {
  std::uint64_t files = 0, bytes = 0;  // removed and given back so far
  std::size_t itemsDone = 0, items = 0;
  // What was handed out last: one folder, or every folder of one month name.
  std::string folder;
  std::string month;
  std::size_t monthFolders = 0;
};

struct RunOutcome {
  std::uint64_t files = 0, bytes = 0;      // removed, and what they held
  std::size_t itemsLeft = 0;               // folders of the plan that stayed, whole or in part
  std::optional<RemovalReport> firstLeft;  // the first of them to report, with its reason
  bool stopped = false;                    // stopped before its last folder was handed out
  bool nothingThere = false;               // the plan had no folder to take
};

class PlanRunner {
 public:
  using Id = std::uint64_t;
  using OnProgress = std::function<void(const RunProgress&)>;
  using OnDone = std::function<void(const RunOutcome&)>;

  // Both must outlive the runner; reports arrive on the UI thread.
  PlanRunner(platform::UiThread& ui, Remover& remover);
  // Hands out nothing more and reports nothing more.
  ~PlanRunner();
  PlanRunner(const PlanRunner&) = delete;
  PlanRunner& operator=(const PlanRunner&) = delete;

  // Starts carrying out `plan`. `progress` follows each step and each removal's totals; `done`
  // comes once, after the last removal reported (for a plan of nothing, at once).
  Id run(ConfirmedPlan plan, OnProgress progress, OnDone done);
  // No further folder is handed out; those out still report, then `done` says it was stopped.
  void stop(Id id);
  bool running(Id id) const { return runs_.count(id) != 0; }

 private:
  struct Run;
  void step(const std::shared_ptr<Run>& run);
  void handOut(const std::shared_ptr<Run>& run, const PlanItem& item, Takes takes);
  void removeEmptyMonth(const std::shared_ptr<Run>& run, const std::string& month);
  void nextMonthNow(const std::shared_ptr<Run>& run);
  void reported(const std::shared_ptr<Run>& run, const RemovalReport& report, bool item);
  void finishIfDone(const std::shared_ptr<Run>& run);

  platform::UiThread& ui_;
  Remover& remover_;
  std::map<Id, std::shared_ptr<Run>> runs_;
  Id next_ = 1;
  platform::Lifetime life_;
};

}  // namespace clean
