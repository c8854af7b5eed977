#include "fakes/fake_file_system.h"

#include "fakes/fake_environment.h"

namespace fakes {

namespace {

std::vector<std::string> split(std::string path) {
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

}  // namespace

FakeFileSystem::Node* FakeFileSystem::lookup(const std::string& path, Node** parent, bool follow,
                                             bool make) {
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

void FakeFileSystem::addDir(const std::string& path, std::uint32_t attributes) {
  lookup(path, nullptr, false, true)->attributes = platform::kAttrDirectory | attributes;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size,
                             std::uint32_t attributes) {
  lookup(path + "\\..", nullptr, true, true)  // the folder it goes in
      ->children.push_back(std::make_unique<Node>(Node{split(path).back(), attributes, size}));
}

void FakeFileSystem::addLink(const std::string& path, const std::string& target) {
  addDir(path, platform::kAttrReparsePoint);
  lookup(path)->target = target;
}

bool FakeFileSystem::stays(Node& n, Removed& r) {
  if (n.dir() && !n.link()) {
    std::erase_if(n.children, [&](auto& c) { return !stays(*c, r); });
    return !n.children.empty() && ++r.entries;
  }
  if (n.link() ? keepLinks : n.locked) {
    ++r.files, ++r.entries, r.links += n.link();
    return true;
  }
  ++r.removedFiles, r.removedBytes += n.size;
  return false;
}

FakeFileSystem::Removed FakeFileSystem::remove(const std::string& path) {
  Removed r;
  Node* parent = nullptr;
  Node* n = lookup(path, &parent);
  if (n && !stays(*n, r))
    std::erase_if(parent->children, [n](auto& c) { return c.get() == n; });
  else if (n && n->dir() && !n->link())
    --r.entries;  // what stays is below the folder
  return r;
}

std::optional<std::uint32_t> FakeFileSystem::attributes(const std::string& path) {
  const Node* n = lookup(path);
  return n ? std::optional(n->attributes) : std::nullopt;
}

std::vector<platform::DirEntry> FakeFileSystem::list(const std::string& path) {
  std::vector<platform::DirEntry> out;
  Node* n = lookup(path, nullptr, true);
  if (n && n->dir())
    for (auto& c : n->children) out.push_back({c->name, c->attributes});
  return out;
}

platform::FolderSize FakeFileSystem::measure(const std::string& path) {
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

std::string FakeFileSystem::fullPath(const std::string& path) {
  // As GetFullPathNameW: the current drive filled in, "." and ".." resolved, separators
  // collapsed, a trailing one kept.
  const bool drive = path.size() > 1 && path[1] == ':';
  std::string out = drive ? path.substr(0, 2) : "C:";
  for (const auto& part : split(drive ? path : "\\" + path))
    if (part.size() != 2 || part[1] != ':') out += "\\" + part;
  if (out.size() == 2 || (!path.empty() && (path.back() == '\\' || path.back() == '/')))
    out += '\\';
  return out;
}

}  // namespace fakes
