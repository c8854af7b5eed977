#include <gtest/gtest.h>

#include "fakes/harness.h"

using fakes::Harness;

namespace {

struct Cleaning : ::testing::Test {
  Harness h;
  std::string storage() { return h.account("acct") + "\\FileStorage"; }
  std::vector<std::string> removed() {
    std::vector<std::string> out;
    for (auto& j : h.remover.jobs) out.push_back(j.target);
    return out;
  }
  void SetUp() override {
    h.addAccount("acct");
    h.startAndSettle();
    h.shell.boxes.clear();
  }
};

TEST_F(Cleaning, WholeCategoryConfirmsRemovesAndReportsOnlyWhenDone) {
  h.fs.addFile(storage() + "\\Cache\\2023-01\\a", 10);
  h.remover.hold = true;
  h.form.C1.click();
  const std::string target = storage() + "\\Cache\\";
  ASSERT_EQ(h.shell.boxes.size(), 1u);
  EXPECT_EQ(h.shell.boxes[0].text, "确认删除 " + target + " 下所有文件吗？确认后将直接删除");
  EXPECT_EQ(h.shell.boxes[0].title, "想确认下");
  EXPECT_EQ(h.shell.boxes[0].style, 33u);
  EXPECT_TRUE(h.form.Frame2.visible()) << "the overlay stays up while the job runs";
  EXPECT_EQ(h.shell.boxes.size(), 1u) << "no success before the job has ended";
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.shell.boxes.back().text, "删除完成");
  EXPECT_EQ(h.shell.boxes.back().title, "Velmora2023.02版");
  EXPECT_FALSE(h.form.Frame2.visible());
  EXPECT_EQ(h.form.Labeltip.text(), target + "已清空..");
  EXPECT_FALSE(h.fs.exists(target));
  EXPECT_EQ(h.remover.jobs[0].accountRoot, h.account("acct"));
}

TEST_F(Cleaning, FilesInUseAreReportedNotCalledDone) {
  h.fs.addFile(storage() + "\\General\\a", 10);
  h.fs.addFile(storage() + "\\General\\held", 10);
  h.fs.setLocked(storage() + "\\General\\held");
  h.form.C4.click();
  h.clock.advance(10);
  EXPECT_NE(h.shell.boxes.back().text.find("有 1 个文件"), std::string::npos);
  EXPECT_NE(h.shell.boxes.back().text.find("退出微信"), std::string::npos);
  EXPECT_EQ(h.form.Labeltip.text().find("已清空"), std::string::npos);
}

TEST_F(Cleaning, CancelAndMissingFolder) {
  h.fs.addFile(storage() + "\\Fav\\a", 10);
  h.form.Labeltip.setText("before");
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::kIdCancel; };
  h.form.C3.click();
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_FALSE(h.form.Frame2.visible());
  EXPECT_EQ(h.form.Labeltip.text(), "before");
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::kIdOk; };
  h.form.C2.click();
  EXPECT_EQ(h.shell.boxes.back().text, "文件夹不存在");
  EXPECT_EQ(h.form.Labeltip.text(), storage() + "\\CustomEmotion\\已清空..");
  EXPECT_TRUE(h.remover.jobs.empty());
}

TEST_F(Cleaning, TargetIsTakenWhenTheDeletionBegins) {
  h.fs.addFile(storage() + "\\Cache\\a", 10);
  h.fs.addFile(storage() + "\\video\\2023-01\\v", 10);
  // A scan runs while the confirmation is open and moves s9 through every category.
  h.shell.answer = [this](const fakes::MessageBoxCall& box) {
    if (box.title == "想确认下") {
      h.form.Commandjisuan.click();
      h.clock.advance(5000);
    }
    return platform::kIdOk;
  };
  h.form.C1.click();
  h.clock.advance(10);
  EXPECT_EQ(removed(), std::vector<std::string>{storage() + "\\Cache\\"});
  EXPECT_TRUE(h.fs.exists(storage() + "\\video\\2023-01"));
}

struct KeepCase {
  const char* name;
  int months;
  bool ticked;
  const char* keep;
  std::vector<std::string> deletedInOrder;
};

