// An in-memory file system with Windows rules: case-insensitive names, backslash paths, repeated
// separators collapsed, "dir\" naming only folders, hidden/system attributes. It lists entries in
// creation order, as FAT32 does, so code that needs an order must sort.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace fakes {

class FakeFileSystem : public platform::FileSystem {
 public:
  FakeFileSystem();

  void addDir(const std::string& path, std::uint32_t attributes = 0);
  void addFile(const std::string& path, std::uint64_t size, std::uint32_t attributes = 0);
  bool remove(const std::string& path);  // recursive; false when missing
  // A folder whose listing fails, as an access-denied folder does.
  void setUnreadable(const std::string& path) { unreadable_.insert(key(path)); }
  // A file that cannot be deleted, as one held open by WeChat.
  void setLocked(const std::string& path) { locked_.insert(key(path)); }
  bool isLocked(const std::string& path) const { return locked_.count(key(path)) > 0; }
  // Every path below `path` (inclusive) in creation order; for tests that compare trees.
  std::vector<std::string> paths() const;
  std::uint64_t measureCalls = 0;

  std::optional<std::uint32_t> attributes(const std::string& path) override;
  std::vector<platform::DirEntry> list(const std::string& path) override;
  platform::FolderSize measure(const std::string& path) override;

  struct Node {
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::vector<std::unique_ptr<Node>> children;  // creation order
    bool dir() const { return attributes & platform::kAttrDirectory; }
  };

 private:
  // Splits a path into upper-cased components; false for a path Windows would not resolve.
  static bool split(const std::string& path, std::vector<std::string>& parts, bool& trailing);
  static std::string key(const std::string& path);
  Node* lookup(const std::string& path, Node** parent = nullptr);
  Node* makeDirs(const std::vector<std::string>& parts, std::size_t count);
  void walk(const Node& n, const std::string& k, platform::FolderSize& s) const;

  Node root_;
  std::set<std::string> unreadable_, locked_;
};

}  // namespace fakes
