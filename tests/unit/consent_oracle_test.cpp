// Velmora's promise, checked over random event sequences rather than examples: a seeded
// generator drives the three windows, wired as the program wires them, on the fakes: accounts
// chosen, data folders typed or picked, names typed into the account box, rows and the banner
// clicked, questions answered OK, Cancel or closed while timers tick inside them, the months box
// changed, measurements and removals delivered late and out of order, the window closed. After
// every step the oracle checks that
//   - everything removed lies in a folder group of a question the user answered OK (or the
//     old-version folders of the account the banner was shown for), never in one of its newest N
//     months;
//   - chat records, settings, backups, favourites, forwarded records and the user's junctions are
//     still there;
//   - every figure on screen is the account's on screen, and the covered grid takes no input;
//   - a question names folders of its own account's layout, and has an owner;
// and at the end that every confirmed plan was carried out. A failure prints its seed and a
// shortened sequence. VELMORA_ORACLE_SEEDS=<n> runs more.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "platform/text.h"
#include "support/world.h"

namespace {

using platform::Answer;
using platform::text::foldKey;

struct Act {
  enum Kind {
    Advance,
    ChooseAccount,
    TypeFolder,
    PickFolder,
    TypeAccount,
    ClickRow,
    ClickBanner,
    Months,
    ToggleKeep,
    Scan,
    DialogClear,
    DialogOpen,
    DialogClose,
    LegacyClose,
    HoldMeasurer,
    ReleaseMeasurer,
    HoldRemover,
    ReleaseRemover,
    WeChatRuns,
    Close,
    kKinds
  } kind;
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

const char* kMonthsTexts[] = {"6", "0", "1", "12", "99", "", "3"};
const char* kTypedNames[] = {"wxid_busy", "old_friend", "wxid_new_1a2b",
                             "nobody",    "..",         "WXID_MOVED"};

Act randomAct(std::mt19937& rng) {
  static const int weights[Act::kKinds] = {14, 9, 3, 1, 2, 14, 4, 2, 1, 1,
                                           2,  1, 1, 1, 2, 3,  2, 4, 1, 0};
  std::discrete_distribution<int> kind(std::begin(weights), std::end(weights));
  std::uniform_int_distribution<int> any(0, 1 << 20);
  return {static_cast<Act::Kind>(kind(rng)), any(rng), any(rng)};
}

Tape randomTape(std::mt19937& rng) {
  Tape t;
  const int acts = std::uniform_int_distribution<int>(10, 40)(rng);
  for (int i = 0; i < acts; ++i) t.acts.push_back(randomAct(rng));
  if (rng() % 4 == 0) t.acts.push_back({Act::Close});
  for (int i = 0; i < 40; ++i) {
    Reply r{rng() % 5 < 3 ? Answer::Ok : (rng() % 3 ? Answer::Cancel : Answer::TryAgain), {}};
    for (int n = static_cast<int>(rng() % 4); n > 0; --n) r.nested.push_back(randomAct(rng));
    t.replies.push_back(r);
  }
  return t;
}

std::string describe(const Act& a) {
  static const char* names[] = {"advance",          "choose account",
                                "type data folder", "pick folder",
                                "type account",     "click row",
                                "click banner",     "months box",
                                "toggle keep",      "scan",
                                "dialog: clear",    "dialog: open",
                                "dialog: close",    "close old-version cleaner",
                                "hold measurer",    "release a measurement",
                                "hold remover",     "release a removal",
                                "WeChat runs",      "close window"};
  return std::string(names[a.kind]) + "(" + std::to_string(a.a) + ")";
}

// The row folders and patterns each layout's questions may name, below the account.
const std::set<std::string> kClassicNamed = {"\\FILESTORAGE\\CACHE\\",
                                             "\\FILESTORAGE\\CUSTOMEMOTION\\",
                                             "\\FILESTORAGE\\FAV\\",
                                             "\\FILESTORAGE\\GENERAL\\",
                                             "\\FILESTORAGE\\SNS\\CACHE\\",
                                             "\\FILESTORAGE\\IMAGE\\",
                                             "\\FILESTORAGE\\IMAGE\\THUMB\\",
                                             "\\FILESTORAGE\\VIDEO\\",
                                             "\\FILESTORAGE\\FILE\\",
                                             "\\FILESTORAGE\\MSGATTACH\\*\\IMAGE\\",
                                             "\\FILESTORAGE\\MSGATTACH\\*\\THUMB\\",
                                             "\\FILESTORAGE\\MSGATTACH\\*\\FILE\\"};
const std::set<std::string> kCurrentNamed = {"\\CACHE\\",
                                             "\\TEMP\\",
                                             "\\BUSINESS\\EMOTICON\\",
                                             "\\BUSINESS\\FAVORITE\\TEMP\\",
                                             "\\MSG\\ATTACH\\*\\*\\IMG\\",
                                             "\\MSG\\VIDEO\\",
                                             "\\MSG\\FILE\\"};
const char* kLegacy[] = {"Video", "Attachment",  "CustomEmoV1", "CustomEmotions", "FavTemp",
                         "Files", "HDHeadImage", "Data",        "Image"};

std::vector<std::string> split(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + "\\") {
    if (c != '\\') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(foldKey(part));
      part.clear();
    }
  }
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

bool isMonth(const std::string& n) {
  return n.size() == 7 && n[4] == '-' && std::isdigit(static_cast<unsigned char>(n[0])) &&
         std::isdigit(static_cast<unsigned char>(n[6])) && n.substr(5) >= "01" &&
         n.substr(5) <= "12";
}

struct Consent {
  std::vector<std::string> named;
  std::set<std::string> kept;     // month names (folded) that must stay
  std::vector<std::string> toGo;  // what must be gone once it has run
};

class Sequence {
 public:
  Sequence(std::uint32_t seed, Tape tape) : rng_(seed), world_(h_, rng_), tape_(std::move(tape)) {
    h_.shell.answer = [this](const fakes::MessageBoxCall& box) {
      return answer(fakes::MessageBoxCall(box));
    };
    watcher_.changed = [this](ui::Control& c, ui::Prop p) {
      if (&c != &w().accountPanel.accounts) return;
      if (p == ui::Prop::Selection) chosen_ = c.text();
      if (p == ui::Prop::Items) chosen_.clear();
    };
    h_.form.bind(&watcher_);
    if (rng_() % 3 == 0) h_.env.running.insert("WEIXIN.EXE");
  }

