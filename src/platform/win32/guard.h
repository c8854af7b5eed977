// The one place where a C++ exception is stopped before it unwinds through the system's frames
// (a window procedure, a timer tick, posted work). The event is lost, but the failure is logged
// for a debugger with OutputDebugString rather than swallowed without a trace.
#pragma once

#include <exception>

namespace platform::win32 {

// Writes "Velmora: <where> failed[: <what>]" to the debugger's output.
void logFailure(const char* where, const char* what) noexcept;

template <typename F>
void guarded(const char* where, F&& fn) noexcept {
  try {
    fn();
  } catch (const std::exception& e) {
    logFailure(where, e.what());
  } catch (...) {
    logFailure(where, nullptr);
  }
}

}  // namespace platform::win32
