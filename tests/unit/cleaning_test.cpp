#include <gtest/gtest.h>

#include "fakes/harness.h"

using fakes::Harness;

namespace {

constexpr const char* kBusy = "正在清理中，请等这一轮清理结束后再试";

struct Cleaning : ::testing::Test {
  Harness h;
  std::string storage() { return h.account("acct") + "\\FileStorage"; }
  std::vector<std::string> removed() {
    std::vector<std::string> out;
    for (auto& j : h.remover.jobs) out.push_back(j.target);
    return out;
  }
  void answer(platform::Answer a) {
    h.shell.answer = [a](const fakes::MessageBoxCall&) { return a; };
  }
  void SetUp() override {
    h.addAccount("acct");
    h.startAndSettle();
    h.shell.boxes.clear();
  }
};

TEST_F(Cleaning, WholeCategoryConfirmsOnceRemovesAndReportsOnlyWhenDone) {
  h.fs.addFile(storage() + "\\Cache\\2023-01\\a", 1500);
  h.fs.addFile(storage() + "\\Video\\2023-01\\v", 700);
  h.form.grid.scanButton.click();
  h.clock.advance(5000);
  h.remover.hold = true;
  // A second quick click reaches the button while the first one's question is open.
  h.shell.answer = [this](const fakes::MessageBoxCall&) {
    if (h.shell.boxes.size() == 1) h.row(1).button.click();
    return platform::Answer::Ok;
  };
  h.row(1).button.click();
  const std::string target = storage() + "\\Cache\\";
  ASSERT_EQ(h.shell.boxes.size(), 2u);
  EXPECT_EQ(h.shell.boxes[0].text, "确认删除 " + target + " 下所有文件吗？确认后将直接删除");
  EXPECT_EQ(h.shell.boxes[1].text, kBusy);
  h.row(1).button.click();  // and once more while the removal runs
  EXPECT_EQ(h.shell.boxes.back().text, kBusy);
  EXPECT_EQ(h.remover.jobs.size(), 1u);
  EXPECT_TRUE(h.form.busyOverlay.frame.visible()) << "the overlay stays up while the job runs";
  h.remover.release();
  h.clock.advance(10);
  EXPECT_EQ(h.shell.boxes.back().text, "删除完成");
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());
  EXPECT_EQ(h.form.busyOverlay.soFar.text(), "已删除 1 个文件，已释放 1.50 K");
  EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps) << "all the row held";
  // Measured again: the row, what it gave back, and the account.
  EXPECT_EQ(h.row(1).size.text(), "×0 K");
  EXPECT_EQ(h.form.status.text(), "已释放 1.50 K");
  EXPECT_FALSE(h.fs.exists(target));
  h.row(1).button.click();  // done, so the category can be asked for again
  EXPECT_EQ(h.shell.boxes.back().text, "文件夹不存在");
}

TEST_F(Cleaning, CancelAndMissingFolder) {
  h.fs.addFile(storage() + "\\Fav\\a", 10);
  h.form.status.setText("before");
  answer(platform::Answer::Cancel);
  h.row(3).button.click();
  h.row(3).button.click();
  EXPECT_EQ(h.shell.boxes.back().title, "想确认下") << "a cancelled question is no deletion";
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());
  EXPECT_EQ(h.form.status.text(), "before");
  answer(platform::Answer::Ok);
  h.row(2).button.click();
  EXPECT_EQ(h.shell.boxes.back().text, "文件夹不存在");
  EXPECT_EQ(h.form.status.text(), storage() + "\\CustomEmotion\\已清空..");
  EXPECT_TRUE(h.remover.jobs.empty());
}

std::vector<std::string> months(int from, int to) {  // indices into 2022-01 …, newest first
  std::vector<std::string> out;
  for (int i = to; i >= from; --i) out.push_back(Harness::month(i));
  return out;
}

