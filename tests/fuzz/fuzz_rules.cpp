// The removal rules on any target: what they let through lies strictly inside the account folder
// and outside every never-touched folder, in canonical form, and passes again unchanged.
#include "clean/removal_rules.h"
#include "models/reference.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  // The account folder as the program holds it, chosen by the first byte.
  static const std::string kAccounts[] = {"C:\\W\\wxid_a", "D:\\微信\\xwechat_files\\wxid_b_1f2e",
                                          "\\\\srv\\share\\Müller"};
  if (size == 0) return 0;
  const std::string& account = kAccounts[data[0] % 3];
  const std::string target(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string path = clean::checkTarget(target, account, clean::PathStyle::Windows).path;
  if (!path.empty() && (!model::mayGo(path, account) ||
                        clean::checkTarget(path, account, clean::PathStyle::Windows).path != path))
    __builtin_trap();
  return 0;
}
