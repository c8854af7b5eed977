// Text as Velmora handles it: UTF-8 inside, and names compared the way NTFS compares them. The
// one decoder and the one case-insensitive comparison every layer uses.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::text {

// Code points of UTF-8 text, or nothing when it is malformed (overlong forms and surrogates
// included): malformed text would be converted lossily at the Win32 boundary and could then name
// another file than the one checked.
std::optional<std::u32string> decode(std::string_view utf8);
// For showing text: every malformed byte becomes U+FFFD.
std::u32string decodeLossy(std::string_view utf8);
std::string encode(std::u32string_view codePoints);
// Characters, not bytes: what a user (and a Windows text box) counts.
std::size_t length(std::string_view utf8);

// NTFS upper-cases both names through its own table before it compares them. Only the ranges
// folded here map exactly as that table does (ASCII, Latin-1, Greek, Cyrillic); a case difference
// elsewhere makes two names differ, which for a safety check is the safe direction.
char32_t upcase(char32_t c);
// -1, 0 or 1, code point by code point after upcase; a malformed byte compares as itself, above
// every character.
int compareNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);
// NTFS order; names that differ only in case keep a fixed order among themselves.
bool lessNoCase(std::string_view a, std::string_view b);
// `s` upper-cased as upcase does: equal keys for names NTFS takes for one.
std::string foldKey(std::string_view s);

// UTF-16 text (without its byte order mark) as UTF-8, or nothing when a surrogate is unpaired
// or a byte is left over.
std::optional<std::string> fromUtf16(std::string_view bytes, bool bigEndian);

}  // namespace platform::text
