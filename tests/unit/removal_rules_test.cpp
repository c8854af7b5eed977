#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "clean/removal_rules.h"
#include "models/reference.h"
#include "support/generators.h"

using rc::gen::inRange;
using support::anyCase;
using support::coin;

namespace {

// A path as the model sees it: a drive letter, or none for a share whose server and share are
// the first two names.
struct Path {
  char drive = 'C';
  std::vector<std::string> names;
};

// `p` as a caller may spell it: either separator, doubled ones, a trailing one, "\\?\".
std::string spell(const Path& p) {
  std::string s = p.drive ? (coin(4) ? "\\\\?\\" : "") + anyCase(std::string(1, p.drive)) + ":"
                          : (coin(4) ? "\\\\?\\UNC" : "\\");
  for (const auto& n : p.names) s += std::string(*inRange(1, 3), coin() ? '\\' : '/') + n;
  return s + (coin(3) ? "\\" : "") + (coin(6) ? "/" : "");
}

// A name below the account: of the never-touched folders, others and bad ones.
std::string belowName() {
  std::vector<std::string> kept;
  for (const auto& k : model::kNeverTouched)
    for (const auto& v : {k.folder, k.except}) kept.insert(kept.end(), v.begin(), v.end());
  return anyCase(*rc::gen::weightedOneOf<std::string>(
      {{3, rc::gen::elementOf(kept)},
       {2, rc::gen::element<std::string>("FileStorage", "Cache", "2023-01", "Backup.", "Msg ",
                                         "...", "CON", "nul", "MÜLLER", "微信", "x", "temp")},
       {1, rc::gen::element<std::string>(".", "..", "x:y", "a*b", "t\tb", "\xC0\xAE\xC0\xAE",
                                         "\xC3", "q?")}}));
}

// `p` as the rules write it.
std::string canonical(const Path& p) {
  std::string path = p.drive ? std::string(1, char(p.drive & ~0x20)) + ":" : "\\";
  for (const auto& n : p.names) path += "\\" + n;
  return path;
}

Path anyAccount() {
  Path a{*rc::gen::element('C', 'd', '\0'), {}};
  if (!a.drive) a.names = {"srv", "share"};
  for (int n = *inRange(1, 4); n > 0; --n)
    a.names.push_back(*rc::gen::element<std::string>("W", "wxid_a", "Müller", "微信数据", "a b"));
  return a;
}

// A target in, beside or above the account, spelled in any way; below it often a never-touched
// folder, maybe one of its exceptions, then any names.
RC_GTEST_PROP(RemovalRules, RulesAreTheModelsUnderAnySpelling, ()) {
  for (int round = 0; round < 40; ++round) {
    const Path a = anyAccount();
    Path t = a;
    for (auto& n : t.names) n = anyCase(n);
    if (coin(6)) t.drive = *rc::gen::element('C', 'c', 'D', '\0');
    if (coin(6)) t.names.pop_back();
    if (coin(6) && !t.names.empty())
      t.names.back() += *rc::gen::element<std::string>("c", "\xCC\x88", ".");
    if (coin()) {
      const auto& k = *rc::gen::elementOf(model::kNeverTouched);
      for (const auto& n : k.folder) t.names.push_back(anyCase(n));
      if (!k.except.empty() && coin(3)) t.names.push_back(anyCase(*rc::gen::elementOf(k.except)));
    }
    for (int n = *inRange(0, 3); n > 0; --n) t.names.push_back(belowName());
    const auto got = clean::checkTarget(spell(t), spell(a), clean::PathStyle::Windows);
    const bool goes = model::mayGo(canonical(t), canonical(a));
    RC_ASSERT((got.allowed() ? got.path : "-") == (goes ? canonical(t) : "-"));
  }
}

// What the properties do not spell: an empty or relative account, a
// device path, ".." in the account; and the rules on POSIX paths.
TEST(RemovalRules, AccountsThePropertiesDoNotSpellAndPosixPaths) {
  const char* refused[][3] = {{R"(C:\a\b\x)", "", "no account"},
                              {R"(a\b\x)", R"(a\b)", "not a full path"},
                              {R"(C:a\b\x)", R"(C:\a\b)", "not a full path"},
                              {R"(\\.\C:\a\b\x)", R"(C:\a\b)", "device"},
                              {R"(C:\a\b\x)", R"(C:\a\b\..\b)", ". or .."}};
  for (const auto& [target, account, why] : refused)
    EXPECT_NE(clean::checkTarget(target, account, clean::PathStyle::Windows).refusal.find(why),
              std::string::npos)
        << target << " in " << account;
  EXPECT_FALSE(clean::checkTarget("/t/Acct/x", "/t/acct", clean::PathStyle::Posix).allowed());
  EXPECT_FALSE(clean::checkTarget("/x", "/", clean::PathStyle::Posix).allowed());
  EXPECT_EQ(clean::checkTarget("/t//a/x/", "/t/a", clean::PathStyle::Posix).path, "/t/a/x");
}

}  // namespace
