#include <gtest/gtest.h>

#include "ui/model/controls.h"

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