TEST_F(Cleaning, MonthByMonthKeepsTheNewestN) {
  struct Case {
    int months;
    bool ticked;
    const char* keep;
    std::vector<std::string> deleted;
  } cases[] = {
      {14, true, "6", months(0, 7)},
      {14, false, "6", months(0, 13)},
      {3, true, "0", months(0, 2)},
      {3, true, "6", {}},
  };
  for (const auto& c : cases) {
    h.remover.jobs.clear();
    const std::string video = storage() + "\\Video", listed = storage() + "\\video\\";
    h.addMonths(video, c.months);
    h.fs.addDir(video + "\\zz_hidden", platform::kAttrHidden);
    h.fs.addFile(video + "\\loose.txt", 5);
    h.form.grid.keepNewest.setValue(c.ticked ? 1 : 0);
    h.form.grid.monthsToKeep.setText(c.keep);
    h.row(7).button.click();
    h.clock.advance(1000);
    EXPECT_EQ(h.remover.jobs.size(), c.deleted.empty() ? 0u : 1u) << "one folder per tick";
    if (c.deleted.size() == 8) {  // the bar moves by the pass's folders
      EXPECT_EQ(h.form.busyOverlay.bar.position(), ui::ProgressBar::kSteps / 8);
    }
    h.clock.advance(1000 * (static_cast<std::uint64_t>(c.months) + 1));
    std::vector<std::string> expected;
    for (auto& name : c.deleted) expected.push_back(listed + name);
    EXPECT_EQ(removed(), expected);
    EXPECT_TRUE(h.fs.exists(video + "\\loose.txt") && h.fs.exists(video + "\\zz_hidden"));
    EXPECT_FALSE(h.form.busyOverlay.frame.visible() || h.form.monthPassTimer.enabled());
    h.fs.remove(video);
  }
}

TEST_F(Cleaning, ImagePassThenThumbnailPassInTheAccountItStartedIn) {
  std::string image = storage() + "\\Image";
  h.addMonths(image, 4);
  h.addMonths(image + "\\thumb", 4);  // letter case as the volume keeps it
  h.addAccount("other");
  const std::string otherThumbs = h.account("other") + "\\FileStorage\\image\\Thumb";
  h.addMonths(otherThumbs, 2);
  h.form.grid.monthsToKeep.setText("1");
  h.row(6).button.click();
  h.clock.advance(1000);
  h.form.accountPanel.accounts.userSetText("other");  // another account chosen while the pass runs
  h.form.accountPanel.accounts.userCommit();
  h.clock.advance(10000);
  std::string img = storage() + "\\image\\";
  std::vector<std::string> expected{img + "2022-03",        img + "2022-02",
                                    img + "2022-01",        img + "Thumb\\2022-03",
                                    img + "Thumb\\2022-02", img + "Thumb\\2022-01"};
  EXPECT_EQ(removed(), expected);
  ASSERT_EQ(h.shell.boxes.size(), 2u);
  EXPECT_EQ(h.shell.boxes[1].text, "确认删除 " + img + "Thumb\\ 下所有文件吗？确认后将直接删除");
  EXPECT_TRUE(h.fs.exists(image + "\\Thumb\\2022-04"));
  EXPECT_TRUE(h.fs.exists(otherThumbs + "\\2022-01"));
  for (const auto& job : h.remover.jobs) EXPECT_EQ(job.accountRoot, h.account("acct"));
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());
}

TEST_F(Cleaning, NothingGoesWithoutAnOkAndBadMonthCountsAreRefused) {
  h.addMonths(storage() + "\\Video", 8);  // two beyond the six kept
  answer(platform::Answer::Cancel);
  h.row(7).button.click();
  h.clock.advance(5000);
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());

  answer(platform::Answer::Ok);
  h.form.grid.monthsToKeep.setText("");
  h.row(7).button.click();
  h.clock.advance(5000);
  EXPECT_TRUE(h.remover.jobs.empty());
  EXPECT_EQ(h.shell.boxes.back().title, "Velmora2023.02版");
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());
}

