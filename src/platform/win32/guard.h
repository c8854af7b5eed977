// The one place where a C++ exception is stopped before it unwinds through the system's frames
// (a window procedure, a timer tick, posted work). The event is lost, but the failure is logged
// for a debugger with OutputDebugString rather than swallowed without a trace. And the one way a
// call the program cannot go on without reports its failure: as an exception, which wWinMain
// shows.
#pragma once

#include <exception>

namespace platform::win32 {

// Writes "Velmora: <where> failed[: <what>]" to the debugger's output.
void logFailure(const char* where, const char* what) noexcept;

// Throws std::system_error with the thread's last error, saying what failed.
[[noreturn]] void throwLastError(const char* what);

// `value`, unless it is null: then the last error is thrown (WIL's THROW_LAST_ERROR_IF_NULL).
template <typename T>
T throwLastErrorIfNull(T value, const char* what) {
  if (!value) throwLastError(what);
  return value;
}

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
