// The safety rules every removal target must pass before anything is touched. They run on the
// path exactly as the caller spelled it, so they can be tested without a file system.
#pragma once

#include <string>

namespace clean {

// How a backend spells paths. Windows: drive or share roots, backslashes (slashes accepted),
// names compared case-insensitively as NTFS does. Posix: "/" root, case-sensitive names.
enum class PathStyle { Windows, Posix };

struct TargetCheck {
  std::string path;     // the target in canonical form: what a backend may remove
  std::string refusal;  // why the target was refused; empty when it is allowed
  bool allowed() const { return refusal.empty(); }
};

// Allows `target` only when it lies strictly below `accountRoot` (the account folder itself is
// refused, and "C:\a\bc" is not below "C:\a\b"). Also refuses roots, relative paths, "." and ".."
// segments, names Windows would silently rewrite (trailing dot or space), device paths and
// text that is not valid UTF-8.
TargetCheck checkTarget(const std::string& target, const std::string& accountRoot, PathStyle style);

}  // namespace clean
