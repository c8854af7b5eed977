#include "clean/question.h"

#include "space/size_text.h"

namespace clean {

namespace {

constexpr const char* kTitle = "想确认下";

std::string chatCount(const PlanGroup& g) {
  return "（" + std::to_string(g.chats) + " 个聊天）";
}

}  // namespace

std::string Question::text(const Plan& plan, Style style, const std::string& decimal) {
  const PlanGroup& first = plan.groups.front();
  std::string text = style == Style::Grid
                         ? "确认删除 " + first.named + " 下所有文件吗？确认后将直接删除"
                         : "确认删除" + first.named + "所有文件吗？确认后将直接清空";
  if (plan.plain()) return text;
  if (first.pattern()) text += chatCount(first);
  bool images = first.takes == Takes::MonthImages;
  for (std::size_t i = 1; i < plan.groups.size(); ++i) {
    const PlanGroup& g = plan.groups[i];
    text += "\r\n同时删除：" + g.named + (g.pattern() ? chatCount(g) : "");
    images = images || g.takes == Takes::MonthImages;
  }
  if (images) text += "\r\n每个月只删除其中的 Img 图片文件夹，转发的聊天记录（Rec）等其他内容保留";
  const std::string size =
      plan.bytes ? "约 " + space::sizeText(*plan.bytes, decimal) : std::string();
  const bool monthly = plan.pacing == Pacing::ByFolder || plan.pacing == Pacing::ByMonth;
  if (monthly) {
    const std::vector<std::string> months = plan.months();
    std::string line = months.empty()       ? "没有要删除的月份"
                       : months.size() == 1 ? "删除 " + months.front() + " 这 1 个月"
                                            : "删除 " + months.front() + " 至 " + months.back() +
                                                  " 的 " + std::to_string(months.size()) + " 个月";
    if (!months.empty() && !size.empty()) line += "，" + size;
    if (plan.keep) line += "；保留最新 " + std::to_string(*plan.keep) + " 个月";
    text += "\r\n" + line;
  } else if (!size.empty()) {
    text += "\r\n共" + size;
  }
  return text;
}

std::optional<ConfirmedPlan> Question::ask(platform::Shell& shell, Plan plan, Style style,
                                           platform::WindowHandle owner) {
  const std::string question = text(plan, style, shell.decimalSeparator());
  if (shell.messageBox(question, kTitle, platform::Buttons::OkCancel, platform::Icon::Question,
                       owner) != platform::Answer::Ok)
    return std::nullopt;
  return ConfirmedPlan(std::move(plan));
}

}  // namespace clean