  std::string run() {
    h_.registry.values[fakes::kShellFolders] = world_.dataFolders[0];
    h_.form.load();
    h_.form.show();
    for (std::size_t i = 0; i < tape_.acts.size() && failure_.empty() && !closed_; ++i) {
      where_ = "step " + std::to_string(i + 1) + " " + describe(tape_.acts[i]);
      perform(tape_.acts[i]);
      check();
    }
    if (failure_.empty() && !closed_) settle();
    return failure_;
  }

 private:
  void fail(const std::string& what) {
    if (failure_.empty()) failure_ = where_ + ": " + what;
  }

  ui::MainWindow& w() { return h_.form; }

  void perform(const Act& a) {
    auto& combo = w().accountPanel.accounts;
    switch (a.kind) {
      case Act::Advance:
        h_.clock.advance(static_cast<std::uint64_t>(a.a % 1600));
        break;
      case Act::ChooseAccount:
        if (!combo.items().empty() && combo.usable())
          combo.setListIndex(a.a % static_cast<int>(combo.items().size()));
        break;
      case Act::TypeFolder:
        w().dataFolderBox.userSetText(world_.dataFolders[a.a % world_.dataFolders.size()]);
        break;
      case Act::PickFolder:
        h_.shell.pickerResult = world_.dataFolders[a.a % world_.dataFolders.size()];
        w().pickFolderButton.click();
        break;
      case Act::TypeAccount:
        combo.userSetText(kTypedNames[a.a % std::size(kTypedNames)]);
        if (a.b % 2) {
          chosen_ = combo.text();
          combo.userCommit();
        }
        break;
      case Act::ClickRow: {
        auto& button = w().grid.rows[a.a % w().grid.rows.size()]->button;
        if (!button.usable()) break;
        const std::size_t row = a.a % w().grid.rows.size();
        const std::string& months = w().grid.monthsToKeep.text();
        const bool digits = !months.empty() && months.size() <= 2 &&
                            std::all_of(months.begin(), months.end(), ::isdigit);
        clickKeep_[row] = w().grid.keepNewest.value() == 0 ? 0 : digits ? std::stoi(months) : -1;
        button.click();
        break;
      }
      case Act::ClickBanner:
        if (w().legacyBanner.cleanButton.usable()) {
          bannerClicked_ = bannerFor_;
          w().legacyBanner.cleanButton.click();
        }
        break;
      case Act::Months:
        w().grid.monthsToKeep.setText(kMonthsTexts[a.a % std::size(kMonthsTexts)]);
        break;
      case Act::ToggleKeep:
        w().grid.keepNewest.userClick();
        break;
      case Act::Scan:
        if (w().grid.scanButton.usable()) w().grid.scanButton.click();
        break;
      case Act::DialogClear:
        if (h_.receivedFiles.clearAllButton.usable()) h_.receivedFiles.clearAllButton.click();
        break;
      case Act::DialogOpen:
        if (h_.receivedFiles.openButton.usable()) h_.receivedFiles.openButton.click();
        break;
      case Act::DialogClose:
        if (h_.receivedFiles.visible()) h_.receivedFiles.onUnload();
        break;
      case Act::LegacyClose:
        if (h_.legacyCleaner.visible()) h_.legacyCleaner.onUnload();
        break;
      case Act::HoldMeasurer:
        h_.measurer.hold = !h_.measurer.hold;
        break;
      case Act::ReleaseMeasurer:
        if (h_.measurer.heldCount()) h_.measurer.releaseAt(a.a % h_.measurer.heldCount());
        break;
      case Act::HoldRemover:
        h_.remover.hold = !h_.remover.hold;
        break;
      case Act::ReleaseRemover:
        if (h_.remover.heldCount()) h_.remover.releaseAt(a.a % h_.remover.heldCount());
        break;
      case Act::WeChatRuns:
        h_.env.running.insert("WECHAT.EXE");
        break;
      case Act::Close:
        if (w().onUnload) w().onUnload();
        closed_ = true;
        break;
      case Act::kKinds:
        break;
    }
  }

