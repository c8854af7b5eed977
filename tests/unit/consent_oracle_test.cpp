// Velmora's promise, checked over seeded random event sequences on the three windows wired as the
// program wires them, in a world whose month folders vary in name and kind: whatever the user
// types, picks, clicks or answers (inside a question too, while timers tick), however late and out
// of order measurements and removals report, after every step all that was removed was confirmed
// (or is an old-version folder of the banner's account), nothing never-touched went, and what the
// window shows is the shown account's; at the end every confirmed plan was carried out. Each
// invariant is stated where it is checked. A failure prints its seed and a shortened sequence;
// VELMORA_ORACLE_SEEDS=<n> runs more, VELMORA_ORACLE_FIRST_SEED=<k> others.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <regex>
#include <sstream>

#include "platform/text.h"
#include "support/world.h"

namespace {

using platform::Answer;
using platform::text::foldKey;
using support::isMonth;

struct Act {
  std::size_t kind;
  int a = 0, b = 0;
};
struct Reply {
  Answer answer;
  std::vector<Act> nested;  // what the user does while the box is open
};
struct Tape {
  std::vector<Act> acts;
  std::vector<Reply> replies;
};

// The row folders and patterns each layout's questions may name, below the account.
const std::set<std::string> kNamed[] = {
    {"\\FILESTORAGE\\CACHE\\", "\\FILESTORAGE\\CUSTOMEMOTION\\", "\\FILESTORAGE\\FAV\\",
     "\\FILESTORAGE\\GENERAL\\", "\\FILESTORAGE\\SNS\\CACHE\\", "\\FILESTORAGE\\IMAGE\\",
     "\\FILESTORAGE\\IMAGE\\THUMB\\", "\\FILESTORAGE\\VIDEO\\", "\\FILESTORAGE\\FILE\\",
     "\\FILESTORAGE\\MSGATTACH\\*\\IMAGE\\", "\\FILESTORAGE\\MSGATTACH\\*\\THUMB\\",
     "\\FILESTORAGE\\MSGATTACH\\*\\FILE\\"},
    {"\\CACHE\\", "\\TEMP\\", "\\BUSINESS\\EMOTICON\\", "\\BUSINESS\\FAVORITE\\TEMP\\",
     "\\MSG\\ATTACH\\*\\*\\IMG\\", "\\MSG\\VIDEO\\", "\\MSG\\FILE\\"}};
// Each month row by the folder its question names first: its row, and where its months are.
const std::map<std::string, std::pair<std::size_t, std::vector<std::string>>> kMonthRows = {
    {"\\FILESTORAGE\\SNS\\CACHE\\", {4, {"\\FileStorage\\Sns\\Cache\\"}}},
    {"\\FILESTORAGE\\IMAGE\\",
     {5, {"\\FileStorage\\image\\", "\\FileStorage\\MsgAttach\\*\\Image\\"}}},
    {"\\FILESTORAGE\\IMAGE\\THUMB\\",
     {5, {"\\FileStorage\\image\\Thumb\\", "\\FileStorage\\MsgAttach\\*\\Thumb\\"}}},
    {"\\FILESTORAGE\\VIDEO\\", {6, {"\\FileStorage\\video\\"}}},
    {"\\MSG\\ATTACH\\*\\*\\IMG\\", {5, {"\\msg\\attach\\*\\*\\Img\\"}}},
    {"\\MSG\\VIDEO\\", {6, {"\\msg\\video\\"}}}};
constexpr const char* kThumbs = "\\FileStorage\\Image\\Thumb\\";
const char* kLegacy[] = {"Video", "Attachment",  "CustomEmoV1", "CustomEmotions", "FavTemp",
                         "Files", "HDHeadImage", "Data",        "Image"};
const char* kMonthsTexts[7] = {"6", "0", "1", "12", "99", "", "3"};
const char* kTypedNames[] = {"wxid_busy", "old_friend", "wxid_new_1a2b", "all_users",
                             "..",        "WXID_MOVED", "old_friend/Msg"};

std::vector<std::string> split(const std::string& path) {  // folded, empty parts dropped
  std::vector<std::string> parts;
  std::istringstream in(path);
  for (std::string part; std::getline(in, part, '\\');)
    if (!part.empty()) parts.push_back(foldKey(part));
  return parts;
}

// Whether `path` is the folder `named` names or lies below it; "*" stands for one folder. The
// month name is the part right below the named folder, or the one its last "*" stood for.
std::optional<std::string> within(const std::string& named, const std::string& path) {
  const auto n = split(named), p = split(path);
  if (p.size() < n.size()) return std::nullopt;
  std::string month;
  for (std::size_t i = 0; i < n.size(); ++i) {
    if (n[i] == "*")
      month = p[i];
    else if (n[i] != p[i])
      return std::nullopt;
  }
  return p.size() > n.size() ? p[n.size()] : month;
}

// The folder groups an OK'd question named, what must be gone once it has run (for a month row,
// all it may take), and how its removals went: from the main window or a dialog, which month last
// and when each month went.
struct Consent {
  std::vector<std::string> named;
  std::vector<std::string> toGo;
  bool grid = false, monthly = false;
  std::string lastMonth;
  std::map<std::string, std::uint64_t> when;
};

struct Sequence : support::FocusTaker {
  Sequence(std::uint32_t seed, Tape t)
      : FocusTaker(1), rng(seed), world(h, rng), tape(std::move(t)) {
    h.shell.answer = [this](const fakes::MessageBoxCall& box) { return answer(box); };
    h.form.bind(this);
    if (rng() % 3 == 0) h.env.running.insert("WEIXIN.EXE");
  }

