#include "clean/report_text.h"

#include "space/size_text.h"

namespace clean {

namespace {

std::string reasonText(const RemovalReport& r) {
  if (r.refused) return "为安全起见没有删除它们";
  switch (r.firstReason) {
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

// Quitting WeChat and trying again helps with files held open, not with links, names, rules,
// permissions or drives.
bool retryHelps(const RemovalReport& r) {
  if (r.refused) return false;
  switch (r.firstReason) {
    case RemovalReason::InUse:
    case RemovalReason::NotEmpty:
    case RemovalReason::Changed:
    case RemovalReason::Other:
    case RemovalReason::None:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string leftBehindNotice(const RemovalReport& r) {
  if (r.gone) return {};
  if (r.refused) return "为安全起见，没有删除这个文件夹：\r\n" + r.target;
  // A locked file keeps the folders above it; the user counts the file.
  const std::string count = r.remainingFiles ? std::to_string(r.remainingFiles) + " 个文件"
                            : r.remaining    ? std::to_string(r.remaining) + " 个文件夹"
                                             : "一些文件";
  return "有 " + count + "没能删除，" + reasonText(r) + "。" +
         (retryHelps(r) ? "\r\n请完全退出微信后再试一次。" : "");
}

std::string stayedText(const RunOutcome& o) {
  if (o.itemsLeft == 0 || !o.firstLeft) return {};
  return "有 " + std::to_string(o.itemsLeft) + " 个文件夹没能完全删除：" +
         reasonText(*o.firstLeft) + (retryHelps(*o.firstLeft) ? "，请退出微信后再试" : "");
}

std::string endedText(const Plan& plan, const RunOutcome& o, const std::string& decimal) {
  const std::string freed = "（已释放 " + space::sizeText(o.bytes, decimal) + "）";
  switch (plan.pacing) {
    case Pacing::AtOnce:
      return plan.groups.front().named + (o.firstLeft ? "没能完全清空" : "已清空..") + freed;
    case Pacing::Rested: {
      const std::string stayed = stayedText(o);
      return (o.stopped ? "老版微信垃圾清理已中止" : "老版微信垃圾已清理") + freed +
             (stayed.empty() ? "" : "；" + stayed);
    }
    default:
      break;
  }
  const std::string stayed = stayedText(o);
  return stayed.empty() ? "已释放 " + space::sizeText(o.bytes, decimal) : stayed + freed;
}

}  // namespace clean
