// The nine cleanable sub-folders of an account's FileStorage, as one table that the grid, the
// scan and the deletions all read.
#pragma once

#include <array>
#include <string_view>

namespace wechat {

enum class Deletion { WholeFolder, MonthByMonth, ReceivedFilesDialog };
enum class Risk { None, Safe, Warning, Danger };

struct Category {
  int row;                   // 1..8; the thumbnails ride on row 6 without a row of their own
  std::string_view button;   // control name of the button
  std::string_view caption;  // button text
  std::string_view field;    // name of the Form1 field holding the sub-path
  std::string_view subPath;  // begins and ends with a backslash; case as WeChat spells it
  std::string_view countLabel, sizeLabel, scanTimer;  // empty for the thumbnails
  std::string_view hover;  // status-line text while the pointer is over the button
  Deletion deletion;
  Risk risk;
};

inline constexpr std::array<Category, 9> kCategories{{
    {1, "C1", "Cache", "n1", "\\FileStorage\\Cache\\", "Lab1", "lj1", "ti1",
     "凌乱的缓存文件，放心清理", Deletion::WholeFolder, Risk::Safe},
    {2, "C2", "CustomEmotion", "n2", "\\FileStorage\\CustomEmotion\\", "Lab2", "lj2", "ti2",
     "所有表情,删除后表情需重新加载,放心清理", Deletion::WholeFolder, Risk::Safe},
    {3, "C3", "Fav", "n3", "\\FileStorage\\Fav\\", "Lab3", "lj3", "ti3",
     "收藏相关的垃圾文件，放心清理", Deletion::WholeFolder, Risk::Safe},
    {4, "C4", "General", "n4", "\\FileStorage\\General\\", "Lab4", "lj4", "ti4",
     "常规垃圾，比如好友高清头像，放心清理", Deletion::WholeFolder, Risk::Safe},
    {5, "C5", "SNS", "n5", "\\FileStorage\\Sns\\Cache\\", "Lab5", "lj5", "ti5",
     "2021版微信开始新增的SNS缓存", Deletion::MonthByMonth, Risk::Warning},
    {6, "C6", "Image", "n6", "\\FileStorage\\image\\", "Lab6", "lj6", "ti6",
     "聊天记录中所有的图片，删除后记录中的图就看不到了", Deletion::MonthByMonth, Risk::Warning},
    {6, "C6Thumb", "C6Thumb", "n6t", "\\FileStorage\\image\\Thumb\\", "", "", "", "",
     Deletion::MonthByMonth, Risk::None},
    {7, "C7", "Video", "n7", "\\FileStorage\\video\\", "Lab7", "lj7", "ti7",
     "聊天记录中的所有视频，删了视频就看不到了", Deletion::MonthByMonth, Risk::Warning},
    {8, "C8", "File", "n8", "\\FileStorage\\File\\", "Lab8", "lj8", "Ti8",
     "所有别人发来和自己发出的文件", Deletion::ReceivedFilesDialog, Risk::Danger},
}};

// The eight measured rows in scan order (the thumbnails are part of the image row).
inline constexpr std::array<int, 8> kScanRows{0, 1, 2, 3, 4, 5, 7, 8};

}  // namespace wechat
