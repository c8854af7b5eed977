#include "clean/removal_engine.h"
#include "fakes/pumped_host.h"
#include "platform/posix/remove_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using clean::PathStyle;

struct RuleCase {
  const char* target;
  const char* account;
  const char* expect;  // canonical path when allowed, else a piece of the refusal
  bool allowed;
};

TEST(RemovalRules, WindowsTable) {
  const RuleCase cases[] = {
      {R"(C:\W\wxid_a\FileStorage\File)", R"(C:\W\wxid_a)", R"(C:\W\wxid_a\FileStorage\File)", 1},
      {R"(c:\w\WXID_A\filestorage\file\)", R"(C:\W\wxid_a\)", R"(C:\w\WXID_A\filestorage\file)", 1},
      {R"(C:\Users\Müller\x)", R"(C:\Users\MÜLLER)", R"(C:\Users\Müller\x)", 1},
      {R"(\\?\C:\W\a\\x)", R"(C:/W/a)", R"(C:\W\a\x)", 1},
      {R"(\\srv\Share\a\x)", R"(\\SRV\share\a)", R"(\\srv\Share\a\x)", 1},
      {R"(\\?\UNC\srv\share\a\x)", R"(\\srv\share\a)", R"(\\srv\share\a\x)", 1},
      {R"(C:\W\wxid_a)", R"(C:\W\wxid_a)", "account folder itself", 0},
      {R"(C:\W\wxid_a\)", R"(c:\w\WXID_A)", "account folder itself", 0},
      {R"(C:\a\bc\x)", R"(C:\a\b)", "outside", 0},
      {R"(C:\a\x)", R"(C:\a\b)", "outside", 0},
      {R"(D:\a\b\x)", R"(C:\a\b)", "outside", 0},
      {R"(C:\)", R"(C:\a)", "root", 0},
      {R"(\\srv\share\)", R"(\\srv\share\a)", "root", 0},
      {R"(C:\x)", R"(C:\)", "root", 0},
      {R"(C:\a\b\..\..\Windows)", R"(C:\a\b)", ". or ..", 0},
      {R"(C:\a\b\.\x)", R"(C:\a\b)", ". or ..", 0},
      {R"(C:\a\b\x)", R"(C:\a\b\..\b)", ". or ..", 0},
      {R"(C:\a\b\x)", "", "no account", 0},
      {R"(a\b\x)", R"(a\b)", "not a full path", 0},
      {R"(C:a\b\x)", R"(C:a\b)", "not a full path", 0},
      {R"(\\.\C:\a\b\x)", R"(C:\a\b)", "device", 0},
      {R"(C:\a\b\*)", R"(C:\a\b)", "character", 0},
      {R"(C:\a\b\x.)", R"(C:\a\b)", "dot or space", 0},
      {"C:\\a\\b\\\xC3", R"(C:\a\b)", "not valid text", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.target) + " in " + c.account);
    const auto check = clean::checkTarget(c.target, c.account, PathStyle::Windows);
    ASSERT_EQ(check.allowed(), c.allowed) << check.refusal;
    EXPECT_NE((c.allowed ? check.path : check.refusal).find(c.expect), std::string::npos);
    if (c.allowed) {
      EXPECT_EQ(check.path, c.expect);
    }
  }
  EXPECT_FALSE(clean::checkTarget("/t/Acct/x", "/t/acct", PathStyle::Posix).allowed());
  EXPECT_FALSE(clean::checkTarget("/x", "/", PathStyle::Posix).allowed());
  EXPECT_EQ(clean::checkTarget("/t//a/x/", "/t/a", PathStyle::Posix).path, "/t/a/x");
}

class RemovalEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/velmora-removal-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
    account_ = base_ / "acct";
    fs::create_directories(account_);
  }
  void TearDown() override {
    std::error_code ec;
    for (auto& p : fs::recursive_directory_iterator(base_, ec)) {
      fs::permissions(p.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(base_, ec);
  }
  static void file(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
  }
  void remove(const fs::path& target) {
    engine_->remove(target.string(), account_.string(), [this](const clean::RemovalReport& r) {
      EXPECT_EQ(std::this_thread::get_id(), testThread_);
      reports_.push_back(r);
    });
  }
  clean::RemovalReport removeOne(const fs::path& target) {
    reports_.clear();
    remove(target);
    EXPECT_TRUE(reports_.empty()) << "reported before the UI thread pumped";
    EXPECT_TRUE(host_.pumpUntil([&] { return reports_.size() >= 1; }));
    return reports_.empty() ? clean::RemovalReport{} : reports_.back();
  }

  fs::path base_, account_;
  fakes::PumpedHost host_;
  std::vector<clean::RemovalReport> reports_;
  std::thread::id testThread_ = std::this_thread::get_id();
  std::unique_ptr<clean::Remover> engine_ =
      clean::makeRemovalEngine(host_, platform::posix::makeRemovalBackend(), 2);
};

TEST_F(RemovalEngine, RemovesTreeAndLinksButNeverWhatTheyPointTo) {
  const fs::path outside = base_ / "outside";
  file(outside / "keep.txt");
  const fs::path target = account_ / "FileStorage";
  file(target / "a" / "b" / "ro.txt");
  fs::permissions(target / "a" / "b" / "ro.txt", fs::perms::owner_read);
  fs::permissions(target / "a" / "b", fs::perms::owner_read | fs::perms::owner_exec);
  fs::create_directory_symlink(outside, target / "a" / "link");
  fs::create_symlink(outside / "keep.txt", target / "filelink");

  const auto r = removeOne(target);
  EXPECT_TRUE(r.gone);
  EXPECT_FALSE(r.refused);
  EXPECT_EQ(r.remaining, 0u);
  EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));

  // A target that is itself a link: the link goes, the folder it names stays.
  fs::create_directory_symlink(outside, account_ / "dirlink");
  EXPECT_TRUE(removeOne(account_ / "dirlink").gone);
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST_F(RemovalEngine, PercentNamesAreTakenLiterally) {
  file(account_ / "100%OS%dir" / "f.txt");
  file(account_ / "100Windows_NTdir" / "f.txt");
  EXPECT_TRUE(removeOne(account_ / "100%OS%dir").gone);
  EXPECT_FALSE(fs::exists(account_ / "100%OS%dir"));
  EXPECT_TRUE(fs::exists(account_ / "100Windows_NTdir" / "f.txt"));
}

