// Why an entry could not be removed. The backends say it; the window chooses its words from it.
#pragma once

namespace platform {

enum class RemovalReason {
  None,
  InUse,             // another program holds it open
  AccessDenied,      // no permission to remove it
  LinkKept,          // a link, left in place rather than risk what it points to
  WriteProtected,    // the volume is read-only
  DriveUnavailable,  // the drive or share went away
  BadName,           // a name Windows cannot handle (made on Linux or by some shares)
  Changed,           // replaced by something else while it was being removed
  NotEmpty,          // something was written into the folder while it was being removed
  Other,             // any other error
};

}  // namespace platform
