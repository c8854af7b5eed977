// An in-memory file system with Windows rules: case-insensitive names, backslash or slash paths,
// repeated separators collapsed, "." and ".." resolved, a leading backslash meaning the current
// drive (C:), "dir\" naming only folders, hidden/system attributes. It lists entries in creation
// order, as FAT32 does, so code that needs an order must sort.
#pragma once

#include <memory>

#include "clean/remover.h"
#include "fakes/fake_environment.h"
#include "platform/file_system.h"

namespace fakes {

class FakeFileSystem : public platform::FileSystem {
 public:
  void addDir(const std::string& path, std::uint32_t attributes = 0) {
    lookup(path, nullptr, false, true)->attributes = platform::kAttrDirectory | attributes;
  }
  void addFile(const std::string& path, std::uint64_t size, std::uint32_t attributes = 0) {
    lookup(path + "\\..", nullptr, true, true)  // the folder it goes in
        ->children.push_back(std::make_unique<Node>(Node{split(path).back(), attributes, size}));
  }
  // A junction at `path` to the folder `target`: paths through it lead there; listing it lists
  // the target; it is removed itself, never what it points to.
  void addLink(const std::string& path, const std::string& target) {
    addDir(path, platform::kAttrReparsePoint);
    lookup(path)->target = target;
  }
  // A file that cannot be deleted, as one held open by WeChat.
  void setLocked(const std::string& path) { lookup(path)->locked = true; }
  // Links below a removed folder stay, as they do under Wine (else they go, as on Windows).
  bool keepLinks = false;

  // Removes `path` and everything below but locked files and the folders holding them (a link
  // at `path` is removed itself), and reports it as the removal engine does.
  clean::RemovalReport remove(const std::string& path) {
    clean::RemovalReport r{path};
    Node* parent = nullptr;
    Node* n = lookup(path, &parent);
    if (n && !stays(*n, r))
      std::erase_if(parent->children, [n](auto& c) { return c.get() == n; });
    else if (n && n->dir() && !n->link())
      --r.remaining;  // what stays is below the folder
    r.gone = !exists(path);
    if (!r.gone && r.firstReason == platform::RemovalReason::None)
      r.firstReason = platform::RemovalReason::InUse;
    return r;
  }

  std::optional<std::uint32_t> attributes(const std::string& path) override {
    const Node* n = lookup(path);
    return n ? std::optional(n->attributes) : std::nullopt;
  }
  std::vector<platform::DirEntry> list(const std::string& path) override {
    std::vector<platform::DirEntry> out;
    Node* n = lookup(path, nullptr, true);
    if (n && n->dir())
      for (auto& c : n->children) out.push_back({c->name, c->attributes});
    return out;
  }
  // What the walker would report: whether it is there, its bytes, its immediate sub-folders.
  platform::FolderSize measure(const std::string& path) {
    platform::FolderSize s;
    Node* n = lookup(path, nullptr, true);  // the root is followed, links below it never
    if (!n || !n->dir()) return s;
    s.exists = true;
    for (auto& c : n->children) s.subfolders += c->dir();
    auto add = [&s](auto& self, const Node& folder) -> void {
      for (auto& c : folder.children)
        if (!c->link()) c->dir() ? self(self, *c) : void(s.bytes += c->size);
    };
    add(add, *n);
    return s;
  }
  // As GetFullPathNameW: a share kept, else the current drive (C:, its root the current folder)
  // filled in; "." and ".." resolved, separators collapsed, a trailing one kept.
  std::string fullPath(const std::string& path) override {
    const bool drive = path.size() > 1 && path[1] == ':';
    std::string out = drive ? path.substr(0, 2) : path.starts_with("\\\\") ? "\\" : "C:";
    for (const auto& part : split(drive ? path : "\\" + path))
      if (part.size() != 2 || part[1] != ':') out += "\\" + part;
    if (out.size() == 2 || (!path.empty() && (path.back() == '\\' || path.back() == '/')))
      out += '\\';
    return out;
  }

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

  static std::vector<std::string> split(std::string path) {
    if (!path.empty() && path[0] == '\\') path = "C:" + path;
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path + "\\") {
      if (c != '\\' && c != '/') {
        cur += c;
      } else if (cur == "..") {
        if (parts.size() > 1) parts.pop_back();
      } else if (!cur.empty() && cur != ".") {
        parts.push_back(cur);
      }
      if (c == '\\' || c == '/') cur.clear();
    }
    return parts;
  }
  // The node at `path`; links on the way are followed, the last one too when `follow`. `make`
  // makes the folders missing on the way.
  Node* lookup(const std::string& path, Node** parent = nullptr, bool follow = false,
               bool make = false) {
    const auto parts = split(path);
    Node* n = &root_;
    for (std::size_t i = 0; n && i < parts.size(); ++i) {
      if (parent) *parent = n;
      Node* const folder = n;
      n = nullptr;
      for (auto& c : folder->children)
        if (upper(c->name) == upper(parts[i])) n = c.get();
      if (!n && make)
        n = folder->children.emplace_back(new Node{parts[i], platform::kAttrDirectory}).get();
      for (int hops = 0; n && n->link() && (follow || i + 1 < parts.size()); ++hops)
        n = hops > 8 ? nullptr : lookup(n->target);
    }
    return parts.empty() || (n && path.back() == '\\' && !n->dir()) ? nullptr : n;
  }
  // Removing `n`, what stays of it: a locked file, a kept link and a folder holding either.
  bool stays(Node& n, clean::RemovalReport& r) {
    if (n.dir() && !n.link()) {
      std::erase_if(n.children, [&](auto& c) { return !stays(*c, r); });
      return !n.children.empty() && ++r.remaining;
    }
    if (n.link() ? keepLinks : n.locked) {
      ++r.remainingFiles, ++r.remaining;
      if (n.link()) r.firstReason = platform::RemovalReason::LinkKept;
      return true;
    }
    ++r.removedFiles, r.removedBytes += n.size;
    return false;
  }

  Node root_{"", platform::kAttrDirectory};
};

}  // namespace fakes
