#include "fakes/fake_file_system.h"

namespace fakes {

namespace {

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

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

FakeFileSystem::Node* FakeFileSystem::lookup(const std::string& path, Node** parent) {
  const auto parts = split(path);
  if (parts.empty()) return nullptr;
  Node* n = &root_;
  for (auto& part : parts) {
    if (parent) *parent = n;
    if (!(n = child(*n, part))) return nullptr;
  }
  return path.back() == '\\' && !n->dir() ? nullptr : n;
}

FakeFileSystem::Node* FakeFileSystem::makeDirs(const std::vector<std::string>& parts,
                                               std::size_t count) {
  Node* n = &root_;
  for (std::size_t i = 0; i < count; ++i) {
    Node* next = child(*n, parts[i]);
    if (!next) {
      n->children.push_back(
          std::make_unique<Node>(Node{parts[i], platform::kAttrDirectory, 0, {}}));
      next = n->children.back().get();
    }
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

// Erases every child of `n` that holds no locked file; the locked files left below `n`.
std::uint64_t FakeFileSystem::prune(Node& n, const std::string& k) {
  std::uint64_t left = 0;
  for (auto it = n.children.begin(); it != n.children.end();) {
    const std::string childKey = k + upper((*it)->name) + "\\";
    const std::uint64_t stays = (*it)->dir() ? prune(**it, childKey) : locked_.count(childKey);
    left += stays;
    it = stays ? std::next(it) : n.children.erase(it);
  }
  return left;
}

std::uint64_t FakeFileSystem::remove(const std::string& path) {
  Node* parent = nullptr;
  Node* n = lookup(path, &parent);
  if (!n) return 0;
  const std::uint64_t left = n->dir() ? prune(*n, key(path)) : locked_.count(key(path));
  if (left == 0) std::erase_if(parent->children, [n](auto& c) { return c.get() == n; });
  return left;
}

std::optional<std::uint32_t> FakeFileSystem::attributes(const std::string& path) {
  Node* n = lookup(path);
  if (!n) return std::nullopt;
  return n->attributes;
}

std::vector<platform::DirEntry> FakeFileSystem::list(const std::string& path) {
  std::vector<platform::DirEntry> out;
  Node* n = lookup(path);
  if (n && n->dir())
    for (auto& c : n->children) out.push_back({c->name, c->attributes});
  return out;
}

platform::FolderSize FakeFileSystem::measure(const std::string& path) {
  platform::FolderSize s;
  Node* n = lookup(path);
  if (!n || !n->dir()) return s;
  s.exists = true;
  for (auto& c : n->children)
    if (c->dir()) ++s.subfolders;
  auto add = [&s](auto& self, const Node& folder) -> void {
    for (auto& c : folder.children) {
      if (c->dir())
        self(self, *c);
      else
        s.bytes += c->size;
    }
  };
  add(add, *n);
  return s;
}

std::string FakeFileSystem::fullPath(const std::string& path) {
  const bool drive = path.size() > 1 && path[1] == ':';
  std::string out = drive ? path.substr(0, 2) : "C:";
  const std::string rest = drive ? path.substr(2) : path;
  if (rest.empty() || rest[0] != '\\') out += '\\';
  for (char c : rest)
    if (c != '\\' || out.back() != '\\') out += c;
  return out;
}

}  // namespace fakes
