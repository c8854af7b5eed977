// UTF-8 <-> code points, for the few places that must count characters rather than bytes.
#pragma once

#include <string>

namespace utf8 {

std::u32string decode(const std::string& s);
std::string encode(const std::u32string& s);
// Characters, not bytes: what a user (and a Windows text box) counts.
std::size_t length(const std::string& s);

}  // namespace utf8