  using S = Sequence;
  // What the user (or the machine) may do: its name in a report, how often, the doing, and whether
  // it may delete (and so must ask first while WeChat runs).
  struct Kind {
    const char* name;
    int weight;
    void (*perform)(S&, int a, int b);
    bool deletes = false;
  };
  static const std::vector<Kind>& kinds() {
    static const std::vector<Kind> k = {
        {"advance", 14, [](S& s, int a, int) { s.h.clock.advance(a % 1600); }},
        {"choose account", 9,
         [](S& s, int a, int) {
           auto& combo = s.w().accountPanel.accounts;
           if (!combo.items().empty() && combo.usable())
             combo.setListIndex(a % static_cast<int>(combo.items().size()));
         }},
        {"type data folder", 3,
         [](S& s, int a, int) { s.w().dataFolderBox.userSetText(s.folder(a, false)); }},
        {"pick folder", 1,
         [](S& s, int a, int) {
           s.h.shell.pickerResult = s.folder(a, true);
           s.w().pickFolderButton.click();
           if (!s.w().discoveryTimer.enabled()) s.fail("a folder picked is not searched");
         }},
        {"open account folder", 1,
         [](S& s, int, int) {  // the file manager from the Windows folder, on the account shown
           s.h.shell.processes.clear();
           click(s.w().accountPanel.openFolderButton);
           const std::string& shown = s.w().accountPanel.path.text();
           for (const auto& p : s.h.shell.processes)
             if (p != "\"C:\\Windows\\explorer.exe\"" + (shown.empty() ? "" : " \"" + shown + "\""))
               s.fail("the file manager runs as " + p);
         }},
        {"type account", 2,
         [](S& s, int a, int b) {
           auto& combo = s.w().accountPanel.accounts;
           combo.userSetText(kTypedNames[a % std::size(kTypedNames)]);
           if (b % 2 == 0) return;
           s.chosen = combo.text();
           combo.userCommit();
         }},
        {"click row", 14, [](S& s, int a, int) { s.clickRow(a % s.w().grid.rows.size()); }, true},
        {"click banner", 4,
         [](S& s, int, int) {
           if (s.w().legacyBanner.cleanButton.usable() && !s.bannerFor.empty())
             s.bannersClicked.insert(s.bannerFor);
           click(s.w().legacyBanner.cleanButton);
         }},
        {"months box", 2,
         [](S& s, int a, int) { s.w().grid.monthsToKeep.setText(kMonthsTexts[a % 7]); }},
        {"toggle keep", 1,
         [](S& s, int, int) {  // a click focuses the box; the window hides that focus at once
           auto& box = s.w().grid.keepNewest;
           const bool seen = s.w().setFocus(box);
           box.userClick();
           if (seen && s.w().focused() != &s.w().focusSink) s.fail("the check box keeps the focus");
         }},
        {"scan", 1, [](S& s, int, int) { click(s.w().grid.scanButton); }},
        {"dialog: clear", 6, [](S& s, int, int) { click(s.h.receivedFiles.clearAllButton); }, true},
        {"dialog: open", 1, [](S& s, int, int) { click(s.h.receivedFiles.openButton); }},
        {"dialog: close", 1, [](S& s, int, int) { unload(s.h.receivedFiles); }},
        {"close old-version cleaner", 1, [](S& s, int, int) { unload(s.h.legacyCleaner); }},
        {"hold measurer", 2, [](S& s, int, int) { s.h.measurer.hold = !s.h.measurer.hold; }},
        {"release a measurement", 3, [](S& s, int a, int) { s.h.measurer.releaseAt(a); }},
        {"hold remover", 2, [](S& s, int, int) { s.h.remover.hold = !s.h.remover.hold; }},
        {"release a removal", 4, [](S& s, int a, int) { s.h.remover.releaseAt(a); }},
        {"WeChat runs", 1, [](S& s, int, int) { s.h.env.running.insert("WECHAT.EXE"); }},
        {"close window", 0, [](S& s, int, int) {
           if (s.w().onUnload) s.w().onUnload();
           s.closed = true;
         }}};
    return k;
  }
  static std::string describe(const Act& a) {
    return std::string(kinds()[a.kind].name) + "(" + std::to_string(a.a) + ")";
  }