  Answer answer(const fakes::MessageBoxCall box) {  // a copy: boxes opened meanwhile move the list
    if (box.owner == 0) fail("a message box without an owner: " + box.text);
    const bool question = box.buttons == platform::Buttons::OkCancel;
    if (question) checkNamed(box.text);
    Reply reply{Answer::Cancel, {}};
    if (depth_ < 2 && next_ < tape_.replies.size()) reply = tape_.replies[next_++];
    ++depth_;
    const std::string outer = where_;
    for (const Act& a : reply.nested) {
      where_ = outer + " > in \"" + box.text.substr(0, 40) + "\" " + describe(a);
      perform(a);
      check();
    }
    where_ = outer;
    --depth_;
    if (box.buttons == platform::Buttons::Ok) return Answer::Ok;
    if (box.buttons == platform::Buttons::CancelTryContinue) {
      if (reply.answer == Answer::TryAgain) h_.env.running.clear();  // the user quit WeChat
      return reply.answer == Answer::Ok ? Answer::Continue : reply.answer;
    }
    if (reply.answer != Answer::Ok) return Answer::Cancel;
    if (box.title == "想确认下") consent(box.text);
    return Answer::Ok;
  }

  static std::vector<std::string> namedIn(const std::string& text) {
    std::vector<std::string> named;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::size_t from = std::string::npos, to = std::string::npos;
      if (line.rfind("确认删除", 0) == 0) {
        from = line.find(":\\") - 1;
        to = line.find(" 下所有文件吗");
        if (to == std::string::npos) to = line.find("所有文件吗");
      } else if (line.rfind("同时删除：", 0) == 0) {
        from = std::string("同时删除：").size();
        to = line.find("（");
      }
      if (from != std::string::npos) named.push_back(line.substr(from, to - from));
    }
    return named;
  }