class MonthByMonth : public Cleaning, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(MonthByMonth, KeepsTheNewestN) {
  const auto& c = GetParam();
  std::string video = storage() + "\\Video";
  h.addMonths(video, c.months);
  h.fs.addFile(video + "\\loose.txt", 5);
  h.form.Check1.setValue(c.ticked ? 1 : 0);
  h.form.Textsj.setText(c.keep);
  h.form.C7.click();
  h.clock.advance(1000);
  EXPECT_EQ(h.remover.jobs.size(), c.deletedInOrder.empty() ? 0u : 1u) << "one folder per tick";
  h.clock.advance(1000 * (static_cast<std::uint64_t>(c.months) + 1));
  std::vector<std::string> expected;
  for (auto& name : c.deletedInOrder) expected.push_back(storage() + "\\video\\" + name);
  EXPECT_EQ(removed(), expected);
  EXPECT_TRUE(h.fs.exists(video + "\\loose.txt")) << "plain files are never listed";
  EXPECT_FALSE(h.form.Frame2.visible());
  EXPECT_FALSE(h.form.Timerdel.enabled());
}

std::vector<std::string> months(int from, int to) {  // indices into 2022-01 …, newest first
  std::vector<std::string> out;
  for (int i = to; i >= from; --i) out.push_back(Harness::month(i));
  return out;
}

INSTANTIATE_TEST_SUITE_P(Rules, MonthByMonth,
                         ::testing::Values(KeepCase{"Keep6Of14", 14, true, "6", months(0, 7)},
                                           KeepCase{"NotTicked", 14, false, "6", months(0, 13)},
                                           KeepCase{"KeepZero", 3, true, "0", months(0, 2)},
                                           KeepCase{"KeepMoreThanThere", 3, true, "6", {}},
                                           KeepCase{"OneEntry", 1, true, "0", months(0, 0)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cleaning, LetterNamedFolderCountsAmongTheKept) {
  std::string sns = storage() + "\\Sns\\Cache";
  h.addMonths(sns, 3);
  h.fs.addDir(sns + "\\misc");
  h.form.Textsj.setText("2");
  h.form.C5.click();
  h.clock.advance(5000);
  EXPECT_EQ(removed(), (std::vector<std::string>{sns + "\\2022-02", sns + "\\2022-01"}));
}

TEST_F(Cleaning, ImagePassThenItsOwnThumbPass) {
  std::string image = storage() + "\\Image";
  h.addMonths(image, 4);
  h.addMonths(image + "\\Thumb", 4);
  h.form.Textsj.setText("1");
  h.form.C6.click();
  h.clock.advance(10000);
  std::string img = storage() + "\\image\\";
  std::vector<std::string> expected{img + "2022-03",        img + "2022-02",
                                    img + "2022-01",        img + "Thumb\\2022-03",
                                    img + "Thumb\\2022-02", img + "Thumb\\2022-01"};
  EXPECT_EQ(removed(), expected);
  ASSERT_EQ(h.shell.boxes.size(), 2u);
  EXPECT_EQ(h.shell.boxes[1].text, "确认删除 " + img + "Thumb\\ 下所有文件吗？确认后将直接删除");
  EXPECT_TRUE(h.fs.exists(image + "\\Thumb\\2022-04"));
  EXPECT_FALSE(h.form.Frame2.visible());
}

TEST_F(Cleaning, NothingGoesWithoutAnOkAndBadMonthCountsAreRefused) {
  h.addMonths(storage() + "\\Video", 8);  // two beyond the six kept
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::kIdCancel; };
  h.form.C7.click();
  h.clock.advance(5000);
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_FALSE(h.form.Frame2.visible());

  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::kIdOk; };
  h.form.Textsj.setText("");
  h.form.C7.click();
  h.clock.advance(5000);
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_EQ(h.shell.boxes.back().title, "Velmora2023.02版");
  EXPECT_FALSE(h.form.Frame2.visible());
}

TEST_F(Cleaning, SecondPassIsRefusedEvenAfterTheOverlayWasHidden) {
  h.addMonths(storage() + "\\Video", 5);
  h.addMonths(storage() + "\\Sns\\Cache", 5);
  h.form.Check1.setValue(0);
  h.form.C7.click();
  h.clock.advance(1000);
  h.form.Combo1.setListIndex(0);  // validation hides the overlay
  h.clock.advance(500);
  ASSERT_FALSE(h.form.Frame2.visible());
  h.form.C5.click();
  EXPECT_EQ(h.shell.boxes.back().text, "正在清理中，请等这一轮清理结束后再试");
  h.clock.advance(10000);
  for (auto& j : h.remover.jobs) EXPECT_NE(j.target.find("\\video\\"), std::string::npos);
  EXPECT_EQ(h.remover.jobs.size(), 5u);
}