  std::string run() {
    h.registry.values[support::kShellFolders] = world.dataFolders[0];
    h.form.load();
    h.form.show();
    for (std::size_t i = 0; i < tape.acts.size() && failure.empty() && !closed; ++i)
      perform(tape.acts[i], "step " + std::to_string(i + 1) + " ");
    if (failure.empty() && !closed) settle();
    return failure;
  }

  ui::MainWindow& w() { return h.form; }
  // A folder typed or picked; typed before start-up's search, it is searched with it.
  const std::string& folder(int a, bool picked) {
    const std::size_t i = a % world.dataFolders.size();
    startupSearched = startupSearched || !w().discoveryTimer.enabled();
    if (picked || world.dataFolders[i] != w().dataFolderBox.text()) {
      typed = i;
      typedAtStartup = !startupSearched;
    }
    return world.dataFolders[i];
  }
  static void click(ui::Button& b) {
    if (b.usable()) b.click();
  }
  static void unload(ui::Form& f) {
    if (f.visible()) f.onUnload();
  }
  void fail(const std::string& what) {
    if (failure.empty()) failure = where + ": " + what;
  }
  void perform(const Act& a, const std::string& at) {
    where = at + describe(a);
    const bool outerDeletes = deleting, outerWarned = warned, outerDeclined = declined;
    deleting = kinds()[a.kind].deletes;
    warned = declined = false;
    kinds()[a.kind].perform(*this, a.a, a.b);
    deleting = outerDeletes, warned = outerWarned, declined = outerDeclined;
    check();
  }

  void clickRow(std::size_t row) {
    auto& button = w().grid.rows[row]->button;
    if (!button.usable()) return;
    const std::string& months = w().grid.monthsToKeep.text();
    const bool digits = !months.empty() && months.size() <= 2 &&
                        std::all_of(months.begin(), months.end(), ::isdigit);
    const int keep = w().grid.keepNewest.value() == 0 ? 0 : digits ? std::stoi(months) : -1;
    noKeep = keep < 0 && w().table().categories[row].deletion == wechat::Deletion::MonthByMonth;
    const auto* shown = world.byShownName(chosen);
    clickKeep[{row, shown ? shown->path : ""}] = clickKeep[{row, "*"}] = keep;
    button.click();
  }

