// Reference models for the properties (tests/unit/*_property_test.cpp) and the fuzz targets
// (tests/fuzz), written from what the rules mean and in another shape than the code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"

namespace model {

namespace text = platform::text;

// Code points of UTF-8 text by Unicode's table of well-formed sequences (lead bytes, length, the
// range of the second byte); a malformed byte b counts as 0x110000 + b, above every character.
inline std::u32string units(std::string_view s) {
  static constexpr unsigned kRows[][5] = {
      {0x00, 0x7F, 1, 0, 0},       {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF},
      {0xE1, 0xEC, 3, 0x80, 0xBF}, {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF},
      {0xF0, 0xF0, 4, 0x90, 0xBF}, {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F}};
  auto at = [&s](std::size_t k) { return k < s.size() ? unsigned(std::uint8_t(s[k])) : 0u; };
  std::u32string out;
  for (std::size_t i = 0, n = 1; i < s.size(); i += n, n = 1) {
    out += char32_t(0x110000 + at(i));
    for (const auto& r : kRows) {
      if (at(i) < r[0] || at(i) > r[1]) continue;
      char32_t c = r[2] == 1 ? at(i) : at(i) & 0x7F >> r[2];
      std::size_t k = 1;
      for (; k < r[2] && (k == 1 ? at(i + 1) >= r[3] && at(i + 1) <= r[4] : at(i + k) >> 6 == 2);)
        c = c << 6 | (at(i + k++) & 0x3F);
      if (k == r[2]) out.back() = c, n = k;
    }
  }
  return out;
}

inline std::optional<std::u32string> decode(std::string_view s) {
  std::u32string u = units(s);
  for (char32_t c : u)
    if (c > 0x10FFFF) return std::nullopt;
  return u;
}

inline std::u32string decodeLossy(std::string_view s) {
  std::u32string u = units(s);
  for (char32_t& c : u) c = c > 0x10FFFF ? U'\uFFFD' : c;
  return u;
}

// What the case-insensitive comparison compares: NTFS's capitals in the ranges Velmora folds
// (each run of small letters and where its capitals start).
inline std::u32string keys(std::string_view s) {
  static constexpr char32_t kRuns[][3] = {
      {U'a', U'z', U'A'}, {U'à', U'ö', U'À'}, {U'ø', U'þ', U'Ø'}, {U'α', U'ρ', U'Α'},
      {U'σ', U'ω', U'Σ'}, {U'а', U'я', U'А'}, {U'ѐ', U'џ', U'Ѐ'}};
  std::u32string u = units(s);
  for (char32_t& c : u)
    for (const auto& r : kRuns) c = c >= r[0] && c <= r[1] ? c - r[0] + r[2] : c;
  return u;
}

inline std::string utf16(std::u32string_view cps, bool bigEndian) {
  std::u16string units;
  for (char32_t c : cps)
    if (c < 0x10000)
      units += char16_t(c);
    else
      units += {char16_t(0xD800 + ((c - 0x10000) >> 10)), char16_t(0xDC00 + (c & 0x3FF))};
  std::string out;
  for (char16_t u : units) out += {char(bigEndian ? u >> 8 : u), char(bigEndian ? u : u >> 8)};
  return out;
}

// Whether the text functions agree with the models on the bytes `s`: decoded, encoded again and
// read from UTF-16; UTF-16 that is read back is what the characters read make.
inline bool decodesAsTheModel(std::string_view s) {
  const auto cps = text::decode(s);
  bool same = cps == decode(s) && text::decodeLossy(s) == decodeLossy(s) &&
              (!cps || (text::encode(*cps) == s && text::length(s) == cps->size()));
  for (bool big : {false, true}) {
    const auto utf8 = text::fromUtf16(s, big);
    same = same && (!utf8 || (decode(*utf8) && utf16(*decode(*utf8), big) == s));
  }
  return same;
}

// Whether the case-insensitive comparison of `a` and `b` is that of their keys.
inline bool comparesAsTheModel(std::string_view a, std::string_view b) {
  const auto ka = keys(a), kb = keys(b);
  return text::compareNoCase(a, b) == (ka > kb) - (ka < kb) &&
         text::equalNoCase(a, b) == (ka == kb) &&
         (text::foldKey(a) == text::foldKey(b)) == (ka == kb) &&
         text::lessNoCase(a, b) == (ka < kb || (ka == kb && a < b));
}

// Whether a folder from the settings is handed on tidy: full, UTF-8, no separator doubled (a
// share's leading pair aside) or at the end, no '/', no character Windows refuses in a name.
inline bool tidy(std::string_view f) {
  return !f.empty() && f.back() != '\\' && decode(f) && f.find("\\\\", 1) == f.npos &&
         f.find_first_of("/<>\"|?*") == f.npos && f.find(':', 2) == f.npos &&
         (f.size() < 3 || f[1] != ':' || f[2] == '\\');
}

// What no removal may touch below an account, but for the sub-folders named beside it.
struct Kept {
  std::vector<std::string> folder, except;
};
inline const std::vector<Kept> kNeverTouched = {
    // WeChat 3.x: chat databases, settings, phone backups, the folder all users share. 4.x keeps
    // media in "msg" (one name with "Msg" to NTFS), in three sub-folders.
    {{"Msg"}, {"attach", "video", "file"}},
    {{"config"}, {}},
    {{"BackupFiles"}, {}},
    {{"Backup"}, {}},
    {{"All Users"}, {}},
    // WeChat 4.x: chat databases, the folder all users share, favourites but their cache.
    {{"db_storage"}, {}},
    {{"all_users"}, {}},
    {{"business"}, {"emoticon", "favorite"}},
    {{"business", "favorite"}, {"temp"}}};

// `below`: a target's names below the account folder.
inline bool neverTouched(const std::vector<std::string>& below) {
  auto same = [&below](std::size_t i, const std::string& name) {
    return i < below.size() && keys(below[i]) == keys(name);
  };
  for (const Kept& k : kNeverTouched) {
    bool under = true, excepted = false;
    for (std::size_t i = 0; i < k.folder.size(); ++i) under = under && same(i, k.folder[i]);
    for (const auto& e : k.except) excepted = excepted || same(k.folder.size(), e);
    if (under && !excepted) return true;
  }
  return false;
}

// Whether the removal rules may let `path` go from `account`, both canonical (an upper-case drive
// letter or "\\server\share", then backslashes): it lies strictly inside, each name below is one
// Windows takes as written, and none is a never-touched folder.
inline bool mayGo(const std::string& path, const std::string& account) {
  if (!keys(path).starts_with(keys(account + "\\"))) return false;
  std::vector<std::string> below(1);
  for (char c : path.substr(account.size() + 1))
    c == '\\' ? below.emplace_back() : below.back() += c;
  for (const auto& n : below)
    if (n.empty() || n == "." || n == ".." || !decode(n) ||
        std::any_of(n.begin(), n.end(), [](char c) {
          return std::uint8_t(c) < 0x20 ||
                 std::string_view("<>:\"|?*/").find(c) != std::string::npos;
        }))
      return false;
  return !neverTouched(below);
}

}  // namespace model
