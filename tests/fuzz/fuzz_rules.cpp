// The removal rules on any target: what they let through lies strictly inside the account folder
// and outside every never-touched folder, in canonical form, and passes again unchanged.
#include <string_view>

#include "clean/removal_rules.h"
#include "models/reference.h"

#define CHECK(c) \
  if (!(c)) __builtin_trap()

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  // The account folder as the program holds it, chosen by the first byte.
  static const std::string kAccounts[] = {"C:\\W\\wxid_a", "D:\\微信\\xwechat_files\\wxid_b_1f2e",
                                          "\\\\srv\\share\\Müller"};
  if (size == 0) return 0;
  const std::string& account = kAccounts[data[0] % 3];
  const std::string target(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string path = clean::checkTarget(target, account, clean::PathStyle::Windows).path;
  if (path.empty()) return 0;
  const auto keys = model::keys(path), root = model::keys(account + "\\");
  CHECK(model::decode(path) && keys.size() > root.size() && keys.starts_with(root));
  std::vector<std::string> below(1);
  for (char c : path.substr(account.size() + 1)) {
    CHECK(std::uint8_t(c) >= 0x20 && std::string_view("<>:\"|?*/").find(c) == std::string::npos);
    if (c == '\\')
      below.emplace_back();
    else
      below.back() += c;
  }
  for (const auto& name : below) CHECK(!name.empty() && name != "." && name != "..");
  CHECK(!model::neverTouched(below));
  CHECK(clean::checkTarget(path, account, clean::PathStyle::Windows).path == path);
  return 0;
}
