// What the program asks of the file system. Paths are UTF-8 text with backslash separators,
// exactly as the user and the forms build them; nothing here adds or removes a separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What the file system says of an entry, in our own bits (the Win32 port maps its attributes).
enum Attr : std::uint32_t {
  kAttrDirectory = 1 << 0,
  kAttrHidden = 1 << 1,
  kAttrSystem = 1 << 2,
  kAttrReadOnly = 1 << 3,
  kAttrReparsePoint = 1 << 4,  // a junction, link or other reparse point
};

struct DirEntry {
  std::string name;  // bare name, never "." or ".."
  std::uint32_t attributes = 0;
};

// Totals of one folder tree, as Explorer's Size would show them.
struct FolderSize {
  bool exists = false;           // the folder could be opened at all
  std::uint64_t bytes = 0;       // logical bytes of every file below, reparse points not followed
  std::uint64_t subfolders = 0;  // immediate sub-folders of the folder itself
  std::uint64_t unreadable = 0;  // folders below that could not be listed
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Attributes of a path, or nothing when it does not exist. Windows rules: "dir\" names the
  // folder, "file.txt\" names nothing.
  virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;

  // Every entry of a folder (hidden and system ones included, "." and ".." left out), in the
  // volume's own order. Empty when the folder is missing or unreadable. `path` may end in a
  // backslash or not.
  virtual std::vector<DirEntry> list(const std::string& path) = 0;

  // `path` made absolute as Windows resolves it (the current drive or folder filled in, repeated
  // separators collapsed, a trailing backslash kept); `path` itself when it cannot be resolved.
  virtual std::string fullPath(const std::string& path) = 0;

  bool exists(const std::string& path) { return attributes(path).has_value(); }
  bool isDirectory(const std::string& path) {
    auto a = attributes(path);
    return a && (*a & kAttrDirectory);
  }
};

}  // namespace platform
