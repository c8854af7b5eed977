#include "clean/report_text.h"

namespace clean {

namespace {
std::string reasonText(RemovalReason reason) {
  switch (reason) {
    case RemovalReason::InUse:
      return "它们正被其他程序占用";
    case RemovalReason::AccessDenied:
      return "没有删除它们的权限";
    case RemovalReason::LinkKept:
      return "它们是指向别处的链接，为安全起见保留了";
    case RemovalReason::WriteProtected:
      return "磁盘处于写保护状态";
    case RemovalReason::DriveUnavailable:
      return "磁盘已无法访问";
    case RemovalReason::BadName:
      return "它们的名字含有 Windows 无法处理的字符";
    default:
      return "它们可能正被占用";
  }
}
}  // namespace

std::string leftBehindNotice(const RemovalReport& r) {
  if (r.gone) return {};
  if (r.refused) return "为安全起见，没有删除这个文件夹：\r\n" + r.target;
  std::string count = r.remaining ? std::to_string(r.remaining) + " 个文件或文件夹" : "一些文件";
  return "有 " + count + "没能删除，" + reasonText(r.firstReason) +
         "。\r\n请完全退出微信后再试一次。";
}

}  // namespace clean
