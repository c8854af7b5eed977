// The numbers a user reads (sizes) and types (the months box), against references.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "clean/month_folders.h"
#include "space/size_text.h"
#include "ui/model/controls.h"

using rc::gen::inRange;

namespace {

std::uint64_t pow10(int e) {
  return e > 0 ? 10 * pow10(e - 1) : 1;
}

// In 128 bits, where the code stays in 64: hundredths of the unit, halves up.
std::string reference(std::uint64_t bytes, int band, const std::string& decimal) {
  if (band == 0) return std::to_string(bytes);
  const unsigned __int128 unit = pow10(3 * band);
  const auto h = std::uint64_t((static_cast<unsigned __int128>(bytes) * 200 + unit) / (2 * unit));
  return std::to_string(h / 100) + decimal + std::to_string(100 + h % 100).substr(1) + " " +
         "KMG"[band - 1];
}

// Sizes anywhere, at every power of ten (the band edges among them) and at the halves where
// rounding turns.
RC_GTEST_PROP(NumbersProperty, SizeTextIsTheReference, ()) {
  const std::uint64_t unit = pow10(3 * *inRange(1, 4));
  const std::uint64_t bytes = *rc::gen::oneOf(
      rc::gen::arbitrary<std::uint64_t>(),
      rc::gen::map(rc::gen::pair(inRange(0, 20), inRange(-2, 3)),
                   [](auto p) { return pow10(p.first) + std::uint64_t(p.second); }),
      rc::gen::map(rc::gen::pair(inRange<std::uint64_t>(0, 200000), inRange(-1, 2)),
                   [unit](auto p) { return p.first * (unit / 100) + unit / 200 + p.second; }));
  const std::string decimal = *rc::gen::element<std::string>(".", ",", "٫");
  const int band = bytes < 1000 ? 0 : bytes < 1000000 ? 1 : bytes < 1000000000 ? 2 : 3;
  RC_ASSERT(space::sizeText(bytes, decimal) == reference(bytes, band, decimal));
  RC_ASSERT(space::bandOf(bytes) == space::Band(band));
  // A measured size shows that text in its band's colour; a missing folder shows "0 K".
  const auto palette = *rc::gen::element(space::Palette::Category, space::Palette::Account);
  const bool exists = *rc::gen::arbitrary<bool>();
  const auto f = space::figuresOf({exists, bytes, 7, 0}, palette, decimal);
  const auto first = space::figuresOf({true, pow10(3 * band), 0, 0}, palette, decimal);
  RC_ASSERT(f.text == (exists ? reference(bytes, band, decimal) : "0 K"));
  RC_ASSERT(f.exists == exists && f.bytes == (exists ? bytes : 0) &&
            f.subfolders == (exists ? 7u : 0u));
  RC_ASSERT(f.colour.has_value() == (exists && band > 0));
  if (f.colour) RC_ASSERT(f.colour == first.colour);
  const auto next = space::figuresOf({true, pow10(3 * (band % 3 + 1)), 0, 0}, palette, decimal);
  RC_ASSERT(band == 0 || first.colour != next.colour);  // each band its own colour
}

std::string fullWidth(int digit) {
  return std::string("\xEF\xBC") + char(0x90 + digit);  // U+FF10 + digit
}

// Whatever is typed or pasted into the months box: one or two digits, full-width ones as the
// same digits, make a count; anything else none.
RC_GTEST_PROP(NumbersProperty, MonthsBoxReadsOneOrTwoDigits, ()) {
  for (int round = 0; round < 4; ++round) {
    std::string typed;
    unsigned value = 0;
    const int length = *rc::gen::weightedOneOf<int>({{6, inRange(1, 3)}, {1, inRange(0, 5)}});
    bool digits = length > 0 && length <= 2;
    for (int i = 0; i < length; ++i) {
      const int digit = *rc::gen::element(0, 1, 2, 3, 4, 5, 6, 7, 8, 9);  // inRange starts small
      const std::string piece = *rc::gen::weightedOneOf<std::string>(
          {{4, rc::gen::just(std::to_string(digit))},
           {2, rc::gen::just(fullWidth(digit))},
           {1, rc::gen::element<std::string>(" ", "-", "+", "a", "٣", "\xEF\xBC", "\xC0\xB1", "/",
                                             ":")}});
      typed += piece;
      digits = digits && (piece == std::to_string(digit) || piece == fullWidth(digit));
      value = value * 10 + unsigned(digit);
    }
    RC_ASSERT(clean::parseKeepCount(typed).value_or(1000) == (digits ? value : 1000));
  }
}

TEST(ProgressBar, MapsByteCountsOntoItsRangeAndStaysInside) {
  ui::Form form("Form");
  ui::ProgressBar bar(form, "Bar");
  bar.setProgress(UINT64_MAX / 4, UINT64_MAX);
  EXPECT_EQ(bar.position(), 250);
  bar.setProgress(UINT64_MAX, 7);
  EXPECT_EQ(bar.position(), ui::ProgressBar::kSteps);
  bar.setProgress(7, 0);
  EXPECT_EQ(bar.position(), 0);
  bar.setRange(10, 20);
  bar.setPosition(99);
  EXPECT_EQ(bar.position(), 20);
}

}  // namespace
