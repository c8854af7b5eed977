// The cleaning categories of an account, one table per WeChat data layout. The main window's
// grid is generated from it: the rows with their captions and places, the scan stages, what each
// row's button deletes and how, the hover texts, the tooltips and the risk marks.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace wechat {

enum class Deletion {
  WholeFolder,          // the folder and everything in it, after one confirmation
  MonthByMonth,         // its month folders one per second, optionally keeping the newest
  ReceivedFilesDialog,  // a dialog of its own: clear it all, or open it to delete by hand
};

enum class Risk { Safe, Warning, Danger };

struct Category {
  std::string_view caption;  // the row's button
  // Below the account folder; begins and ends with a backslash, spelled as WeChat spells it.
  std::string_view folder;
  Deletion deletion;
  // A sub-folder with month folders of its own that is no month: not counted, left out of the
  // row's month pass and cleaned by a pass of its own right after it (the image thumbnails).
  std::string_view companion;
  // The folder the received-files dialog names and clears (its own spelling of `folder`).
  std::string_view dialogFolder;
  Risk risk;
  std::string_view hover;        // the status line's text while the pointer is over the button
  std::string_view sizeTooltip;  // the size label's tooltip
  int top;                       // of the button, in twips within the grid
  int labelDrop;                 // the row's labels stand this much lower than its button
  unsigned scanDelayMs;          // the pause before the row is measured in a scan
};

// A risk mark at the grid's left edge, one for a group of rows of the same risk.
struct RiskMark {
  Risk risk;
  std::string_view text;
  int top;
};

struct CategoryTable {
  std::span<const Category> categories;
  std::span<const RiskMark> marks;
};

// WeChat 3.x: "<account>\FileStorage\...". Sub-folders of the images and videos are spelled in
// lower case, as WeChat wrote them once; the file system ignores the case.
inline constexpr std::array<Category, 8> kClassicCategories{{
    {"Cache", "\\FileStorage\\Cache\\", Deletion::WholeFolder, "", "", Risk::Safe,
     "凌乱的缓存文件，放心清理", "", 660, 60, 200},
    {"CustomEmotion", "\\FileStorage\\CustomEmotion\\", Deletion::WholeFolder, "", "", Risk::Safe,
     "所有表情,删除后表情需重新加载,放心清理", "", 1020, 60, 200},
    {"Fav", "\\FileStorage\\Fav\\", Deletion::WholeFolder, "", "", Risk::Safe,
     "收藏相关的垃圾文件，放心清理", "", 1380, 60, 500},
    {"General", "\\FileStorage\\General\\", Deletion::WholeFolder, "", "", Risk::Safe,
     "常规垃圾，比如好友高清头像，放心清理", "", 1740, 60, 500},
    {"SNS", "\\FileStorage\\Sns\\Cache\\", Deletion::MonthByMonth, "", "", Risk::Warning,
     "2021版微信开始新增的SNS缓存", "点击打开Image文件夹", 2160, 60, 500},
    {"Image", "\\FileStorage\\image\\", Deletion::MonthByMonth, "Thumb", "", Risk::Warning,
     "聊天记录中所有的图片，删除后记录中的图就看不到了", "点击打开Image文件夹", 2520, 60, 500},
    {"Video", "\\FileStorage\\video\\", Deletion::MonthByMonth, "", "", Risk::Warning,
     "聊天记录中的所有视频，删了视频就看不到了", "点击打开Video文件夹", 2880, 60, 500},
    {"File", "\\FileStorage\\File\\", Deletion::ReceivedFilesDialog, "", "\\FileStorage\\file\\",
     Risk::Danger, "所有别人发来和自己发出的文件", "", 3720, 120, 500},
}};

inline constexpr std::array<RiskMark, 3> kClassicMarks{{
    {Risk::Safe, "安全", 1140},
    {Risk::Warning, "警告", 2640},
    {Risk::Danger, "危险", 3840},
}};

inline constexpr CategoryTable kClassic{kClassicCategories, kClassicMarks};

}  // namespace wechat