  const support::WorldAccount* accountOf(const std::string& path) const {
    for (const auto& a : world_.accounts)
      if (foldKey(path).rfind(foldKey(a.path + "\\"), 0) == 0) return &a;
    return nullptr;
  }

  void checkNamed(const std::string& text) {
    for (const auto& named : namedIn(text)) {
      const support::WorldAccount* a = accountOf(named);
      const auto& allowed = a && a->current ? kCurrentNamed : kClassicNamed;
      if (!a || !allowed.count(foldKey(named.substr(a->path.size()))))
        fail("a question names " + named + ", no folder of its account's WeChat");
    }
  }

  // The oracle's own model of a month row: its month names, whatever the window computes.
  std::vector<std::pair<std::string, std::string>> monthsOf(const std::string& named) {
    std::vector<std::pair<std::string, std::string>> found;  // (name, path)
    auto visible = [this](const std::string& folder) {
      std::vector<platform::DirEntry> out;
      for (auto& e : h_.fs.list(folder))
        if ((e.attributes & platform::kAttrDirectory) &&
            !(e.attributes & (platform::kAttrHidden | platform::kAttrSystem)))
          out.push_back(e);
      return out;
    };
    std::vector<std::string> parents{""};
    const auto parts = split(named);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::vector<std::string> next;
      const bool last = i + 1 == parts.size();
      for (const auto& p : parents) {
        if (parts[i] != "*") {
          next.push_back(p + (p.empty() ? "" : "\\") + parts[i]);
          continue;
        }
        for (auto& e : visible(p + "\\")) {
          if (e.attributes & platform::kAttrReparsePoint) continue;
          if (!last && parts[i + 1] == "IMG" && !isMonth(e.name)) continue;
          next.push_back(p + "\\" + e.name);
        }
      }
      parents = next;
    }
    const bool img = parts.back() == "IMG";
    for (const auto& p : parents) {
      if (img) {
        if (h_.fs.isDirectory(p + "\\")) found.emplace_back(split(p).end()[-2], p);
        continue;
      }
      const bool anyName =
          named.find('*') == std::string::npos && accountOf(named) && !accountOf(named)->current;
      for (auto& e : visible(p + "\\"))
        if ((anyName && foldKey(e.name) != "THUMB") || isMonth(e.name))
          found.emplace_back(foldKey(e.name), p + "\\" + e.name);
    }
    return found;
  }

  void consent(const std::string& text) {
    Consent c;
    c.named = namedIn(text);
    const support::WorldAccount* a = accountOf(c.named.front());
    if (!a) return;
    const std::string below = foldKey(c.named.front().substr(a->path.size()));
    // Each month row by the folder its question names first: its row, and where its months are.
    static const std::map<std::string, std::pair<std::size_t, std::vector<std::string>>> rows = {
        {"\\FILESTORAGE\\SNS\\CACHE\\", {4, {"\\FileStorage\\Sns\\Cache\\"}}},
        {"\\FILESTORAGE\\IMAGE\\",
         {5, {"\\FileStorage\\image\\", "\\FileStorage\\MsgAttach\\*\\Image\\"}}},
        {"\\FILESTORAGE\\IMAGE\\THUMB\\",
         {5, {"\\FileStorage\\image\\Thumb\\", "\\FileStorage\\MsgAttach\\*\\Thumb\\"}}},
        {"\\FILESTORAGE\\VIDEO\\", {6, {"\\FileStorage\\video\\"}}},
        {"\\MSG\\ATTACH\\*\\*\\IMG\\", {5, {"\\msg\\attach\\*\\*\\Img\\"}}},
        {"\\MSG\\VIDEO\\", {6, {"\\msg\\video\\"}}}};
    const auto row = rows.find(below);
    if (row == rows.end()) {
      for (const auto& named : c.named) {
        if (named.find('*') != std::string::npos) {
          for (auto& [name, path] : monthsOf(named)) c.toGo.push_back(path);
        } else if (h_.fs.attributes(named).value_or(0) & platform::kAttrReparsePoint) {
          for (auto& e : h_.fs.list(named)) c.toGo.push_back(named + e.name);
        } else {
          c.toGo.push_back(named);
        }
      }
    } else {
      const auto [index, patterns] = row->second;
      const int keep = clickKeep_.count(index) ? clickKeep_[index] : 6;
      std::vector<std::pair<std::string, std::string>> months;
      for (const auto& pattern : patterns)
        for (auto& m : monthsOf(a->path + pattern)) months.push_back(m);
      std::set<std::string> names;
      for (auto& [name, path] : months) names.insert(name);
      for (auto it = names.rbegin(); it != names.rend() && static_cast<int>(c.kept.size()) < keep;
           ++it)
        c.kept.insert(*it);
      for (auto& [name, path] : months)
        if (!c.kept.count(name)) c.toGo.push_back(path);
    }
    consents_.push_back(std::move(c));
  }

  bool allowed(const fakes::FakeRemover::Job& job) {
    if (!bannerClicked_.empty() && foldKey(job.accountRoot) == foldKey(bannerClicked_))
      for (const char* legacy : kLegacy)
        if (foldKey(job.target) == foldKey(bannerClicked_ + "\\" + legacy)) return true;
    const std::string target = job.ifEmpty ? job.target + "\\Img" : job.target;
    for (auto c = consents_.rbegin(); c != consents_.rend(); ++c) {
      for (const auto& named : c->named) {
        const auto month = within(named, target);
        if (!month) continue;
        // A month kept, or the whole folder that holds the months kept.
        if (!job.ifEmpty && (c->kept.count(*month) || (month->empty() && !c->kept.empty()))) {
          fail("removed " + job.target + ": one of the newest months the user kept");
          return true;
        }
        return true;
      }
    }
    return false;
  }

  // The account chosen last, in the list (by the user or by discovery) or by a name typed and
  // committed; text typed and not committed chooses nothing.
  const support::WorldAccount* onScreen() { return world_.byShownName(chosen_); }

  void checkFigure(const std::string& shown, const support::WorldAccount& a, const char* what) {
    std::string text = shown.rfind("×", 0) == 0 ? shown.substr(std::string("×").size()) : shown;
    if (text.empty() || text == "—" || text == "0 K" || text == "0" || text == " 0.00") return;
    const char unit = text.size() > 2 && text[text.size() - 2] == ' ' ? text.back() : 0;
    if (unit != a.band) fail(std::string(what) + " shows " + shown + " beside " + a.path);
  }

  void check() {
    const auto& jobs = h_.remover.jobs;
    for (; seen_ < jobs.size(); ++seen_)
      if (!allowed(jobs[seen_]))
        fail("removed " + jobs[seen_].target + ", which no confirmed question named");
    for (const auto& file : world_.untouchable)
      if (!h_.fs.exists(file)) fail(file + " was deleted");
    for (const auto& j : world_.junctions)
      if (!(h_.fs.attributes(j).value_or(0) & platform::kAttrReparsePoint))
        fail("the junction " + j + " was deleted");
    if (const auto* a = onScreen()) {
      checkFigure(w().accountPanel.size.text(), *a, "the account size");
      for (auto& row : w().grid.rows) checkFigure(row->size.text(), *a, row->size.name().c_str());
    }
    if (w().busyOverlay.frame.shown())
      for (auto& row : w().grid.rows)
        if (row->button.usable()) fail(row->button.name() + " takes input under the overlay");
    if (legacyWasShown_ != w().legacyBanner.frame.shown() ||
        w().accountPanel.path.text() != bannerPath_) {
      legacyWasShown_ = w().legacyBanner.frame.shown();
      bannerPath_ = w().accountPanel.path.text();
      bannerFor_ = legacyWasShown_ ? bannerPath_ : "";
    }
  }

  // Everything out reports and every step is taken; then each confirmed plan must have taken
  // what it named, save locked files, links kept and the months kept.
  void settle() {
    where_ = "at the end";
    h_.shell.answer = [](const fakes::MessageBoxCall&) { return Answer::Cancel; };
    h_.measurer.hold = h_.remover.hold = false;
    for (int i = 0; i < 12 && failure_.empty(); ++i) {
      h_.measurer.release();
      h_.remover.release();
      h_.clock.advance(60000);
      check();
    }
    for (const auto& c : consents_)
      for (const auto& path : c.toGo)
        if (!onlyLeftovers(path)) fail(path + " was confirmed and is still there");
  }

  bool onlyLeftovers(std::string path) {
    while (path.back() == '\\') path.pop_back();
    const auto attrs = h_.fs.attributes(path);
    if (!attrs) return true;
    if (*attrs & platform::kAttrReparsePoint) return h_.fs.keepLinks || h_.fs.list(path).empty();
    if (!(*attrs & platform::kAttrDirectory))
      return std::any_of(world_.locked.begin(), world_.locked.end(),
                         [&](const std::string& l) { return foldKey(l) == foldKey(path); });
    for (const auto& e : h_.fs.list(path))
      if (!onlyLeftovers(path + "\\" + e.name)) return false;
    return true;
  }

  fakes::Harness h_;
  std::mt19937 rng_;
  support::World world_;
  Tape tape_;
  std::size_t next_ = 0, seen_ = 0;
  int depth_ = 0;
  bool closed_ = false, legacyWasShown_ = false;
  std::string where_, failure_, bannerFor_, bannerPath_, bannerClicked_, chosen_;
  // Sees every entry chosen in the account list, whoever chose it.
  struct Watcher : fakes::FocusTaker {
    using FocusTaker::FocusTaker;
    std::function<void(ui::Control&, ui::Prop)> changed;
    void controlChanged(ui::Control& c, ui::Prop p) override { changed(c, p); }
  } watcher_{1};
  std::map<std::size_t, int> clickKeep_;
  std::vector<Consent> consents_;
};

