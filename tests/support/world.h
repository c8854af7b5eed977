// A machine with WeChat data of every kind the windows meet, on the fake file system: a busy
// WeChat 3.9 account, an old one with the folders of 2019, one whose folders the user moved to
// D: with junctions, and two of WeChat 4.x (one new) in a folder its settings name. Each account's
// files are sized in a band of its own (bytes, K, M, G), so any figure on screen tells whose it is.
#pragma once

#include <random>

#include "support/harness.h"

namespace support {

struct WorldAccount {
  std::string path;
  std::string shown;  // as the account list shows it
  bool current;       // WeChat 4.x
  char band;          // the unit every non-zero figure of it shows: 0 (plain), 'K', 'M' or 'G'
};

struct World {
  std::vector<WorldAccount> accounts;
  std::vector<std::string> untouchable;  // files no deletion may ever take
  std::vector<std::string> junctions;    // the user's relocations: they stay
  std::vector<std::string> locked;
  std::vector<std::string> dataFolders;  // what a user may type or pick as the data folder
  std::vector<std::string> resolved;     // where each of them is
  Harness& h;
  std::mt19937& rng;  // varies the sizes, what is locked and whether links stay as under Wine
  std::uint64_t low = 1, high = 1;  // the sizes of the files made next

  std::string file(const std::string& path) {
    h.fs.addFile(path, std::uniform_int_distribution<std::uint64_t>(low, high)(rng));
    return path;
  }
  void keep(const std::string& path) { untouchable.push_back(file(path)); }
  void months(const std::string& folder, int from, int count, const char* leaf = "m.dat") {
    for (int i = from + count - 1; i >= from; --i)  // newest first: the fake lists as created
      file(folder + "\\" + month(i) + "\\" + leaf);
  }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  // Entries of random names and kinds in a month row's folder or a chat's: names that look like
  // months and are not, hidden and system folders, links, files; in 4.x chats, months without
  // images.
  void anyMonths(const std::string& folder, const std::string& leaf, bool chat4 = false) {
    static const char* names[] = {"2019-03", "2022-12", "2023-01", "2023-02",
                                  "2023-10", "2024-01", "2023-13", "2023-01 备份",
                                  "misc",    "Thumb",   "thumb",   "2023-1"};
    for (int i = pick(8); i > 0; --i) {
      const std::string path = folder + "\\" + names[pick(12)];
      if (h.fs.exists(path)) continue;
      const int kind = pick(chat4 ? 7 : 6);  // 4 and 5: a month folder
      if (kind == 0) keep(path);
      if (kind == 1) h.fs.addLink(path, "D:\\Elsewhere\\2023-05");
      if (kind == 2 || kind == 3) h.fs.addDir(path, platform::kAttrHidden << (kind - 2));
      if (kind == 2 || kind == 3 || kind == 6)
        keep(path + "\\" + (kind == 6 ? "Rec\\r.dat" : leaf));
      if (kind == 4 || kind == 5) file(path + "\\" + leaf);
    }
  }
  void lockSome(const std::string& path) {
    if (pick(4) == 0) h.fs.setLocked(locked.emplace_back(path));
  }

