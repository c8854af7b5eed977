// From the raw bytes of a setting to the accounts found: nothing throws, every folder comes back
// tidy, and only real accounts are found, each once.
#include <set>

#include "fakes/fake_environment.h"
#include "fakes/fake_file_system.h"
#include "models/reference.h"
#include "wechat/data_folders.h"

#define CHECK(c) \
  if (!(c)) __builtin_trap()

struct Registry : platform::Registry {
  std::string key, value;
  std::optional<std::string> readUserString(const std::string& k, const std::string&) override {
    return k == key ? std::optional(value) : std::nullopt;
  }
};

// Windows reads UTF-8 by Unicode's table; the C library's iconv, which the fake decodes with,
// lets code points past U+10FFFF through.
struct Environment : fakes::FakeEnvironment {
  std::optional<std::string> decode(std::string_view bytes, unsigned codePage) override {
    if (codePage != platform::kCodePageGbk && !model::decode(bytes)) return std::nullopt;
    return FakeEnvironment::decode(bytes, codePage);
  }
};

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string tencent = "C:\\Users\\u\\AppData\\Roaming\\Tencent";
  const std::string accounts[] = {"C:\\Users\\u\\Documents\\WeChat Files\\wxid_a",
                                  "D:\\图片\\xwechat_files\\wxid_b_0001",
                                  "E:\\xwechat_files\\c_0002"};
  fakes::FakeFileSystem fs;
  Environment env;
  env.variables = {{"APPDATA", tencent.substr(0, tencent.rfind('\\'))}};
  // The first byte says where the bytes are: the 3.x file, a 4.x file, or a registry value.
  Registry registry;
  registry.key = "Software\\Tencent\\Weixin", registry.value = bytes;
  if (data[0] % 3) {
    const std::string file = tencent + (data[0] % 2 ? "\\xwechat\\config\\1.ini"
                                                    : "\\WeChat\\All Users\\config\\3ebffe94.ini");
    fs.addFile(file, bytes.size());
    env.addFile(file, bytes);
    registry.key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    registry.value = "C:\\Users\\u\\Documents";
  }
  fs.addDir(accounts[0] + "\\Msg");
  for (int i : {1, 2}) fs.addDir(accounts[i] + "\\db_storage");
  fs.addDir("D:\\图片\\xwechat_files\\all_users");
  const wechat::DataPorts ports{fs, registry, env};
  for (const auto& f : wechat::configuredDataFolders(ports)) CHECK(model::tidy(f));
  std::set<std::u32string> seen;
  for (const auto& a : wechat::findAccounts(ports, "")) {
    const auto key = model::keys(a.path);
    CHECK(seen.insert(key).second);
    CHECK(key == model::keys(accounts[0]) || key == model::keys(accounts[1]) ||
          key == model::keys(accounts[2]));
  }
  return 0;
}