  // Sees every entry chosen in the account list, whoever chose it.
  void controlChanged(ui::Control& c, ui::Prop p) override {
    if (&c != &w().accountPanel.accounts) return;
    if (p == ui::Prop::Selection) chosen = c.text();
    if (p != ui::Prop::Items) return;
    chosen.clear();
    // Listed once the folder typed last is searched: its accounts only.
    listedFor = w().discoveryTimer.enabled() || typedAtStartup ? std::nullopt : typed;
  }

  Answer answer(const fakes::MessageBoxCall box) {  // a copy: boxes opened meanwhile move the list
    if (box.owner == 0) fail("a message box without an owner: " + box.text);
    if (box.text.starts_with("请在月数框") && !noKeep)
      fail("asks for months to keep on a row that keeps none");
    if (declined) fail("goes on after the user declined to while WeChat runs");
    // Busy is said only while a deletion is asked about or under way.
    if (box.text == ui::kBusyCleaning && box.owner == 1 && asking.empty() &&
        !w().busyOverlay.frame.visible())
      fail("said busy with nothing under way");
    std::string named;
    if (const auto all = namedIn(box.text);
        box.buttons == platform::Buttons::OkCancel && !all.empty()) {
      for (const auto& n : all)  // each a folder of its own account's WeChat
        if (const auto* a = accountOf(n);
            !a || !kNamed[a->current].count(foldKey(n.substr(a->path.size()))))
          fail("a question names " + n + ", no folder of its account's WeChat");
      if (all.size() == 1 && all[0].find('*') == std::string::npos &&
          box.text.find('\n') != std::string::npos)
        fail("a question on one folder says more than its sentence: " + box.text);
      named = foldKey(all.front());
      if (std::count(asking.begin(), asking.end(), named)) fail("asked again while asking");
      for (std::size_t i = 0; i < owners.size(); ++i)
        if (owners[i] >= 0 && !h.remover.jobs[i].reported &&
            foldKey(consents[owners[i]].named.front()) == named)
          fail("asked again while removing " + h.remover.jobs[i].target);
      if (deleting && !h.env.running.empty() && !warned) fail("asked to delete while WeChat runs");
      if (const auto* a = accountOf(named); a && named == foldKey(a->path + kThumbs))
        --thumbsOwed[a->path];
    }
    Reply reply{Answer::Cancel, {}};
    if (asking.size() < 2 && replied < tape.replies.size()) reply = tape.replies[replied++];
    asking.push_back(named);
    const std::string outer = where;
    for (const Act& a : reply.nested)
      perform(a, outer + " > in \"" + box.text.substr(0, 40) + "\" ");
    where = outer;
    asking.pop_back();
    if (box.buttons == platform::Buttons::Ok) return Answer::Ok;
    if (box.buttons == platform::Buttons::CancelTryContinue) {
      // OK stands for Continue, or for the box closed without a button; the user retries having
      // quit WeChat, or not.
      const bool other = reply.nested.size() == 3;
      if (reply.answer == Answer::TryAgain && !other) h.env.running.clear();
      const Answer said = reply.answer == Answer::Ok && !other ? Answer::Continue : reply.answer;
      warned = said == Answer::Continue;
      declined = !warned && said != Answer::TryAgain;
      return said;
    }
    if (reply.answer != Answer::Ok) return Answer::Cancel;
    if (box.title == "想确认下") consent(box.text, box.owner == 1);
    return Answer::Ok;
  }

  // The folders a question names: on its first line, and on each "同时删除" line.
  static std::vector<std::string> namedIn(const std::string& text) {
    static const std::regex line(R"((?:^|\n)(?:确认删除 ?|同时删除：)([^\r\n]*\\))");
    std::vector<std::string> named;
    for (std::sregex_iterator m(text.begin(), text.end(), line), end; m != end; ++m)
      named.push_back((*m)[1]);
    return named;
  }

  const support::WorldAccount* accountOf(const std::string& path) const {
    for (const auto& a : world.accounts)
      if (foldKey(path).rfind(foldKey(a.path + "\\"), 0) == 0) return &a;
    return nullptr;
  }

