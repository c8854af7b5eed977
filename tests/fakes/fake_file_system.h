// An in-memory file system with Windows rules: case-insensitive names, backslash or slash paths,
// repeated separators collapsed, "." and ".." resolved, a leading backslash meaning the current
// drive (C:), "dir\" naming only folders, hidden/system attributes. It lists entries in creation
// order, as FAT32 does, so code that needs an order must sort.
#pragma once

#include <memory>

#include "platform/file_system.h"

namespace fakes {

class FakeFileSystem : public platform::FileSystem {
 public:
  void addDir(const std::string& path, std::uint32_t attributes = 0);
  void addFile(const std::string& path, std::uint64_t size, std::uint32_t attributes = 0);
  // A junction at `path` to the folder `target`: paths through it lead there; listing it lists
  // the target; it is removed itself, never what it points to.
  void addLink(const std::string& path, const std::string& target);
  // A file that cannot be deleted, as one held open by WeChat.
  void setLocked(const std::string& path) { lookup(path)->locked = true; }
  // Links below a removed folder stay, as they do under Wine (else they go, as on Windows).
  bool keepLinks = false;

  struct Removed {
    std::uint64_t files = 0;    // locked files (and kept links) that stayed
    std::uint64_t entries = 0;  // they and the folders that hold them
    std::uint64_t links = 0;    // kept links among what stayed
    std::uint64_t removedFiles = 0, removedBytes = 0;
  };
  // Removes `path` and everything below but locked files and the folders holding them (a link
  // at `path` is removed itself).
  Removed remove(const std::string& path);

  std::optional<std::uint32_t> attributes(const std::string& path) override;
  std::vector<platform::DirEntry> list(const std::string& path) override;
  // What the walker would report: whether it is there, its bytes, its immediate sub-folders.
  platform::FolderSize measure(const std::string& path);
  std::string fullPath(const std::string& path) override;  // the current folder: C: root

 private:
  struct Node {
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::vector<std::unique_ptr<Node>> children = {};  // creation order
    std::string target = {};                           // a link's, as a path
    bool locked = false;
    bool dir() const { return attributes & platform::kAttrDirectory; }
    bool link() const { return !target.empty(); }
  };
  // The node at `path`; links on the way are followed, the last one too when `follow`. `make`
  // makes the folders missing on the way.
  Node* lookup(const std::string& path, Node** parent = nullptr, bool follow = false,
               bool make = false);
  bool stays(Node& n, Removed& r);  // removing `n`, what stays of it

  Node root_{"", platform::kAttrDirectory};
};

}  // namespace fakes