TEST_F(RemovalEngine, VanishedTargetIsGoneAndRefusedTargetIsUntouched) {
  EXPECT_TRUE(removeOne(account_ / "never-there").gone);

  file(base_ / "sibling" / "f.txt");
  const auto r = removeOne(base_ / "sibling");
  EXPECT_TRUE(r.refused);
  EXPECT_FALSE(r.gone);
  EXPECT_TRUE(fs::exists(base_ / "sibling" / "f.txt"));
  EXPECT_TRUE(removeOne(account_).refused);
  EXPECT_TRUE(fs::exists(account_));
}

TEST_F(RemovalEngine, SeveralRemovalsRunAtOnce) {
  const int kJobs = 6;
  for (int j = 0; j < kJobs; ++j) {
    for (int d = 0; d < 20; ++d) {
      for (int f = 0; f < 10; ++f)
        file(account_ / std::to_string(j) / std::to_string(d) / std::to_string(f));
    }
  }
  for (int j = 0; j < kJobs; ++j) remove(account_ / std::to_string(j));
  ASSERT_TRUE(host_.pumpUntil([&] { return reports_.size() >= kJobs; }));
  for (const auto& r : reports_) EXPECT_TRUE(r.gone) << r.target;
  EXPECT_TRUE(fs::is_empty(account_));
}

// A backend that plays back a fixed tree, some of whose entries cannot be removed.
class ScriptedBackend final : public clean::RemovalBackend {
 public:
  PathStyle pathStyle() const override { return PathStyle::Windows; }
  clean::FolderPass clearFolder(const std::string& path) override {
    auto it = folders.find(path);
    return it == folders.end() ? clean::FolderPass{clean::FolderPass::Kind::Missing, {}, 0, ""}
                               : it->second;
  }
  clean::EntryOutcome removeEntry(const std::string& path) override {
    auto it = stuck.find(path);
    return it == stuck.end() ? clean::EntryOutcome{true, ""}
                             : clean::EntryOutcome{false, it->second};
  }
  std::map<std::string, clean::FolderPass> folders;
  std::map<std::string, std::string> stuck;  // path -> why it stays
};

TEST(RemovalEngineCounts, CountsWhatRemainsBelowTheTarget) {
  using Kind = clean::FolderPass::Kind;
  auto backend = std::make_unique<ScriptedBackend>();
  backend->folders = {
      {R"(C:\a\t)", {Kind::Emptied, {"sub"}, 0, ""}},
      {R"(C:\a\t\sub)", {Kind::Emptied, {"x", "lnk", "y"}, 0, ""}},
      {R"(C:\a\t\sub\x)", {Kind::Emptied, {}, 2, "in use"}},  // two files stayed
      {R"(C:\a\t\sub\lnk)", {Kind::NotAFolder, {}, 0, ""}},
      {R"(C:\a\t\sub\y)", {Kind::Emptied, {}, 0, ""}},
  };
  backend->stuck = {{R"(C:\a\t)", "not empty"},
                    {R"(C:\a\t\sub)", "not empty"},
                    {R"(C:\a\t\sub\x)", "not empty"},
                    {R"(C:\a\t\sub\lnk)", "access denied"}};
  fakes::PumpedHost host;
  std::vector<clean::RemovalReport> reports;
  auto engine = clean::makeRemovalEngine(host, std::move(backend), 2);
  auto keep = [&](const clean::RemovalReport& r) { reports.push_back(r); };
  engine->remove(R"(C:\a\t)", R"(C:\a)", keep);
  engine->remove(R"(C:\a\t\sub)", R"(C:\a)", keep);
  ASSERT_TRUE(host.pumpUntil([&] { return reports.size() >= 2; }));
  for (const auto& r : reports) {
    SCOPED_TRACE(r.target);
    EXPECT_FALSE(r.gone);
    // x, its two files and lnk; sub too when it is not the target (the target is `gone`'s).
    EXPECT_EQ(r.remaining, r.target.ends_with("sub") ? 4u : 5u);
    EXPECT_TRUE(r.firstReason == "in use" || r.firstReason == "access denied") << r.firstReason;
  }
}

}  // namespace
