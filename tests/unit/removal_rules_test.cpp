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

// `p` as a caller may spell it: either separator, doubled ones, a trailing one, "\\?\"; on POSIX
// slashes and no drive or share. A `root` given replaces the drive or share.
std::string spell(const Path& p, bool posix, std::string root = "") {
  if (root.empty() && !posix)
    root = p.drive ? (coin(4) ? "\\\\?\\" : "") + anyCase(std::string(1, p.drive)) + ":"
                   : (coin(4) ? "\\\\?\\UNC" : "\\");
  for (const auto& n : p.names)
    root += std::string(*inRange(1, 3), posix || coin() ? '/' : '\\') + n;
  return root + (coin(3) ? posix ? "/" : "\\" : "") + (coin(6) ? "/" : "");
}

// A name below the account: of the never-touched folders, others and bad ones.
std::string belowName() {
  std::vector<std::string> kept;
  for (const auto& entry : model::kNeverTouched)
    for (const auto& n : model::names(entry.substr(entry[0] == '+'))) kept.push_back(n);
  return anyCase(*rc::gen::weightedOneOf<std::string>(
      {{3, rc::gen::elementOf(kept)},
       {2, rc::gen::element<std::string>("FileStorage", "Cache", "2023-01", "Backup.", "Msg ",
                                         "...", "CON", "nul", "MÜLLER", "微信", "x", "temp")},
       {1, rc::gen::element<std::string>(".", "..", "x:y", "a*b", "t\tb", "\xC0\xAE\xC0\xAE",
                                         "\xC3", "q?")}}));
}

// `p` as the rules write it.
std::string canonical(const Path& p, bool posix) {
  std::string path = posix ? "" : p.drive ? std::string(1, char(p.drive & ~0x20)) + ":" : "\\";
  for (const auto& n : p.names) path += (posix ? "/" : "\\") + n;
  return path;
}

// An account folder (one time in eight a drive's or share's root, which nothing may go from) and a
// target in, beside or above it, spelled in any way, on Windows or POSIX; below it often a
// never-touched folder, maybe one of its exceptions, then any names. One time in eight the account
// is spelled as no full path: relative, on a drive's current folder, a device's.
RC_GTEST_PROP(RemovalRules, RulesAreTheModelsUnderAnySpelling, ()) {
  for (int round = 0; round < 40; ++round) {
    Path a{*rc::gen::element('C', 'd', '\0'), {}};
    if (!a.drive) a.names = {"srv", "share"};
    for (int n = coin(8) ? 0 : *inRange(1, 4); n > 0; --n)
      a.names.push_back(
          *rc::gen::element<std::string>("W", "wxid_a", "Müller", "微信数据", "a b", ".."));
    Path t = a;
    for (auto& n : t.names) n = anyCase(n);
    if (coin(6)) t.drive = *rc::gen::element('C', 'c', 'D', '\0');
    if (coin(6) && !t.names.empty()) t.names.pop_back();
    if (coin(6) && !t.names.empty())
      t.names.back() += *rc::gen::element<std::string>("c", "\xCC\x88", ".");
    if (coin()) {
      const std::string& entry = *rc::gen::elementOf(model::kNeverTouched);
      for (const auto& n : model::names(entry.substr(entry[0] == '+')))
        t.names.push_back(anyCase(n));
      if (coin(3)) t.names.back() = belowName();  // a sibling of the folder named last
    }
    for (int n = *inRange(0, 3); n > 0; --n) t.names.push_back(belowName());
    const bool posix = coin(4), full = !coin(8);
    const auto got = clean::checkTarget(
        spell(t, posix),
        spell(a, posix, full ? "" : *rc::gen::element<std::string>("x", "C:x", "\\\\.\\C:")),
        posix ? clean::PathStyle::Posix : clean::PathStyle::Windows);
    const bool goes = full && model::mayGo(canonical(t, posix), canonical(a, posix), posix);
    RC_ASSERT((got.allowed() ? got.path : "-") == (goes ? canonical(t, posix) : "-"));
  }
}

}  // namespace
