#include <gtest/gtest.h>

#include "ui/model/controls.h"

namespace {

struct ValueChanges : ui::Binding {
  int count = 0;
  void controlChanged(ui::Control&, ui::Prop p) override { count += p == ui::Prop::Value; }
  void formChanged(ui::Form&) override {}
  bool focus(ui::Control&) override { return true; }
};

TEST(ProgressBar, MapsByteCountsOntoItsRangeAndStaysInside) {
  ui::Form form("Form");
  ui::ProgressBar bar(form, "Bar");
  ValueChanges changes;
  form.bind(&changes);
  struct Case {
    std::uint64_t done, total;
    int position;
  };
  const Case cases[] = {{3'000'000'000'000, 6'000'000'000'000, 500},
                        {UINT64_MAX, UINT64_MAX, 1000},
                        {5, 4, 1000},
                        {7, 0, 0}};
  for (const auto& c : cases) {
    bar.setProgress(c.done, c.total);
    EXPECT_EQ(bar.position(), c.position) << c.done << "/" << c.total;
  }
  EXPECT_EQ(bar.maximum(), ui::ProgressBar::kSteps);
  bar.setRange(10, 20);
  EXPECT_EQ(bar.position(), 10);
  bar.setPosition(99);
  EXPECT_EQ(bar.position(), 20);
  const int before = changes.count;
  bar.setPosition(20);
  EXPECT_EQ(changes.count, before) << "no notice without a change";
}

}  // namespace
