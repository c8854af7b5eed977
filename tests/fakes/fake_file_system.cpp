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

std::string FakeFileSystem::key(const std::string& path) {
  std::string k;
  for (auto& p : split(path)) k += upper(p) + "\\";
  return k;
}

FakeFileSystem::Node* FakeFileSystem::child(Node& n, const std::string& name) {
  for (auto& c : n.children)
    if (upper(c->name) == upper(name)) return c.get();
  return nullptr;
}

FakeFileSystem::Node* FakeFileSystem::lookup(const std::string& path, Node** parent, bool follow) {
  const auto parts = split(path);
  if (parts.empty()) return nullptr;
  Node* n = &root_;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parent) *parent = n;
    if (!(n = child(*n, parts[i]))) return nullptr;
    for (int hops = 0; n->link() && (follow || i + 1 < parts.size()); ++hops)
      if (hops > 8 || !(n = lookup(n->target))) return nullptr;
  }
  return path.back() == '\\' && !n->dir() ? nullptr : n;
}

FakeFileSystem::Node* FakeFileSystem::makeDirs(const std::vector<std::string>& parts,
                                               std::size_t count) {
  Node* n = &root_;
  for (std::size_t i = 0; i < count; ++i) {
    Node* next = child(*n, parts[i]);
    if (!next)
      next = n->children.emplace_back(new Node{parts[i], platform::kAttrDirectory, 0, {}}).get();
    if (next->link() && i + 1 < count) next = lookup(next->target + "\\", nullptr, true);
    n = next;
  }
  return n;
}

void FakeFileSystem::addDir(const std::string& path, std::uint32_t attributes) {
  const auto parts = split(path);
  makeDirs(parts, parts.size())->attributes = platform::kAttrDirectory | attributes;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size,
                             std::uint32_t attributes) {
  const auto parts = split(path);
  makeDirs(parts, parts.size() - 1)
      ->children.push_back(std::make_unique<Node>(Node{parts.back(), attributes, size, {}}));
}

void FakeFileSystem::addLink(const std::string& path, const std::string& target) {
  addDir(path, platform::kAttrReparsePoint);
  lookup(path)->target = target;
}

// Erases every child of `n` that holds no locked file (links themselves, unless kept), counting
// what stays.
void FakeFileSystem::prune(Node& n, const std::string& k, Removed& r) {
  for (auto it = n.children.begin(); it != n.children.end();) {
    Node& c = **it;
    const std::string childKey = k + upper(c.name) + "\\";
    const std::uint64_t before = r.entries;
    if (c.link() && keepLinks) {
      ++r.files, ++r.entries, ++r.links;
    } else if (c.dir() && !c.link()) {
      prune(c, childKey, r);
      if (r.entries > before) ++r.entries;
    } else if (locked_.count(childKey)) {
      ++r.files, ++r.entries;
    } else {
      ++r.removedFiles;
    }
    it = r.entries > before ? std::next(it) : n.children.erase(it);
  }
}

FakeFileSystem::Removed FakeFileSystem::remove(const std::string& path) {
  Removed r;
  Node* parent = nullptr;
  Node* n = lookup(path, &parent);
  if (!n) return r;
  if (n->dir() && !n->link()) {
    prune(*n, key(path), r);
  } else if (locked_.count(key(path)) || (n->link() && keepLinks)) {
    ++r.files, ++r.entries, r.links += n->link();
  }
  if (r.entries == 0) std::erase_if(parent->children, [n](auto& c) { return c.get() == n; });
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

std::uint64_t FakeFileSystem::bytesAt(const std::string& path) {
  const Node* n = lookup(path);
  if (!n || n->link()) return 0;
  return n->dir() ? measure(path).bytes : n->size;
}

std::string FakeFileSystem::fullPath(const std::string& path) {
  // As GetFullPathNameW: the current drive filled in, "." and ".." resolved, separators
  // collapsed, a trailing one kept.
  const bool drive = path.size() > 1 && path[1] == ':';
  std::string out = drive ? path.substr(0, 2) : "C:";
  for (const auto& part :
       split(drive ? path : "C:" + (path.empty() || path[0] != '\\' ? "\\" + path : path)))
    if (part.size() != 2 || part[1] != ':') out += "\\" + part;
  if (out.size() == 2 || (!path.empty() && (path.back() == '\\' || path.back() == '/')))
    out += '\\';
  return out;
}

}  // namespace fakes
