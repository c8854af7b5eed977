// From the raw bytes of a setting to the accounts found: nothing throws, every folder comes back
// tidy, and only real accounts are found, each once.
#include <set>

#include "fakes/fake_environment.h"
#include "fakes/fake_file_system.h"
#include "models/reference.h"
#include "wechat/data_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string tencent = "C:\\Users\\u\\AppData\\Roaming\\Tencent";
  fakes::FakeFileSystem fs;
  fakes::FakeRegistry registry;
  fakes::FakeEnvironment env;
  env.variables = {{"APPDATA", tencent.substr(0, tencent.rfind('\\'))}};
  // The first byte says where the bytes are: the 3.x file, a 4.x file, or a registry value.
  if (data[0] % 3) {
    const std::string file = tencent + (data[0] % 2 ? "\\xwechat\\config\\1.ini"
                                                    : "\\WeChat\\All Users\\config\\3ebffe94.ini");
    fs.addFile(file, bytes.size());
    env.addFile(file, bytes);
    registry
        .values["Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\Personal"] =
        "C:\\Users\\u\\Documents";
  } else {
    registry.values["Software\\Tencent\\Weixin\\FileSavePath"] = bytes;
  }
  std::set<std::u32string> accounts, seen;
  for (std::string folder : {"C:\\Users\\u\\Documents\\WeChat Files\\wxid_a\\Msg",
                             "D:\\图片\\xwechat_files\\wxid_b_0001\\db_storage",
                             "E:\\xwechat_files\\c_0002\\db_storage"}) {
    fs.addDir(folder);
    accounts.insert(model::keys(folder.substr(0, folder.rfind('\\'))));
  }
  fs.addDir("D:\\图片\\xwechat_files\\all_users");
  const wechat::DataPorts ports{fs, registry, env};
  bool ok = true;
  for (const auto& f : wechat::configuredDataFolders(ports)) ok = ok && model::tidy(f);
  for (const auto& a : wechat::findAccounts(ports, ""))
    ok = ok && accounts.count(model::keys(a.path)) && seen.insert(model::keys(a.path)).second;
  if (!ok) __builtin_trap();
  return 0;
}
