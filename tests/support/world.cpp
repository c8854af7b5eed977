#include "support/world.h"

namespace support {

namespace {

constexpr const char* kDocs = "C:\\Users\\u\\Documents";
constexpr const char* kMoved = "C:\\微信数据";

struct Builder {
  fakes::Harness& h;
  std::mt19937& rng;
  World& w;
  std::uint64_t low = 1, high = 1;

  std::uint64_t size() { return std::uniform_int_distribution<std::uint64_t>(low, high)(rng); }
  std::string file(const std::string& path) {
    h.fs.addFile(path, size());
    return path;
  }
  void keep(const std::string& path) { w.untouchable.push_back(file(path)); }
  void months(const std::string& folder, int from, int count, const char* leaf = "m.dat") {
    for (int i = from + count - 1; i >= from; --i)  // newest first: the fake lists as created
      file(folder + "\\" + fakes::Harness::month(i) + "\\" + leaf);
  }
  void lockSome(const std::string& path) {
    if (std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
      h.fs.setLocked(path);
      w.locked.push_back(path);
    }
  }
};

}  // namespace

World::World(fakes::Harness& h, std::mt19937& rng) {
  Builder b{h, rng, *this};
  const std::string files = std::string(kDocs) + "\\WeChat Files";
  // Listed as an account too, as every visible folder there is; it holds nothing to clean.
  b.keep(files + "\\All Users\\config\\config.data");
  accounts.push_back({files + "\\All Users", "All Users", false, 0});

  // WeChat 3.9, busy: images mostly in the chats' folders since 3.7; sizes of gigabytes.
  std::string a = files + "\\wxid_busy";
  accounts.push_back({a, "wxid_busy", false, 'G'});
  b.low = 1'000'000'000, b.high = 3'000'000'000;
  b.keep(a + "\\Msg\\MicroMsg.db");
  b.keep(a + "\\Msg\\Multi\\MSG0.db");
  b.keep(a + "\\config\\AccInfo.dat");
  b.keep(a + "\\BackupFiles\\phone.bak");
  b.keep(a + "\\Backup\\old.bak");
  b.file(a + "\\Image\\2018\\old.dat");  // and the folders of WeChat 2019, never cleaned up
  const std::string fsA = a + "\\FileStorage";
  b.lockSome(b.file(fsA + "\\Cache\\2023-01\\c.dat"));
  b.file(fsA + "\\CustomEmotion\\ab\\e.gif");
  b.file(fsA + "\\General\\HeadImage\\h.jpg");
  b.months(fsA + "\\Sns\\Cache", 8, 4);
  b.months(fsA + "\\Image", 0, 5);  // spelled as the volume keeps it
  b.months(fsA + "\\Image\\Thumb", 0, 5);
  h.fs.addDir(fsA + "\\Image\\2023-01 备份");
  b.file(fsA + "\\Image\\2023-01 备份\\x.dat");
  h.fs.addDir(fsA + "\\Image\\.trash", platform::kAttrHidden);
  b.keep(fsA + "\\Image\\.trash\\t.dat");
  b.keep(fsA + "\\Image\\loose.dat");
  b.months(fsA + "\\Video", 3, 9);
  b.lockSome(fsA + "\\Video\\2022-06\\m.dat");
  b.months(fsA + "\\File", 10, 3, "报告.pdf");
  for (const char* chat : {"0a1b2c3d", "ffee0011", "9c9c9c9c"}) {
    const std::string c = fsA + "\\MsgAttach\\" + chat;
    b.months(c + "\\Image", 2 + chat[1] % 5, 6);
    b.months(c + "\\Thumb", 2 + chat[1] % 5, 6);
    b.months(c + "\\File", 9, 2, "合同.docx");
  }

  // An account that still holds the folders of WeChat 2019 and earlier.
  a = files + "\\old_friend";
  accounts.push_back({a, "old_friend", false, 'M'});
  b.low = 1'000'000, b.high = 20'000'000;
  b.keep(a + "\\Msg\\ChatMsg.db");
  for (const char* legacy :
       {"\\Image\\i.dat", "\\Video\\v.mp4", "\\Data\\d.dat", "\\Attachment\\a"})
    b.file(a + legacy);
  b.lockSome(a + "\\Data\\d.dat");
  b.months(a + "\\FileStorage\\Video", 20, 3);
  b.file(a + "\\FileStorage\\Cache\\c.dat");

  // Folders moved to D: with junctions, a month folder linked elsewhere, and old folders too.
  a = files + "\\wxid_moved";
  accounts.push_back({a, "wxid_moved", false, 'K'});
  b.low = 1000, b.high = 20000;
  b.keep(a + "\\Msg\\MicroMsg.db");
  b.file(a + "\\Image\\legacy.dat");
  b.months("D:\\Moved\\video", 0, 4);
  h.fs.addLink(a + "\\FileStorage\\Video", "D:\\Moved\\video");
  b.file("D:\\Moved\\cache\\a.dat");
  b.file("D:\\Moved\\cache\\sub\\b.dat");
  h.fs.addLink(a + "\\FileStorage\\Cache", "D:\\Moved\\cache");
  junctions = {a + "\\FileStorage\\Video", a + "\\FileStorage\\Cache"};
  b.months(a + "\\FileStorage\\Sns\\Cache", 30, 2);
  b.keep("D:\\Elsewhere\\sns\\linked.dat");
  h.fs.addLink(a + "\\FileStorage\\Sns\\Cache\\2024-06", "D:\\Elsewhere\\sns");
  h.fs.addLink(a + "\\FileStorage\\Cache\\sub\\outside", "D:\\Elsewhere");

  // WeChat 4.x, moved by its settings; a month folder holds forwarded chat records beside images.
  const std::string x = std::string(kMoved) + "\\xwechat_files";
  b.low = 1, b.high = 12;
  b.keep(x + "\\all_users\\login\\key.dat");
  a = x + "\\wxid_new_1a2b";
  accounts.push_back({a, "wxid_new_1a2b（新版微信）", true, 0});
  b.keep(a + "\\db_storage\\message\\message_0.db");
  b.keep(a + "\\config\\settings.dat");
  b.keep(a + "\\business\\favorite\\data\\fav.dat");
  b.file(a + "\\business\\favorite\\temp\\t.dat");
  b.file(a + "\\business\\emoticon\\e.gif");
  b.file(a + "\\cache\\2024-01\\Message\\m.dat");
  b.file(a + "\\temp\\t.tmp");
  for (const char* chat :
       {"5f2d8c1e9a7b6c3d4e5f6a7b8c9d0e1f", "0123456789abcdef0123456789abcdef"}) {
    const std::string c = a + "\\msg\\attach\\" + chat;
    for (int i = 0; i < 5; ++i) {
      const std::string m = c + "\\" + fakes::Harness::month(24 + i);
      b.file(m + "\\Img\\abc.dat");
      b.file(m + "\\Img\\abc_t.dat");
      if (i % 2 == 0) b.keep(m + "\\Rec\\forwarded\\f.dat");
    }
  }
  b.months(a + "\\msg\\video", 25, 3);
  b.months(a + "\\msg\\file", 25, 2, "表格.xlsx");
  h.env.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
  h.env.addFile("C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat\\config\\a1b2c3.ini",
                std::string(kMoved) + "\\.\\..\\微信数据");
  h.fs.addFile("C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat\\config\\a1b2c3.ini", 10);

  h.fs.keepLinks = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
  dataFolders = {kDocs, kMoved, std::string(kMoved) + "\\.\\..\\微信数据", "C:\\nowhere", ""};
}

const WorldAccount* World::byShownName(const std::string& text) const {
  for (const auto& a : accounts)
    if (a.shown == text || a.path.substr(a.path.rfind('\\') + 1) == text) return &a;
  return nullptr;
}

}  // namespace support