TEST_F(Cleaning, OverlayStaysWhileAnyRemovalIsOutAndThePassCountsWhatStayed) {
  h.addMonths(storage() + "\\Video", 2);
  h.fs.setLocked(storage() + "\\Video\\2022-01\\f.dat");
  h.fs.addFile(storage() + "\\Cache\\c", 1);
  h.remover.hold = true;
  h.form.grid.keepNewest.setValue(0);
  h.row(7).button.click();
  h.clock.advance(1000);
  h.row(1).button.click();                       // a whole category while the pass runs
  h.form.accountPanel.accounts.setListIndex(0);  // the account validated again
  h.clock.advance(500);
  EXPECT_TRUE(h.form.busyOverlay.frame.visible());
  h.row(5).button.click();
  EXPECT_EQ(h.shell.boxes.back().text, kBusy) << "one pass at a time";
  h.clock.advance(3000);  // the pass has handed out its last folder
  h.remover.release(2);   // the first month and the whole category report
  h.clock.advance(10);
  EXPECT_TRUE(h.form.busyOverlay.frame.visible());
  h.remover.release();
  h.clock.advance(10);
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());
  EXPECT_EQ(h.form.status.text().rfind("有 1 个文件夹没能完全删除，请退出微信后再试（已释放 ", 0),
            0u);

  // An image pass whose thumbnail follow-up meets an emptied months box.
  h.addMonths(storage() + "\\Image", 2);
  h.row(6).button.click();
  h.clock.advance(2000);
  h.form.grid.keepNewest.setValue(1);
  h.form.grid.monthsToKeep.setText("");
  h.clock.advance(1000);
  EXPECT_EQ(h.shell.boxes.back().text, "请在月数框里填写要保留的月数（0到99的数字）");
  EXPECT_TRUE(h.form.busyOverlay.frame.visible()) << "the image months are still being removed";
  h.remover.release();
  h.clock.advance(10);
  EXPECT_FALSE(h.form.busyOverlay.frame.visible());
}

TEST_F(Cleaning, MonthsBoxTakesDigitsOnlyAndTheCheckBoxGivesUpTheFocus) {
  auto& box = h.form.grid.monthsToKeep;
  box.setText("6");
  box.onClick();
  EXPECT_EQ(box.selLength(), 1);
  for (char32_t ch : {U'a', U'-', U'\b', U'中'}) box.typeChar(ch);
  EXPECT_EQ(box.text(), "6");
  box.typeChar(U'1');  // replaces the selected "6"
  box.typeChar(U'2');
  box.typeChar(U'3');  // at most two characters
  EXPECT_EQ(box.text(), "12");
  h.form.grid.keepNewest.userClick();
  EXPECT_EQ(h.form.grid.keepNewest.value(), 0);
  EXPECT_EQ(h.form.focused(), &h.form.focusSink);
}

TEST_F(Cleaning, ReceivedFilesDialog) {
  std::string received = h.account("acct") + "\\FileStorage\\file\\";
  h.fs.addFile(storage() + "\\File\\2023-01\\doc.pdf", 100);
  h.row(8).button.click();
  auto& dlg = h.receivedFiles;
  EXPECT_TRUE(dlg.visible());
  EXPECT_FALSE(h.form.visible());
  EXPECT_TRUE(dlg.clearAllButton.enabled() && dlg.openButton.enabled());
  dlg.openButton.click();
  EXPECT_EQ(h.shell.processes.back().first, "\"C:\\Windows\\explorer.exe\" \"" + received + "\"");
  EXPECT_TRUE(h.form.visible());

  h.row(8).button.click();
  answer(platform::Answer::Cancel);
  dlg.clearAllButton.click();
  EXPECT_EQ(h.shell.boxes.back().text, "确认删除" + received + "所有文件吗？确认后将直接清空");
  EXPECT_TRUE(dlg.visible());
  h.shell.answer = [&](const fakes::MessageBoxCall&) {
    if (h.shell.boxes.back().title == "想确认下")
      dlg.clearAllButton.click();  // a second quick click
    return platform::Answer::Ok;
  };
  dlg.clearAllButton.click();
  EXPECT_EQ(h.shell.boxes.back().text, kBusy);
  h.clock.advance(10);
  EXPECT_EQ(h.remover.jobs.size(), 1u);
  EXPECT_FALSE(dlg.visible());
  EXPECT_TRUE(h.form.visible());
  EXPECT_FALSE(h.fs.exists(received));

  h.row(8).button.click();
  EXPECT_EQ(dlg.question.text(), "没找到File文件夹,有点郁闷...");
  EXPECT_FALSE(dlg.clearAllButton.enabled() || dlg.openButton.enabled());
  dlg.onUnload();  // closed from the title bar
  EXPECT_TRUE(h.form.visible());
}