  // The visible folders but links that `named` names, "*" standing for any one of them; a link
  // below a chat is not the chat's.
  std::vector<std::string> expand(const std::string& named) {
    std::vector<std::string> found{""};
    bool inChat = false;
    for (const auto& part : split(named)) {
      std::vector<std::string> next;
      for (const auto& p : found)
        if (part != "*") {
          const std::string path = p + (p.empty() ? "" : "\\") + part;
          if (!inChat || !(h.fs.attributes(path).value_or(0) & platform::kAttrReparsePoint))
            next.push_back(path);
        } else {
          for (auto& e : visible(p))
            if (!(e.attributes & platform::kAttrReparsePoint)) next.push_back(p + "\\" + e.name);
        }
      inChat = inChat || part == "*";
      found = next;
    }
    return found;
  }
  std::vector<platform::DirEntry> visible(const std::string& folder) {
    std::vector<platform::DirEntry> out;
    for (auto& e : h.fs.list(folder + "\\"))
      if ((e.attributes & platform::kAttrDirectory) &&
          !(e.attributes & (platform::kAttrHidden | platform::kAttrSystem)))
        out.push_back(e);
    return out;
  }

  // The oracle's own model of a month row: its month folders (name, path) below the folders
  // `named` names, whatever the window computes. Only a month stands right above "Img"; WeChat
  // 3.x's own row folders hold months of any name but "Thumb".
  std::vector<std::pair<std::string, std::string>> monthsOf(const std::string& named) {
    std::vector<std::pair<std::string, std::string>> found;
    const support::WorldAccount* account = accountOf(named);
    const bool anyName = named.find('*') == std::string::npos && account && !account->current;
    for (const auto& p : expand(named)) {
      const auto parts = split(p);
      if (parts.back() == "IMG" && isMonth(parts.end()[-2]) && h.fs.isDirectory(p + "\\"))
        found.emplace_back(parts.end()[-2], p);
      else if (parts.back() != "IMG")
        for (auto& e : visible(p))
          if ((anyName && (foldKey(e.name) != "THUMB" || parts.back() != "IMAGE")) ||
              isMonth(e.name))
            found.emplace_back(foldKey(e.name), p + "\\" + e.name);
    }
    return found;
  }

  void consent(const std::string& text, bool grid) {
    Consent c;
    c.named = namedIn(text);
    c.grid = grid;
    const support::WorldAccount* a = accountOf(c.named.front());
    if (!a) return;
    const std::string key = foldKey(c.named.front().substr(a->path.size()));
    const auto row = kMonthRows.find(key);
    c.monthly = row != kMonthRows.end();
    // A month row takes the months below all its folders, whatever the question names, but the
    // newest it keeps: those the question states, else those its last click in the account read (a
    // click in another account, inside the box, may have read another), else its last click's. The
    // other rows take their patterns' months, a link's contents and their folders whole.
    std::vector<std::pair<std::string, std::string>> months;
    int keep = 0;
    if (c.monthly) {
      const auto& [index, patterns] = row->second;
      for (const auto& pattern : patterns)
        for (auto& m : monthsOf(a->path + pattern)) months.push_back(m);
      const auto stated = text.find("保留最新 ");
      auto clicked = clickKeep.find({index, a->path});
      if (clicked == clickKeep.end()) clicked = clickKeep.find({index, "*"});
      keep = stated != std::string::npos
                 ? std::atoi(text.c_str() + stated + std::string("保留最新 ").size())
             : clicked != clickKeep.end() ? clicked->second
                                          : 6;
    } else {
      for (const auto& named : c.named)
        if (named.find('*') != std::string::npos)
          for (auto& m : monthsOf(named)) months.push_back(m);
        else if (h.fs.attributes(named).value_or(0) & platform::kAttrReparsePoint)
          for (auto& e : h.fs.list(named)) c.toGo.push_back(named + e.name);
        else
          c.toGo.push_back(named);
    }
    std::set<std::string> names, kept;
    for (auto& m : months) names.insert(m.first);
    for (auto it = names.rbegin(); it != names.rend() && int(kept.size()) < keep; ++it)
      kept.insert(*it);
    for (auto& [name, path] : months)
      if (!kept.count(name)) c.toGo.push_back(path);
    if (key == "\\FILESTORAGE\\IMAGE\\") ++thumbsOwed[a->path];  // the thumbnails follow
    for (const auto& named : c.named) {  // a pattern's line counts the chats with something to go
      const auto parts = split(named);
      const auto star = std::find(parts.begin(), parts.end(), "*") - parts.begin();
      if (star == std::ssize(parts)) continue;
      std::set<std::string> chats;
      for (const auto& path : c.toGo)
        if (within(named, path)) chats.insert(split(path)[star]);
      const auto at = text.find(named);
      if (!text.substr(at, text.find('\r', at) - at)
               .ends_with("（" + std::to_string(chats.size()) + " 个聊天）"))
        fail("the question on " + named + " counts another number of chats");
    }
    consents.push_back(std::move(c));
  }