  World(Harness& harness, std::mt19937& random) : h(harness), rng(random) {
    const std::string files = h.weChatFiles(), moved = "C:\\微信数据";
    keep("D:\\Elsewhere\\sns\\linked.dat");  // where links lead: never the row's
    keep("D:\\Elsewhere\\2023-05\\Img\\linked.dat");
    // Listed as an account too, as every visible folder there is; it holds nothing to clean.
    keep(files + "\\All Users\\config\\config.data");
    accounts.push_back({files + "\\All Users", "All Users", false, 0});
    // Hidden, system and plain files beside them are no accounts.
    h.fs.addFile(files + "\\desktop.ini", 1, platform::kAttrHidden | platform::kAttrSystem);
    h.fs.addDir(files + "\\hidden", platform::kAttrHidden);
    h.fs.addDir(files + "\\system", platform::kAttrSystem);
    h.fs.addFile(files + "\\notes.txt", 1);

    // WeChat 3.9, busy: images mostly in the chats' folders since 3.7; sizes of gigabytes.
    std::string a = files + "\\wxid_busy";
    accounts.push_back({a, "wxid_busy", false, 'G'});
    low = 1'000'000'000, high = 3'000'000'000;
    for (const char* k : {"\\Msg\\MicroMsg.db", "\\Msg\\Multi\\MSG0.db", "\\config\\AccInfo.dat",
                          "\\BackupFiles\\phone.bak", "\\Backup\\old.bak"})
      keep(a + k);
    file(a + "\\Image\\2018\\old.dat");  // and the folders of WeChat 2019, never cleaned up
    const std::string fsA = a + "\\FileStorage";
    lockSome(file(fsA + "\\Cache\\2023-01\\c.dat"));
    file(fsA + "\\CustomEmotion\\ab\\e.gif");
    file(fsA + "\\General\\HeadImage\\h.jpg");
    months(fsA + "\\Sns\\Cache", 8, 4);
    anyMonths(fsA + "\\Sns\\Cache", "s.dat");
    months(fsA + "\\Image", 0, 5);  // spelled as the volume keeps it
    months(fsA + "\\Image\\" + std::vector<std::string>{"Thumb", "thumb", "THUMB"}[pick(3)], 0, 5);
    anyMonths(fsA + "\\Image", "i.dat");
    const std::string backup = fsA + "\\Image\\2023-01 备份";  // unless a kept file just above
    if (h.fs.isDirectory(backup + "\\") || !h.fs.exists(backup)) file(backup + "\\x.dat");
    h.fs.addDir(fsA + "\\Image\\.trash", platform::kAttrHidden);
    keep(fsA + "\\Image\\.trash\\t.dat");
    keep(fsA + "\\Image\\loose.dat");
    months(fsA + "\\Video", 3, 9);
    anyMonths(fsA + "\\Video", "v.dat");
    lockSome(fsA + "\\Video\\2022-06\\m.dat");
    months(fsA + "\\File", 10, 3, "报告.pdf");
    for (const char* chat : {"0a1b2c3d", "ffee0011", "9c9c9c9c"}) {
      const std::string c = fsA + "\\MsgAttach\\" + chat;
      for (const char* kind : {"\\Image", "\\Thumb"}) months(c + kind, 2 + chat[1] % 5, 6);
      months(c + "\\File", 9, 2, "合同.docx");
      anyMonths(c + "\\Image", "i.dat");
    }
    // A link to a chat, and a chat hidden or one whose images are a link: none is looked into.
    h.fs.addLink(fsA + "\\MsgAttach\\alias", fsA + "\\MsgAttach\\0a1b2c3d");
    const std::string odd = fsA + "\\MsgAttach\\odd";
    if (pick(2)) {
      h.fs.addLink(odd + "\\Image", "D:\\Elsewhere");
    } else {
      keep(odd + "\\Image\\2023-04\\i.dat");
      h.fs.addDir(odd, platform::kAttrHidden);
    }

    // An account that still holds the folders of WeChat 2019 and earlier.
    a = files + "\\old_friend";
    accounts.push_back({a, "old_friend", false, 'M'});
    low = 1'000'000, high = 20'000'000;
    keep(a + "\\Msg\\ChatMsg.db");
    for (const char* legacy :
         {"\\Image\\i.dat", "\\Video\\v.mp4", "\\Data\\d.dat", "\\Attachment\\a"})
      file(a + legacy);
    lockSome(a + "\\Data\\d.dat");
    keep(a + "\\Files");  // a file of an old folder's name is the user's
    months(a + "\\FileStorage\\Video", 20, 3);
    months(a + "\\FileStorage\\MsgAttach\\0a0a\\File", 20, 2);  // received files in chats only
    file(a + "\\FileStorage\\Cache\\c.dat");

    // Folders moved to D: with junctions, a month folder linked elsewhere, and old folders too.
    a = files + "\\wxid_moved";
    accounts.push_back({a, "wxid_moved", false, 'K'});
    low = 1000, high = 20000;
    keep(a + "\\Msg\\MicroMsg.db");
    file(a + "\\Image\\legacy.dat");
    months("D:\\Moved\\video", 0, 4);
    h.fs.addLink(a + "\\FileStorage\\Video", "D:\\Moved\\video");
    file("D:\\Moved\\cache\\a.dat");
    file("D:\\Moved\\cache\\sub\\b.dat");
    h.fs.addLink(a + "\\FileStorage\\Cache", "D:\\Moved\\cache");
    junctions = {a + "\\FileStorage\\Video", a + "\\FileStorage\\Cache"};
    months(a + "\\FileStorage\\Sns\\Cache", 30, 2);
    h.fs.addLink(a + "\\FileStorage\\Sns\\Cache\\2024-06", "D:\\Elsewhere\\sns");
    h.fs.addLink(a + "\\FileStorage\\Cache\\sub\\outside", "D:\\Elsewhere");

    // WeChat 4.x, moved by its settings; a month folder holds forwarded chat records beside images.
    const std::string x = moved + "\\xwechat_files";
    low = 1, high = 12;
    keep(x + "\\all_users\\login\\key.dat");
    a = x + "\\wxid_new_1a2b";
    accounts.push_back({a, "wxid_new_1a2b（新版微信）", true, 0});
    for (const char* k : {"\\db_storage\\message\\message_0.db", "\\config\\settings.dat",
                          "\\business\\favorite\\data\\fav.dat"})
      keep(a + k);
    for (const char* f : {"\\business\\favorite\\temp\\t.dat", "\\business\\emoticon\\e.gif",
                          "\\cache\\2024-01\\Message\\m.dat", "\\temp\\t.tmp"})
      file(a + f);
    const std::string attach = a + "\\msg\\attach\\";
    for (const char* chat :
         {"5f2d8c1e9a7b6c3d4e5f6a7b8c9d0e1f", "0123456789abcdef0123456789abcdef"}) {
      for (int i = 0; i < 5; ++i) {
        const std::string m = attach + chat + "\\" + month(24 + i);
        for (const char* image : {"abc.dat", "abc_t.dat"}) file(m + "\\Img\\" + image);
        if (i % 2 == 0) keep(m + "\\Rec\\forwarded\\f.dat");
      }
      anyMonths(attach + chat, "Img\\abc.dat", true);
    }
    h.fs.addLink(attach + "alias", attach + "0123456789abcdef0123456789abcdef");
    months(a + "\\msg\\video", 25, 3);
    anyMonths(a + "\\msg\\video", "v.dat");
    months(a + "\\msg\\file", 25, 2, "表格.xlsx");
    // A new account: nothing yet but its databases (no "msg").
    keep(x + "\\wxid_fresh_0000\\db_storage\\message\\message_0.db");
    accounts.push_back({x + "\\wxid_fresh_0000", "wxid_fresh_0000（新版微信）", true, 0});
    const std::string config =
        "C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat\\config\\a1b2c3.ini";
    h.env.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
    h.env.addFile(config, moved + "\\.\\..\\微信数据");
    h.fs.addFile(config, 10);

    h.fs.keepLinks = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    dataFolders = {kDocs, moved, moved + "\\.\\..\\微信数据", "C:\\nowhere", ""};
    resolved = {kDocs, moved, moved, "C:\\nowhere", "C:"};
  }

  const WorldAccount* byShownName(const std::string& text) const {
    for (const auto& a : accounts)
      if (a.shown == text || a.path.substr(a.path.rfind('\\') + 1) == text) return &a;
    return nullptr;
  }
};

}  // namespace support
