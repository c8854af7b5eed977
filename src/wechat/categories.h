// The cleaning categories of an account, one table per WeChat data layout. The main window's
// grid is generated from it: the rows with their captions, what each row's button deletes and
// how, the hover texts, the tooltips and the risks. Where the rows stand is the window's own.
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
  std::string_view caption{};  // the row's button
  // Below the account folder; begins and ends with a backslash, spelled as WeChat spells it. What
  // the row's confirmation names. Empty: this WeChat has no such folder; the row is shown
  // disabled and deletes nothing.
  std::string_view folder{};
  Deletion deletion = Deletion::WholeFolder;
  // Another folder a whole-folder row deletes together with `folder` ("temp" beside "cache").
  std::string_view alsoWhole{};
  // Month-by-month rows: whether every visible sub-folder of `folder` is one of its months
  // (WeChat 3.x's own folders), or only those named YYYY-MM.
  bool anyNameIsMonth = true;
  // More month folders of the row, in one parent per chat: a pattern below the account whose
  // "*" stands for each chat's folder. Only folders named YYYY-MM there are months. The
  // received-files row's dialog clears them too.
  std::string_view chats{};
  // What of each per-chat month folder goes: only this sub-folder of it (WeChat 4.x keeps a
  // chat's images in "<month>\Img" beside forwarded chat records); empty: the month folder.
  std::string_view monthPart{};
  // A sub-folder of `folder` with month folders of its own that is no month: not counted, left
  // out of the row's pass and cleaned by a pass of its own right after it (the image thumbnails),
  // together with the month folders of `companionChats`.
  std::string_view companion{};
  std::string_view companionChats{};
  // The folder the received-files dialog names and clears (its own spelling of `folder`).
  std::string_view dialogFolder{};
  Risk risk = Risk::Safe;
  std::string_view hover{};        // the status line's text while the pointer is over the button
  std::string_view sizeTooltip{};  // the size label's tooltip
};

// Every table has the same rows in the same order, with the same captions and risks: the window
// builds its grid once.
struct CategoryTable {
  std::span<const Category> categories;
};

// WeChat 3.x: "<account>\FileStorage\...". The images and videos are spelled in lower case, as
// WeChat wrote them once; the file system ignores the case. Since 3.7 most chat images, their
// thumbnails and received files also sit in "MsgAttach\<one folder per chat>".
inline constexpr std::array<Category, 8> kClassicCategories{{
    {.caption = "Cache", .folder = "\\FileStorage\\Cache\\", .hover = "凌乱的缓存文件，放心清理"},
    {.caption = "CustomEmotion",
     .folder = "\\FileStorage\\CustomEmotion\\",
     .hover = "所有表情,删除后表情需重新加载,放心清理"},
    {.caption = "Fav", .folder = "\\FileStorage\\Fav\\", .hover = "收藏相关的垃圾文件，放心清理"},
    {.caption = "General",
     .folder = "\\FileStorage\\General\\",
     .hover = "常规垃圾，比如好友高清头像，放心清理"},
    {.caption = "SNS",
     .folder = "\\FileStorage\\Sns\\Cache\\",
     .deletion = Deletion::MonthByMonth,
     .risk = Risk::Warning,
     .hover = "2021版微信开始新增的SNS缓存",
     .sizeTooltip = "点击打开Image文件夹"},
    {.caption = "Image",
     .folder = "\\FileStorage\\image\\",
     .deletion = Deletion::MonthByMonth,
     .chats = "\\FileStorage\\MsgAttach\\*\\Image\\",
     .companion = "Thumb",
     .companionChats = "\\FileStorage\\MsgAttach\\*\\Thumb\\",
     .risk = Risk::Warning,
     .hover = "聊天记录中所有的图片，删除后记录中的图就看不到了",
     .sizeTooltip = "点击打开Image文件夹"},
    {.caption = "Video",
     .folder = "\\FileStorage\\video\\",
     .deletion = Deletion::MonthByMonth,
     .risk = Risk::Warning,
     .hover = "聊天记录中的所有视频，删了视频就看不到了",
     .sizeTooltip = "点击打开Video文件夹"},
    {.caption = "File",
     .folder = "\\FileStorage\\File\\",
     .deletion = Deletion::ReceivedFilesDialog,
     .chats = "\\FileStorage\\MsgAttach\\*\\File\\",
     .dialogFolder = "\\FileStorage\\file\\",
     .risk = Risk::Danger,
     .hover = "所有别人发来和自己发出的文件"},
}};

inline constexpr CategoryTable kClassic{kClassicCategories};

// What a row of the current table says when this WeChat has no folder of its kind.
inline constexpr const char* kNoSuchFolder = "新版微信（4.0及以后）没有这类文件夹，不用清理";

// WeChat 4.x: "<account>\...", an account being a folder of "xwechat_files" that holds
// "db_storage". The same rows as WeChat 3.x's; chat images sit in one folder
// per chat below "msg\attach", each with month folders.
inline constexpr std::array<Category, 8> kCurrentCategories{{
    {.caption = "Cache",
     .folder = "\\cache\\",
     .alsoWhole = "\\temp\\",
     .anyNameIsMonth = false,
     .hover = "凌乱的缓存文件，放心清理"},
    {.caption = "CustomEmotion",
     .folder = "\\business\\emoticon\\",
     .anyNameIsMonth = false,
     .hover = "所有表情,删除后表情需重新加载,放心清理"},
    {.caption = "Fav",
     .folder = "\\business\\favorite\\temp\\",
     .anyNameIsMonth = false,
     .hover = "收藏相关的垃圾文件，放心清理"},
    {.caption = "General", .anyNameIsMonth = false, .hover = kNoSuchFolder},
    {.caption = "SNS",
     .deletion = Deletion::MonthByMonth,
     .anyNameIsMonth = false,
     .risk = Risk::Warning,
     .hover = kNoSuchFolder},
    // A chat's month folder holds "Img" (its images with their thumbnails and HD copies) beside
    // "Rec" (forwarded chat records with their own files and videos) and others: only "Img" is
    // this row's.
    {.caption = "Image",
     .folder = "\\msg\\attach\\",
     .deletion = Deletion::MonthByMonth,
     .anyNameIsMonth = false,
     .chats = "\\msg\\attach\\*\\",
     .monthPart = "Img",
     .risk = Risk::Warning,
     .hover = "聊天记录中所有的图片，删除后记录中的图就看不到了",
     .sizeTooltip = "点击打开Image文件夹"},
    {.caption = "Video",
     .folder = "\\msg\\video\\",
     .deletion = Deletion::MonthByMonth,
     .anyNameIsMonth = false,
     .risk = Risk::Warning,
     .hover = "聊天记录中的所有视频，删了视频就看不到了",
     .sizeTooltip = "点击打开Video文件夹"},
    {.caption = "File",
     .folder = "\\msg\\file\\",
     .deletion = Deletion::ReceivedFilesDialog,
     .anyNameIsMonth = false,
     .dialogFolder = "\\msg\\file\\",
     .risk = Risk::Danger,
     .hover = "所有别人发来和自己发出的文件"},
}};

inline constexpr CategoryTable kCurrent{kCurrentCategories};

}  // namespace wechat