  // The consent a removal is of (-1: a banner's); nothing the user confirmed naming it fails.
  int ownerOf(const fakes::FakeRemover::Job& job) {
    for (const std::string& clicked : bannersClicked)  // each banner clicked queues its pass
      if (foldKey(job.accountRoot) == foldKey(clicked))
        for (const char* legacy : kLegacy)
          if (foldKey(job.target) == foldKey(clicked + "\\" + legacy)) return -1;
    const std::string target = job.ifEmpty ? job.target + "\\Img" : job.target;
    for (int i = static_cast<int>(consents.size()) - 1; i >= 0; --i) {
      Consent& c = consents[i];
      for (const auto& named : c.named) {
        const auto month = within(named, target);
        if (!month) continue;
        // A pass takes the month folders of the row but those kept, the oldest month first, all
        // the folders of a month at once.
        if (c.monthly && !job.ifEmpty) {
          if (std::none_of(c.toGo.begin(), c.toGo.end(),
                           [&](const std::string& p) { return foldKey(p) == foldKey(target); }))
            fail("removed " + job.target + ", a month kept or no month of the row");
          if (*month < c.lastMonth) fail("removed " + job.target + " after " + c.lastMonth);
          c.lastMonth = *month;
          if (c.when.emplace(*month, h.clock.now()).first->second != h.clock.now())
            fail("the folders of " + *month + " went at different times");
        }
        return i;
      }
    }
    fail("removed " + job.target + ", which no confirmed question named");
    return -1;
  }

  void checkFigure(const std::string& shown, const support::WorldAccount& a, const char* what) {
    std::string text = shown.rfind("×", 0) == 0 ? shown.substr(std::string("×").size()) : shown;
    if (text.empty() || text == "—" || text == "0 K" || text == "0" || text == " 0.00") return;
    const char unit = text.size() > 2 && text[text.size() - 2] == ' ' ? text.back() : 0;
    if (unit != a.band) fail(std::string(what) + " shows " + shown + " beside " + a.path);
  }

