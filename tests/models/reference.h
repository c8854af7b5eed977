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
  const std::u32string u = units(s);
  if (std::any_of(u.begin(), u.end(), [](char32_t c) { return c > 0x10FFFF; })) return std::nullopt;
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

inline std::string utf16(std::u32string_view cps, bool big) {
  std::string out;
  auto put = [&](char32_t u) { out += {char(big ? u >> 8 : u), char(big ? u : u >> 8)}; };
  for (char32_t c : cps)
    c < 0x10000 ? put(c) : (put(0xD800 + ((c - 0x10000) >> 10)), put(0xDC00 + (c & 0x3FF)));
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

// The names of `path` between its separators.
inline std::vector<std::string> names(std::string_view path, char separator = '\\') {
  std::vector<std::string> out(1);
  for (char c : path) c == separator ? out.emplace_back() : out.back() += c;
  return out;
}

// What no removal may touch below an account, and, marked "+", what inside it may go again.
inline const std::vector<std::string> kNeverTouched = {
    // WeChat 3.x: chat databases, settings, phone backups, the folder all users share. 4.x keeps
    // media in "msg" (one name with "Msg" to NTFS), in three sub-folders.
    "Msg", "+Msg\\attach", "+Msg\\video", "+Msg\\file", "config", "BackupFiles", "Backup",
    "All Users",
    // WeChat 4.x: chat databases, the folder all users share, favourites but their cache.
    "db_storage", "all_users", "business", "+business\\emoticon", "+business\\favorite\\temp"};

// Whether the removal rules may let `path` go from `account`, both canonical: an upper-case drive
// letter or "\\server\share", then backslashes; on POSIX "/", then slashes, names matched by their
// bytes. The account is below the root, the path strictly inside it, each name one the system
// takes as written, and the innermost entry of kNeverTouched that holds the path lets it go.
inline bool mayGo(const std::string& path, const std::string& account, bool posix = false) {
  auto key = [posix](std::string_view s) { return posix ? units(s) : keys(s); };
  const std::string_view refused = posix ? "" : "<>:\"|?*/";  // and, on Windows, controls
  auto bad = [&](const std::string& n) {
    return n.empty() || n == "." || n == ".." || !decode(n) ||
           std::any_of(n.begin(), n.end(), [&](char c) {
             return std::uint8_t(c) < (posix ? 1 : 0x20) || refused.find(c) != refused.npos;
           });
  };
  const auto p = names(path, posix ? '/' : '\\'), a = names(account, posix ? '/' : '\\');
  const std::size_t root = path.starts_with("\\\\") ? 4 : 1;  // "C:" or "", "", server, share
  // Whether the path's names from `at` on begin with `prefix`.
  auto holds = [&](const std::vector<std::string>& prefix, std::size_t at) {
    bool in = at + prefix.size() <= p.size();
    for (std::size_t i = 0; in && i < prefix.size(); ++i) in = key(p[at + i]) == key(prefix[i]);
    return in;
  };
  if (a.size() <= root || p.size() <= a.size() || !holds(a, 0) ||
      std::any_of(p.begin() + root, p.end(), bad))
    return false;
  bool goes = true;
  for (const std::string& entry : kNeverTouched)
    if (holds(names(entry.substr(entry[0] == '+')), a.size())) goes = entry[0] == '+';
  return goes;
}

}  // namespace model
