// The real Velmora.exe measures a made-up account: the figures on screen must be the ones the
// test can add up from the files it created.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "e2e_support.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;

std::string decimalSeparator() {
  wchar_t sep[8] = {};
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
  return n > 1 ? platform::win32::narrow(std::wstring(sep, static_cast<std::size_t>(n - 1))) : ".";
}

// Decimal steps of 1000, two decimals rounded half up, as the window writes sizes.
std::string sizeText(std::uint64_t bytes) {
  if (bytes < 1000) return std::to_string(bytes);
  const char* const units[] = {" K", " M", " G"};
  std::uint64_t unit = 1000;
  int u = 0;
  while (u < 2 && bytes >= unit * 1000) unit *= 1000, ++u;
  const std::uint64_t cents = (bytes * 100 + unit / 2) / unit;
  char frac[8];
  std::snprintf(frac, sizeof frac, "%02u", static_cast<unsigned>(cents % 100));
  return std::to_string(cents / 100) + decimalSeparator() + frac + units[u];
}

struct Category {
  const char* folder;  // below the account's FileStorage; empty: the category is missing
  std::vector<std::pair<std::string, std::uint64_t>> files;  // path inside it, size
  int monthFolders;                                          // the count the row must show
};

TEST(E2EScanFigures, RowsAndAccountSizeAddUpTheCreatedFiles) {
  // Eight rows in grid order; the names are spelled as WeChat spells them, which is not always
  // the spelling the program uses. The video file passes 2^32 bytes; only its length is set, so
  // it takes no room where the file system allows sparse files.
  const std::vector<Category> rows{
      {"Cache", {{"2023-01\\a.dat", 700}, {"2023-02\\b.dat", 800}, {"loose.dat", 44}}, 2},
      {"CustomEmotion", {{"0A\\e1", 999}}, 1},
      {"", {}, 0},  // no Fav folder at all
      {"General", {{"HDHeadImage\\h.jpg", 1000}}, 1},
      {"Sns\\Cache", {{"2023-01\\s", 400000}, {"2023-02\\s", 400000}, {"2023-03\\s", 400000}}, 3},
      // The thumbnails count in the size but are not a month folder.
      {"Image", {{"2022-12\\i.dat", 1000000}, {"2023-01\\i.dat", 1000000}, {"Thumb\\t", 6000}}, 2},
      {"Video", {{"2023-02\\v.mp4", 3456789012ULL}}, 1},
      {"File", {{"2023-01\\doc.pdf", 12340}}, 1},
  };

  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_figures";
  std::uint64_t total = 0;
  auto add = [&](const std::string& path, std::uint64_t size) {
    total += size;
    return e2e::makeTree(account, {path}, static_cast<std::size_t>(size));
  };
  ASSERT_TRUE(add("Msg\\MicroMsg.db", 100));
  ASSERT_TRUE(add("FileStorage\\MsgAttach\\m.dat", 2000));  // no row of its own
  std::vector<std::uint64_t> rowBytes;
  for (const Category& c : rows) {
    std::uint64_t bytes = 0;
    for (const auto& [path, size] : c.files) {
      ASSERT_TRUE(add(std::string("FileStorage\\") + c.folder + "\\" + path, size)) << path;
      bytes += size;
    }
    rowBytes.push_back(bytes);
  }

  e2e::DocumentsFolder redirect(docs.path());
  App app;
  ASSERT_NE(app.mainWindow(), nullptr);
  HWND lastSize = app.control("lj8");
  HWND tip = app.control("Labeltip");
  ASSERT_NE(lastSize, nullptr);
  // The last row and the closing tip are written by one event, and this process's reads wait
  // until that event is over; the tip is read at once because a timer empties it now and then.
  std::string said;
  ASSERT_TRUE(waitFor(
      [&] {
        if (textOf(lastSize).empty()) return false;
        said = textOf(tip);
        return true;
      },
      30s, 10ms));
  EXPECT_EQ(said, "计算结束");

  EXPECT_EQ(textOf(app.control("labelsize")), sizeText(total));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::string n = std::to_string(k + 1);
    // A missing category reads as zero kilobytes.
    const std::string size = rows[k].folder[0] ? sizeText(rowBytes[k]) : "0 K";
    EXPECT_EQ(textOf(app.control("lj" + n)), "×" + size) << "row " << n;
    EXPECT_EQ(textOf(app.control("Lab" + n)), std::to_string(rows[k].monthFolders) + "个")
        << "row " << n;
  }
}

}  // namespace
