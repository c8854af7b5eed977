// Windows paths as the program builds them: UTF-8 text, backslash separators ('/' accepted), no
// trailing separator on a folder's path except where a function asks for "the folder" ("dir\"
// names a folder, as the FileSystem port reads it). The one place paths are split and joined.
#pragma once

#include <string>
#include <string_view>

namespace platform::path {

bool isSeparator(char c);
// `p` without the separators it ends with.
std::string trimTrailing(std::string_view p);
// `p` ending in a separator: what names it as a folder.
std::string asFolder(std::string_view p);
// Everything before the last separator; `p` itself when it has none.
std::string parent(std::string_view p);
// `base` and `part` with one separator between them, unless either already brings one.
std::string join(std::string_view base, std::string_view part);
template <typename... More>
std::string join(std::string_view base, std::string_view part, More&&... more) {
  return join(join(base, part), std::forward<More>(more)...);
}
// '/' as '\', a run of separators as one ("\\server" keeps its two), no trailing one.
std::string tidy(std::string_view p);
// Equal for two spellings of one folder: letters without case, tidied as above.
std::string key(std::string_view p);

}  // namespace platform::path
