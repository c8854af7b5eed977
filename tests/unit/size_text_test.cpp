#include <gtest/gtest.h>

#include "space/size_text.h"

namespace {

TEST(SizeText, BandsBoundariesAndRounding) {
  struct Case {
    std::uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1.00 K"},
      {1001, "1.00 K"},
      {1005, "1.01 K"},  // exact halves round up
      {1234, "1.23 K"},
      {999999, "1000.00 K"},  // the unit is chosen before rounding
      {1000000, "1.00 M"},
      {1234567, "1.23 M"},
      {1000000000, "1.00 G"},
      {2500000000, "2.50 G"},
      {25000000000, "25.00 G"},
      {1500000000000, "1500.00 G"},
      {18446744073709551615ull, "18446744073.71 G"},
  };
  for (const auto& c : cases) EXPECT_EQ(space::sizeText(c.bytes), c.text) << c.bytes;
  EXPECT_EQ(space::sizeText(1234, ","), "1,23 K");
}

}  // namespace