  void check() {
    const auto& jobs = h.remover.jobs;
    while (owners.size() < jobs.size()) owners.push_back(ownerOf(jobs[owners.size()]));
    for (const auto& file : world.untouchable)
      if (!h.fs.exists(file)) fail(file + " was deleted");
    for (const auto& j : world.junctions)
      if (!(h.fs.attributes(j).value_or(0) & platform::kAttrReparsePoint))
        fail("the junction " + j + " was deleted");
    // The account chosen last, in the list (by the user or by discovery) or by a name typed and
    // committed; text typed and not committed chooses nothing.
    auto& combo = w().accountPanel.accounts;
    if (const auto* a = world.byShownName(chosen)) {
      checkFigure(w().accountPanel.size.text(), *a, "the account size");
      for (auto& row : w().grid.rows) checkFigure(row->size.text(), *a, row->size.name().c_str());
    }
    // Every account is listed as the user knows it; at start-up, also those WeChat moved.
    // Once the folder typed last is searched, only its accounts are listed, in order.
    const auto typedLast = std::exchange(listedFor, std::nullopt);
    const support::WorldAccount* previous = nullptr;  // each layout's accounts by name
    for (const auto& item : combo.items()) {
      const auto* a = world.byShownName(item);
      if (previous && a && previous->current == a->current &&
          foldKey(a->shown) < foldKey(previous->shown))
        fail("lists " + item + " after " + previous->shown);
      previous = a;
      if (!a || a->shown != item)
        fail("the account list shows " + item);
      else if (typedLast && foldKey(a->path).rfind(foldKey(world.resolved[*typedLast] + "\\"), 0))
        fail("lists " + item + ", not of the folder typed last");
    }
    if (!typed && !combo.items().empty() && combo.items().size() != world.accounts.size())
      fail("start-up lists " + std::to_string(combo.items().size()) + " accounts");
    // The account shown is one, only it has the old-version banner, its grid shows chat records.
    const std::string& shown = w().accountPanel.path.text();
    if (!shown.empty() && std::none_of(world.accounts.begin(), world.accounts.end(),
                                       [&](auto& a) { return foldKey(a.path) == foldKey(shown); }))
      fail("shows " + shown + ", no account");
    if (shown.empty() && w().legacyBanner.frame.visible()) fail("the banner outlives its account");
    auto holds = [&](const char* records) { return h.fs.isDirectory(shown + records); };
    if (!shown.empty() && w().grid.frame.visible() != (holds("\\Msg\\") || holds("\\db_storage\\")))
      fail("the grid of " + shown + " is shown as if it held chat records or not");
    // The overlay lies over the grid and covers it from a click until the last removal reported.
    const auto& overlay = w().busyOverlay.frame;
    if (overlay.visible() && overlay.rect().top != w().grid.frame.rect().top)
      fail("the overlay lies beside the grid");
    if (w().grid.frame.enabled() == overlay.visible())
      fail(overlay.visible() ? "the covered grid takes input" : "the grid takes no input");
    for (auto& row : w().grid.rows)
      if (row->size.text() == "______") fail(row->size.name() + " shows its placeholder");
    for (std::size_t i = 0; i < jobs.size(); ++i)
      if (!jobs[i].reported && owners[i] >= 0 && consents[owners[i]].grid && !overlay.visible())
        fail("the overlay went while " + jobs[i].target + " was being removed");
    // The account the banner stands for as last seen: a click on it may clean that one only.
    bannerFor = w().legacyBanner.frame.shown() ? w().accountPanel.path.text() : "";
    // The received-files dialog offers to clear what is there, in the folder or in the chats.
    if (h.receivedFiles.visible() && !dialogWasShown) {
      const std::string a = w().accountPath();
      const bool there = h.fs.isDirectory(a + "\\FileStorage\\File\\") ||
                         h.fs.isDirectory(a + "\\msg\\file\\") ||
                         !monthsOf(a + "\\FileStorage\\MsgAttach\\*\\File\\").empty();
      if (h.receivedFiles.clearAllButton.enabled() != there)
        fail("the received-files dialog offers the wrong thing");
    }
    dialogWasShown = h.receivedFiles.visible();
  }

  // Everything out reports and every step is taken; then each confirmed plan must have taken
  // what it named, save locked files, links kept and the months kept, the thumbnails must have
  // been asked about after their images.
  void settle() {
    where = "at the end";
    replied = tape.replies.size();  // every question is cancelled now
    h.measurer.hold = h.remover.hold = false;
    for (int i = 0; i < 12 && failure.empty(); ++i) {
      h.measurer.release();
      h.remover.release();
      h.clock.advance(60000);
      check();
    }
    for (const auto& c : consents)
      for (const auto& path : c.toGo)
        if (!onlyLeftovers(path)) fail(path + " was confirmed and is still there");
    if (w().busyOverlay.frame.visible()) fail("the overlay stayed");
    for (const auto& [account, owed] : thumbsOwed)
      if (owed > 0) fail("no question on the thumbnails of " + account);
  }

  bool onlyLeftovers(std::string path) {
    while (path.back() == '\\') path.pop_back();
    const auto attrs = h.fs.attributes(path);
    if (!attrs) return true;
    if (*attrs & platform::kAttrReparsePoint) return h.fs.keepLinks || h.fs.list(path).empty();
    if (!(*attrs & platform::kAttrDirectory))
      return std::any_of(world.locked.begin(), world.locked.end(),
                         [&](const std::string& l) { return foldKey(l) == foldKey(path); });
    for (const auto& e : h.fs.list(path))
      if (!onlyLeftovers(path + "\\" + e.name)) return false;
    return true;
  }

