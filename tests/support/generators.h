// Small generators the properties share (RapidCheck, inside a property only).
#pragma once

#include <rapidcheck.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace support {

// Properties are cheap here; more cases find the rare shapes (a "thumb" beside "Thumb", a second
// fault in a tree). Set for the whole test binary before RapidCheck first reads its settings;
// RC_PARAMS given outside wins.
inline const int kMoreCases = setenv("RC_PARAMS", "max_success=300", 0);

// True one time in `oneIn`.
inline bool coin(int oneIn = 2) {
  return *rc::gen::inRange(0, oneIn) == 0;
}

// `s` with each ASCII letter's case flipped or not: Windows' names match in any case.
inline std::string anyCase(std::string s) {
  for (char& c : s)
    if (std::isalpha(static_cast<unsigned char>(c)) && coin()) c ^= 0x20;
  return s;
}

}  // namespace support
