#include "platform/text.h"

namespace platform::text {

namespace {

constexpr char32_t kMalformed = 0x110000;

// The code point at `i` and its length in bytes; length 0 when the bytes there are malformed.
std::pair<char32_t, std::size_t> next(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const int extra = b < 0x80           ? 0
                    : (b >> 5) == 0x6  ? 1
                    : (b >> 4) == 0xE  ? 2
                    : (b >> 3) == 0x1E ? 3
                                       : -1;
  if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0))
    return {b, 0};
  char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((c & 0xC0) != 0x80) return {b, 0};
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {b, 0};
  return {cp, static_cast<std::size_t>(extra) + 1};
}

}  // namespace

std::optional<std::u32string> decode(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto [cp, n] = next(s, i);
    if (n == 0) return std::nullopt;
    out.push_back(cp);
    i += n;
  }
  return out;
}

std::u32string decodeLossy(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto [cp, n] = next(s, i);
    out.push_back(n == 0 ? U'\uFFFD' : cp);
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string encode(std::u32string_view s) {
  std::string out;
  for (char32_t cp : s) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::size_t length(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

char32_t upcase(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;     // Latin-1
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;                // Cyrillic Ѐ..Џ
  return c;
}

int compareNoCase(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const auto [x, m] = next(a, i);
    const auto [y, n] = next(b, j);
    // A malformed byte sorts above every character, so it never equals one ("\xC9" is not "É").
    const char32_t ux = m ? upcase(x) : kMalformed + x, uy = n ? upcase(y) : kMalformed + y;
    if (ux != uy) return ux < uy ? -1 : 1;
    i += m ? m : 1;
    j += n ? n : 1;
  }
  return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return compareNoCase(a, b) == 0;
}

bool lessNoCase(std::string_view a, std::string_view b) {
  const int c = compareNoCase(a, b);
  return c != 0 ? c < 0 : a < b;
}

std::string foldKey(std::string_view s) {
  // Malformed bytes stay as they are: two names have one key exactly when they compare equal.
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto [cp, n] = next(s, i);
    out += n == 0 ? std::string(1, s[i]) : encode(std::u32string(1, upcase(cp)));
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::optional<std::string> fromUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2) return std::nullopt;
  std::u32string cps;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    const auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    const char32_t unit = static_cast<char32_t>(hi << 8 | lo);
    if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;  // a low half alone
    if (unit < 0xD800 || unit > 0xDBFF) {
      cps.push_back(unit);
      continue;
    }
    if (i + 3 >= bytes.size()) return std::nullopt;
    i += 2;
    const auto hi2 = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    const auto lo2 = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    const char32_t low = static_cast<char32_t>(hi2 << 8 | lo2);
    if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
    cps.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
  }
  return encode(cps);
}

}  // namespace platform::text
