// Text and path conversion at the Win32 boundary. Everything inside Velmora is UTF-8; the W
// functions want UTF-16, and names taken literally want the \\?\ form.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// Invalid UTF-8 becomes U+FFFD rather than an error: a name we cannot convert is still better
// shown than dropped.
std::wstring widen(std::string_view utf8);
// Unpaired surrogates (legal in NTFS names) also become U+FFFD, so such a name does not
// round-trip; nothing Velmora creates has one.
std::string narrow(std::wstring_view utf16);

// The one way a path reaches the W functions: absolute, in the \\?\ (drive) or \\?\UNC\ (share)
// form, so every name is taken literally — a trailing dot or space is kept rather than dropped,
// "CON" is a file, and the MAX_PATH limit does not apply. "/" becomes "\", doubled separators
// collapse (a drive root picked in the folder picker gives "E:\\WeChat Files\"), "." and ".."
// segments are resolved, and a trailing separator is dropped except at a root. A relative path
// is taken from the current directory (of its drive), as Win32 would. Empty for device paths
// (\\.\) and for what Windows cannot make absolute.
std::wstring literalPath(std::string_view utf8Path);

}  // namespace platform::win32
