#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <array>

#include "models/reference.h"
#include "platform/text.h"

namespace text = platform::text;
using rc::gen::inRange;

namespace {

// Bytes near UTF-8: characters of every length and at the edges between, also in longer
// (overlong) forms, surrogates, values past U+10FFFF, cut sequences and stray bytes.
std::string nearUtf8() {
  std::string s;
  for (int pieces = *inRange(0, 6); pieces > 0; --pieces) {
    const char32_t cp =
        *rc::gen::oneOf(inRange<char32_t>(0, 0x80), inRange<char32_t>(0x80, 0x800),
                        inRange<char32_t>(0x800, 0x10000), inRange<char32_t>(0xD800, 0xE000),
                        inRange<char32_t>(0x10000, 0x110000), inRange<char32_t>(0x110000, 0x200000),
                        rc::gen::element<char32_t>(0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFF,
                                                   0x10000, 0x10FFFF, 0x110000));
    const int least = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    const int n = *rc::gen::weightedOneOf<int>({{2, rc::gen::just(least)}, {1, inRange(least, 5)}});
    std::string p(1, char(n == 1 ? cp : (0xFF00 >> n & 0xFF) | cp >> 6 * (n - 1)));
    for (int k = n - 2; k >= 0; --k) p += char(0x80 | (cp >> 6 * k & 0x3F));
    if (*inRange(0, 8) == 0) p.pop_back();
    if (*inRange(0, 4) == 0)
      p[0] = *rc::gen::element<char>('\x80', '\xC0', '\xC1', '\xE0', '\xED', '\xF0', '\xF4', '\xF5',
                                     '\xF8', '\xFF');
    s += p;
  }
  return s;
}

// Arbitrary bytes and bytes near UTF-8; every character, from UTF-8 and from UTF-16 alike (what is
// malformed read as U+FFFD).
RC_GTEST_PROP(TextProperty, DecodesAsTheReference, (const std::string& bytes, bool big)) {
  RC_ASSERT(model::decodesAsTheModel(bytes));
  for (int round = 0; round < 4; ++round) {
    const std::string s = nearUtf8();
    RC_ASSERT(model::decodesAsTheModel(s));
    const std::u32string cps = model::decodeLossy(s);
    RC_ASSERT(text::decode(text::encode(cps)) == cps);
    RC_ASSERT(text::fromUtf16(model::utf16(cps, big), big) == text::encode(cps));
    std::u32string units;  // UTF-16 with surrogates alone, in pairs the wrong way round or twice
    for (int n = *inRange(0, 5); n > 0; --n)
      units += *rc::gen::element<char32_t>(0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFF, 'a');
    RC_ASSERT(model::decodesAsTheModel(model::utf16(units, big)));
  }
}

// Three names built from the same slots, each taking one of a slot's two spellings: case pairs of
// every folded script, look-alikes that are no pair, and bytes that are no UTF-8.
std::array<std::string, 3> threeNames() {
  static const std::vector<std::pair<std::string, std::string>> kSlots = {
      {"a", "A"},       {"z", "Z"},     {"é", "É"}, {"÷", "×"},  {"ÿ", "Ÿ"},
      {"α", "Α"},       {"ς", "Σ"},     {"я", "Я"}, {"ё", "Ё"},  {"\xC9", "É"},
      {"\xC9", "\xE9"}, {"\xC3", "中"}, {"a", "b"}, {"", "\x80"}};
  std::array<std::string, 3> names;
  for (int n = *inRange(0, 4); n > 0; --n) {
    const auto& slot = *rc::gen::elementOf(kSlots);
    for (auto& name : names) name += *rc::gen::arbitrary<bool>() ? slot.first : slot.second;
  }
  return names;
}

RC_GTEST_PROP(TextProperty, CaseInsensitiveOrderIsTheReferenceOrder, ()) {
  const auto [a, b, c] = threeNames();
  RC_ASSERT(model::comparesAsTheModel(a, b));
  RC_ASSERT(!text::lessNoCase(a, b) || !text::lessNoCase(b, c) || text::lessNoCase(a, c));
}

TEST(TextProperty, UpcaseIsTheReferenceThroughCyrillic) {
  for (char32_t c = 0; c < 0x500; ++c)
    ASSERT_EQ(model::keys(text::encode(std::u32string(1, c)))[0], text::upcase(c)) << unsigned(c);
}

}  // namespace
