// Ownership of system handles on every platform: one small move-only template (the idea of WIL's
// unique_any, which does not build with MinGW) with a typedef per handle kind where it is used,
// and a guard that runs a function when its scope ends.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

namespace platform {

// Owns a value of type T and passes it to Close when done. `InvalidValue` is given as an integer
// because INVALID_HANDLE_VALUE ((HANDLE)-1) cannot be a template argument.
template <typename T, auto Close, std::intptr_t InvalidValue = 0>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(T value) noexcept : value_(value) {}
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  static T invalid() noexcept {
    if constexpr (std::is_pointer_v<T>) {
      return reinterpret_cast<T>(InvalidValue);
    } else {
      return static_cast<T>(InvalidValue);
    }
  }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != invalid(); }

  // Gives up ownership without closing.
  T release() noexcept { return std::exchange(value_, invalid()); }
  void reset(T value = invalid()) noexcept {
    const T old = std::exchange(value_, value);
    if (old != invalid()) Close(old);
  }
  // For APIs that return the handle through an out parameter: closes the current one first.
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = invalid();
};

// Runs a function when the scope ends, unless release() was called first.
template <typename F>
class scope_exit_guard {
 public:
  explicit scope_exit_guard(F fn) noexcept(std::is_nothrow_move_constructible_v<F>)
      : fn_(std::move(fn)) {}
  scope_exit_guard(const scope_exit_guard&) = delete;
  scope_exit_guard& operator=(const scope_exit_guard&) = delete;
  ~scope_exit_guard() {
    if (active_) fn_();
  }
  void release() noexcept { active_ = false; }

 private:
  F fn_;
  bool active_ = true;
};

template <typename F>
[[nodiscard]] scope_exit_guard<std::decay_t<F>> scope_exit(F&& fn) {
  return scope_exit_guard<std::decay_t<F>>(std::forward<F>(fn));
}

}  // namespace platform
