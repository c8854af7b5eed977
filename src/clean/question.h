// The question a plan is put to the user with, made from the plan alone: the sentence every
// deletion has always asked for its own folder, a line for each further group of folders it
// takes, and what it gives back and keeps when that is known.
#pragma once

#include <optional>
#include <string>

#include "clean/plan.h"
#include "platform/shell.h"

namespace clean {

class Question {
 public:
  // How the window words its sentence: the grid's "确认删除 X 下所有文件吗？确认后将直接删除", or
  // the received-files dialog's "确认删除X所有文件吗？确认后将直接清空".
  enum class Style { Grid, Dialog };

  static std::string text(const Plan& plan, Style style, const std::string& decimal);

  // Asks; the plan comes back confirmed only when the user pressed OK.
  static std::optional<ConfirmedPlan> ask(platform::Shell& shell, Plan plan, Style style,
                                          platform::WindowHandle owner = 0);
};

}  // namespace clean
