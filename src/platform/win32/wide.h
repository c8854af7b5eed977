// Text and path conversion at the Win32 boundary. Everything inside Velmora is UTF-8; the W
// functions want UTF-16, and paths longer than MAX_PATH want the \\?\ form.
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

// Shorter than this, a path works with every W function as it is. CreateDirectoryW is the
// strictest (MAX_PATH minus room for an 8.3 name), so the threshold is below MAX_PATH.
inline constexpr std::size_t kLongPathThreshold = 248;

// `path` as the W functions need it: unchanged while it is short or already has a \\?\ or
// \\.\ prefix; otherwise made absolute and normalised (as the Win32 layer would do for a short
// path:
// "/" to "\", "." and ".." resolved, a trailing "\" kept) and given the \\?\ (drive) or
// \\?\UNC\ (share) prefix, which lifts the MAX_PATH limit.
std::wstring longPath(std::wstring_view path);

// widen + longPath: the usual way to hand a UTF-8 path to a W function.
std::wstring widePath(std::string_view utf8Path);

}  // namespace platform::win32
