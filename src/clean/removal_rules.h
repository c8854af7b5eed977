// The safety rules every removal target must pass before anything is touched. They run on the
// path exactly as the caller spelled it, so they can be tested without a file system.
#pragma once

#include <string>

#include "platform/removal_backend.h"

namespace clean {

using platform::PathStyle;

struct TargetCheck {
  std::string path;     // the target in canonical form: what a backend may remove
  std::string refusal;  // why the target was refused; empty when it is allowed
  bool allowed() const { return refusal.empty(); }
};

// Allows `target` only when it lies strictly below `accountRoot` (the account folder itself is
// refused, and "C:\a\bc" is not below "C:\a\b"). Also refuses roots, relative paths, "." and ".."
// segments, characters Windows does not allow in names, device paths and text that is not valid
// UTF-8, and whatever lies in an account's chat records, settings, backups or favourites (the
// temporary favourites excepted). Names ending in a dot or a space are taken as they are: the
// backends pass every name literally, so they reach exactly the folder that was checked.
TargetCheck checkTarget(const std::string& target, const std::string& accountRoot, PathStyle style);

}  // namespace clean
