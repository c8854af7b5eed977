// An in-memory file system with Windows rules: case-insensitive names, backslash or slash paths,
// repeated separators collapsed, "." and ".." resolved, a leading backslash meaning the current
// drive (C:), "dir\" naming only folders, hidden/system attributes. It lists entries in creation
// order, as FAT32 does, so code that needs an order must sort.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace fakes {

class FakeFileSystem : public platform::FileSystem {
 public:
  FakeFileSystem() { root_.attributes = platform::kAttrDirectory; }

  void addDir(const std::string& path, std::uint32_t attributes = 0);
  void addFile(const std::string& path, std::uint64_t size, std::uint32_t attributes = 0);
  // A file that cannot be deleted, as one held open by WeChat.
  void setLocked(const std::string& path) { locked_.insert(key(path)); }
  // Removes `path` and everything below but locked files and the folders holding them; returns
  // how many locked files stayed.
  std::uint64_t remove(const std::string& path);

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
    std::vector<std::unique_ptr<Node>> children;  // creation order
    bool dir() const { return attributes & platform::kAttrDirectory; }
  };
  static std::string key(const std::string& path);  // upper-cased, one backslash after each part
  static Node* child(Node& n, const std::string& name);
  Node* lookup(const std::string& path, Node** parent = nullptr);
  Node* makeDirs(const std::vector<std::string>& parts, std::size_t count);
  std::uint64_t prune(Node& n, const std::string& k);

  Node root_;
  std::set<std::string> locked_;
};

}  // namespace fakes