TEST_F(Cleaning, LegacyPassInOrderWithPausesOnFoldersOnly) {
  const std::string a = h.account("acct");
  std::vector<std::string> order;
  for (const char* f : {"Video", "Attachment", "CustomEmoV1", "CustomEmotions", "FavTemp", "Files",
                        "HDHeadImage", "Data", "Image"}) {
    order.push_back(a + "\\" + f);
    h.fs.addFile(order.back() + "\\x", 1);
  }
  h.fs.setLocked(a + "\\Data\\x");
  h.form.legacyBanner.cleanButton.click();
  auto& dlg = h.legacyCleaner;
  EXPECT_TRUE(dlg.visible() && dlg.topMost());
  EXPECT_FALSE(h.form.visible());
  // One folder a second after opening, then each of the others after its predecessor's pause.
  h.clock.advance(1000);
  const std::uint64_t pauses[] = {3000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 3000};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(removed(), std::vector<std::string>(order.begin(), order.begin() + i + 1));
    h.clock.advance(pauses[i] - 1);
    EXPECT_TRUE(dlg.visible());
    h.clock.advance(1);
  }
  EXPECT_FALSE(dlg.visible());
  EXPECT_TRUE(h.form.visible());
  ASSERT_EQ(h.shell.boxes.size(), 1u) << "the notice of what was left behind";
  EXPECT_NE(h.shell.boxes[0].text.find(a + "\\Data"), std::string::npos);

  h.fs.addFile(a + "\\Image", 5);  // a file of a legacy folder's name is someone's file
  h.form.legacyBanner.cleanButton.click();
  h.clock.advance(1000 + 2000);
  EXPECT_EQ(removed().back(), a + "\\Data");
  EXPECT_TRUE(h.fs.exists(a + "\\Image"));

  h.form.legacyBanner.cleanButton.click();
  dlg.onUnload();  // closed before its first tick
  h.clock.advance(5000);
  EXPECT_TRUE(h.form.visible());
  EXPECT_EQ(h.remover.jobs.size(), 10u);
}

TEST_F(Cleaning, LegacyCleanerReopenedWhileItsRemovalsAreOut) {
  const std::string a = h.account("acct");
  h.fs.addFile(a + "\\Video\\v", 1);
  h.fs.addFile(a + "\\Image\\i", 1);
  h.fs.setLocked(a + "\\Video\\v");
  h.remover.hold = true;
  auto& dlg = h.legacyCleaner;
  h.form.legacyBanner.cleanButton.click();
  h.clock.advance(1000);
  dlg.onUnload();  // closed while its first folder is being removed: it starts no other
  h.form.legacyBanner.cleanButton.click();
  h.clock.advance(1000);
  h.remover.release(2);  // the first pass's report, and the second pass's first
  h.clock.advance(10);
  EXPECT_TRUE(dlg.visible()) << "the second pass still has a folder to go";
  EXPECT_EQ(h.shell.boxes.size(), 1u) << "the first pass's notice";
  h.clock.advance(3000);
  h.remover.release();
  h.clock.advance(3000);
  EXPECT_FALSE(dlg.visible());
  EXPECT_EQ(h.shell.boxes.size(), 2u) << "the second pass's notice";
  EXPECT_EQ(removed(), (std::vector<std::string>{a + "\\Video", a + "\\Video", a + "\\Image"}));
}

}  // namespace
