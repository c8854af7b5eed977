// A deletion as a value: built before its question from the folders as they are then, shown to
// the user whole, and afterwards run as it stands. Nothing the windows do once the question is
// asked can reach into a plan; the runner takes only plans the user confirmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "wechat/categories.h"

namespace clean {

// What one group of a plan takes.
enum class Takes {
  Everything,   // the folder with all in it; a folder relocated by a link: what is in it
  Months,       // the listed month folders
  MonthImages,  // the listed "Img" folders of month folders; a month folder left empty goes too
};

struct PlanItem {
  std::string path{};    // full path, no trailing backslash
  std::string month{};   // the month name it belongs to; empty for whole folders
  bool link = false;     // a link: it is removed itself, and nothing behind it counts
  unsigned pauseMs = 0;  // the old-version cleaner's rest after this folder
};

struct PlanGroup {
  // What the question names: a folder, or a pattern whose "*" stands for each chat's folder;
  // always ends with a backslash.
  std::string named{};
  Takes takes = Takes::Everything;
  std::size_t chats = 0;  // chat folders with something to take (patterns only)
  std::vector<PlanItem> items{};
  // The folder is a link (the user moved it elsewhere): its items are what it holds, and its
  // size is that of what it points to.
  bool relocated = false;
  bool pattern() const { return named.find('*') != std::string::npos; }
};

// How the runner hands out a plan's folders.
enum class Pacing {
  AtOnce,    // everything now
  ByFolder,  // one folder a second, oldest month first
  ByMonth,   // every folder of one month name (all chats at once), the next when they are gone
             // or a second later, oldest first
  Rested,    // one folder after another, each followed by its own pause
};

struct Plan {
  std::string account;  // every item lies strictly inside it
  const wechat::Category* row =
      nullptr;                    // the table row it cleans; null for the old-version folders
  std::vector<PlanGroup> groups;  // the row's own folder first
  Pacing pacing = Pacing::AtOnce;
  std::optional<std::uint64_t> bytes;  // what it gives back, when known
  std::optional<unsigned> keep;        // month plans: the newest N month names stay
  // The row's companion (the image thumbnails) gets a plan of its own once this one has run, in
  // this plan's account and by this plan's row.
  bool companionFollows = false;

  std::size_t itemCount() const;
  // The month names that go, oldest first.
  std::vector<std::string> months() const;
  // One group naming one real folder: the question is the plain sentence and nothing else.
  bool plain() const { return groups.size() == 1 && !groups[0].pattern(); }
};

using Walk = std::function<platform::FolderSize(const std::string& path)>;

// The row's whole folders: `folder`, then `alsoWhole` when it is there.
Plan wholeFolderPlan(platform::FileSystem& fs, const std::string& account,
                     const wechat::Category& row);
// The row's month folders (its own and its chats'), or with `companion` its companion's, less
// the newest `keep` names; `walk` (when given) sizes what goes.
Plan monthPlan(platform::FileSystem& fs, const std::string& account, const wechat::Category& row,
               bool companion, std::optional<unsigned> keep, const Walk& walk = {});
// The received-files folder as the dialog spells it, and the month folders of the chats' files.
Plan receivedFilesPlan(platform::FileSystem& fs, const std::string& account,
                       const wechat::Category& row);
// The folders WeChat 2019 and earlier left in the account folder, in the order they go.
Plan legacyPlan(platform::FileSystem& fs, const std::string& account);

struct PlanSize {
  std::uint64_t bytes = 0;    // what the items hold, links not followed: what running it gives back
  std::uint64_t folders = 0;  // a whole folder's sub-folders, and each month folder
};
PlanSize sizeOf(const Plan& plan, const Walk& walk);

// A plan the user said yes to. Only the question (and the old-version banner's own button, which
// is its question) make one, and nothing can change the plan inside.
class ConfirmedPlan {
 public:
  const Plan& plan() const { return *plan_; }
  std::shared_ptr<const Plan> shared() const { return plan_; }

 private:
  explicit ConfirmedPlan(Plan plan) : plan_(std::make_shared<const Plan>(std::move(plan))) {}
  friend class Question;
  friend ConfirmedPlan confirmedByBanner(Plan plan);
  std::shared_ptr<const Plan> plan_;
};

// The old-version banner asks "存在老版微信垃圾，清理吗？" of the account it was shown for; its
// button is the answer.
ConfirmedPlan confirmedByBanner(Plan plan);

}  // namespace clean