  support::Harness h;
  std::mt19937 rng;
  support::World world;
  Tape tape;
  std::size_t replied = 0;
  bool closed = false, dialogWasShown = false;
  // The act may delete; the user said to go on while WeChat runs, or not.
  bool deleting = false, warned = false, declined = false;
  bool noKeep = false;  // the row clicked last keeps months, and the box holds no number of them
  std::optional<std::size_t> typed;  // the data folder typed or picked last
  bool startupSearched = false, typedAtStartup = false;
  std::optional<std::size_t> listedFor;  // the folder whose accounts the list changed to
  std::string where, failure, bannerFor, chosen;
  std::set<std::string> bannersClicked;
  std::map<std::pair<std::size_t, std::string>, int> clickKeep;  // by row and account
  std::vector<Consent> consents;
  std::vector<int> owners;                // each removal's consent
  std::vector<std::string> asking;        // the folders each open question names first
  std::map<std::string, int> thumbsOwed;  // image passes without their thumbnail question yet
};

Act randomAct(std::mt19937& rng) {
  std::vector<int> weights;
  for (const auto& k : Sequence::kinds()) weights.push_back(k.weight);
  std::discrete_distribution<std::size_t> kind(weights.begin(), weights.end());
  std::uniform_int_distribution<int> any(0, 1 << 20);
  return {kind(rng), any(rng), any(rng)};
}

Tape randomTape(std::mt19937& rng) {
  Tape t;
  for (int i = std::uniform_int_distribution<int>(10, 40)(rng); i > 0; --i)
    t.acts.push_back(randomAct(rng));
  if (rng() % 4 == 0) t.acts.push_back({Sequence::kinds().size() - 1});  // the window closed
  for (int i = 0; i < 40; ++i) {
    Reply r{rng() % 5 < 3 ? Answer::Ok : (rng() % 3 ? Answer::Cancel : Answer::TryAgain), {}};
    for (int n = static_cast<int>(rng() % 4); n > 0; --n) r.nested.push_back(randomAct(rng));
    t.replies.push_back(r);
  }
  return t;
}

// Drops each act whose loss still fails, pass after pass until one drops none, so the report shows
// what matters (starting over after each drop took hundreds of passes).
Tape shorten(std::uint32_t seed, Tape tape) {
  for (bool dropped = true; dropped;) {
    dropped = false;
    for (std::size_t i = 0; i < tape.acts.size();) {
      Tape fewer = tape;
      fewer.acts.erase(fewer.acts.begin() + static_cast<std::ptrdiff_t>(i));
      if (Sequence(seed, fewer).run().empty()) {
        ++i;
      } else {
        tape = std::move(fewer);
        dropped = true;
      }
    }
  }
  return tape;
}

TEST(ConsentOracle, EveryDeletionIsWhatTheUserConfirmed) {
  const char* env = std::getenv("VELMORA_ORACLE_SEEDS");
  const std::uint32_t seeds = env ? static_cast<std::uint32_t>(std::atoi(env)) : 1000;
  const char* first = std::getenv("VELMORA_ORACLE_FIRST_SEED");
  const std::uint32_t from = first ? static_cast<std::uint32_t>(std::atoi(first)) : 1;
  for (std::uint32_t seed = from; seed < from + seeds; ++seed) {
    std::mt19937 rng(seed * 7919u);
    const Tape tape = randomTape(rng);
    if (Sequence(seed, tape).run().empty()) continue;
    // Not shortened where failures need not be small (the mutants run with RapidCheck's noshrink).
    const char* rc = std::getenv("RC_PARAMS");
    const Tape shortTape = rc && std::strstr(rc, "noshrink=1") ? tape : shorten(seed, tape);
    std::string steps;
    for (const Act& a : shortTape.acts) steps += "\n  " + Sequence::describe(a);
    FAIL() << "seed " << seed << ": " << Sequence(seed, shortTape).run() << "\nshortened:" << steps;
  }
}

}  // namespace
