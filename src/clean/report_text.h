// What the user is told when a removal could not finish, in the window's own language: how much
// stayed, counted as a user counts it, why, and advice only where trying again can help.
#pragma once

#include <string>

#include "clean/plan_runner.h"
#include "clean/remover.h"

namespace clean {

// Empty when the folder is gone. Otherwise how many files stayed and why, or why the target was
// refused.
std::string leftBehindNotice(const RemovalReport& report);

// Empty when every folder of a run went. Otherwise how many of its folders stayed and why.
std::string stayedText(const RunOutcome& outcome);

// The status line once a plan has run: what it gave back, and what stayed and why.
std::string endedText(const Plan& plan, const RunOutcome& outcome, const std::string& decimal);

}  // namespace clean