TEST_F(Cleaning, PassEndsByCountingWhatStayed) {
  std::string video = storage() + "\\Video";
  h.addMonths(video, 2);
  h.fs.setLocked(video + "\\2022-01\\f.dat");
  h.form.Check1.setValue(0);
  h.form.C7.click();
  h.clock.advance(4000);
  EXPECT_EQ(h.form.Labeltip.text(), "有 1 个文件夹没能完全删除，请退出微信后再试");
}

TEST_F(Cleaning, MonthsBoxTakesDigitsOnlyAndSelectsAllOnClick) {
  auto& box = h.form.Textsj;
  box.setText("6");
  box.onClick();
  EXPECT_EQ(box.selLength(), 1);
  for (char32_t ch : {U'a', U'-', U'\b', U'中'}) box.typeChar(ch);
  EXPECT_EQ(box.text(), "6");
  box.typeChar(U'1');  // replaces the selected "6"
  box.typeChar(U'2');
  box.typeChar(U'3');  // at most two characters
  EXPECT_EQ(box.text(), "12");
}

TEST_F(Cleaning, ReceivedFilesDialog) {
  std::string received = h.account("acct") + "\\FileStorage\\file\\";
  h.fs.addFile(storage() + "\\File\\2023-01\\doc.pdf", 100);
  h.form.C8.click();
  auto& dlg = h.form.receivedFiles();
  EXPECT_TRUE(dlg.visible());
  EXPECT_FALSE(h.form.visible());
  EXPECT_TRUE(dlg.Command1.enabled() && dlg.Command2.enabled());
  dlg.Command2.click();
  EXPECT_EQ(h.shell.processes.back().first, "explorer \"" + received + "\"");
  EXPECT_TRUE(h.form.visible());

  h.form.C8.click();
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::kIdCancel; };
  dlg.Command1.click();
  EXPECT_EQ(h.shell.boxes.back().text, "确认删除" + received + "所有文件吗？确认后将直接清空");
  EXPECT_TRUE(dlg.visible());
  h.shell.answer = [](const fakes::MessageBoxCall&) { return platform::kIdOk; };
  dlg.Command1.click();
  h.clock.advance(10);
  EXPECT_FALSE(dlg.visible());
  EXPECT_TRUE(h.form.visible());
  EXPECT_FALSE(h.fs.exists(received));

  h.form.C8.click();
  EXPECT_EQ(dlg.Label1.text(), "没找到File文件夹,有点郁闷...");
  EXPECT_FALSE(dlg.Command1.enabled() || dlg.Command2.enabled());
  dlg.onUnload();  // closed from the title bar
  EXPECT_TRUE(h.form.visible());
}

TEST_F(Cleaning, LegacyPassInOrderWithPausesThenMainWindowBack) {
  std::string a = h.account("acct");
  for (const char* f : {"Image", "Data", "Video", "FavTemp"}) h.fs.addFile(a + "\\" + f + "\\x", 1);
  h.fs.setLocked(a + "\\Data\\x");
  h.form.Command2.click();
  auto& dlg = h.form.legacyCleaner();
  EXPECT_TRUE(dlg.visible() && dlg.topMost());
  EXPECT_FALSE(h.form.visible());
  h.clock.advance(1000);
  EXPECT_EQ(removed(), (std::vector<std::string>{a + "\\Video", a + "\\FavTemp", a + "\\Data",
                                                 a + "\\Image"}));
  EXPECT_EQ(h.shell.sleeps, (std::vector<unsigned>{3000, 2000, 2000, 3000}));
  EXPECT_FALSE(dlg.visible());
  EXPECT_TRUE(h.form.visible());
  ASSERT_EQ(h.shell.boxes.size(), 1u) << "the notice of what was left behind";
  EXPECT_NE(h.shell.boxes[0].text.find(a + "\\Data"), std::string::npos);

  h.form.Command2.click();
  dlg.onUnload();  // closed before its first tick
  h.clock.advance(5000);
  EXPECT_TRUE(h.form.visible());
  EXPECT_EQ(h.remover.jobs.size(), 4u);
}

}  // namespace