// Drops acts while the sequence still fails, so the report shows what matters.
Tape shorten(std::uint32_t seed, Tape tape) {
  for (bool shorter = true; shorter;) {
    shorter = false;
    for (std::size_t i = 0; i < tape.acts.size(); ++i) {
      Tape fewer = tape;
      fewer.acts.erase(fewer.acts.begin() + static_cast<std::ptrdiff_t>(i));
      if (!Sequence(seed, fewer).run().empty()) {
        tape = fewer;
        shorter = true;
        --i;
      }
    }
  }
  return tape;
}

TEST(ConsentOracle, EveryDeletionIsWhatTheUserConfirmed) {
  const char* env = std::getenv("VELMORA_ORACLE_SEEDS");
  const std::uint32_t seeds = env ? static_cast<std::uint32_t>(std::atoi(env)) : 1000;
  for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
    std::mt19937 rng(seed * 7919u);
    const Tape tape = randomTape(rng);
    const std::string failure = Sequence(seed, tape).run();
    if (failure.empty()) continue;
    const Tape shortTape = shorten(seed, tape);
    std::string steps;
    for (const Act& a : shortTape.acts) steps += "\n  " + describe(a);
    FAIL() << "seed " << seed << ": " << Sequence(seed, shortTape).run() << "\nshortened:" << steps;
  }
}

}  // namespace
