#include "fakes/fake_file_system.h"

#include <functional>

namespace fakes {

namespace {
std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}
}  // namespace

FakeFileSystem::FakeFileSystem() {
  root_.attributes = platform::kAttrDirectory;
}

bool FakeFileSystem::split(const std::string& path, std::vector<std::string>& parts,
                           bool& trailing) {
  if (path.empty()) return false;
  std::string p = path;
  if (p[0] == '\\') p = "C:" + p;  // relative to the current drive's root
  trailing = p.back() == '\\';
  std::string cur;
  for (char c : p + "\\") {
    if (c == '\\' || c == '/') {
      if (cur == "..") {
        if (parts.size() <= 1) return false;
        parts.pop_back();
      } else if (!cur.empty() && cur != ".") {
        parts.push_back(cur);
      }
      cur.clear();
    } else {
      cur += c;
    }
  }
  return !parts.empty();
}

std::string FakeFileSystem::key(const std::string& path) {
  std::vector<std::string> parts;
  bool trailing = false;
  if (!split(path, parts, trailing)) return {};
  std::string k;
  for (auto& p : parts) k += upper(p) + "\\";
  return k;
}

FakeFileSystem::Node* FakeFileSystem::lookup(const std::string& path, Node** parent) {
  std::vector<std::string> parts;
  bool trailing = false;
  if (!split(path, parts, trailing)) return nullptr;
  Node* n = &root_;
  Node* p = nullptr;
  for (auto& part : parts) {
    Node* next = nullptr;
    for (auto& c : n->children)
      if (upper(c->name) == upper(part)) next = c.get();
    if (!next) return nullptr;
    p = n;
    n = next;
  }
  if (trailing && !n->dir()) return nullptr;
  if (parent) *parent = p;
  return n;
}

FakeFileSystem::Node* FakeFileSystem::makeDirs(const std::vector<std::string>& parts,
                                               std::size_t count) {
  Node* n = &root_;
  for (std::size_t i = 0; i < count; ++i) {
    Node* next = nullptr;
    for (auto& c : n->children)
      if (upper(c->name) == upper(parts[i])) next = c.get();
    if (!next) {
      n->children.push_back(std::make_unique<Node>());
      next = n->children.back().get();
      next->name = parts[i];
      next->attributes = platform::kAttrDirectory;
    }
    n = next;
  }
  return n;
}

void FakeFileSystem::addDir(const std::string& path, std::uint32_t attributes) {
  std::vector<std::string> parts;
  bool trailing = false;
  if (!split(path, parts, trailing)) return;
  makeDirs(parts, parts.size())->attributes = platform::kAttrDirectory | attributes;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size,
                             std::uint32_t attributes) {
  std::vector<std::string> parts;
  bool trailing = false;
  if (!split(path, parts, trailing)) return;
  Node* dir = makeDirs(parts, parts.size() - 1);
  dir->children.push_back(std::make_unique<Node>());
  Node& f = *dir->children.back();
  f.name = parts.back();
  f.size = size;
  f.attributes = attributes ? attributes : platform::kAttrArchive;
}

bool FakeFileSystem::remove(const std::string& path) {
  Node* parent = nullptr;
  Node* n = lookup(path, &parent);
  if (!n || !parent) return false;
  auto& kids = parent->children;
  for (auto it = kids.begin(); it != kids.end(); ++it)
    if (it->get() == n) {
      kids.erase(it);
      return true;
    }
  return false;
}

std::optional<std::uint32_t> FakeFileSystem::attributes(const std::string& path) {
  Node* n = lookup(path);
  if (!n || n == &root_) return std::nullopt;
  return n->attributes;
}

std::vector<platform::DirEntry> FakeFileSystem::list(const std::string& path) {
  std::vector<platform::DirEntry> out;
  Node* n = lookup(path);
  if (!n || !n->dir() || unreadable_.count(key(path))) return out;
  for (auto& c : n->children) out.push_back({c->name, c->attributes});
  return out;
}

void FakeFileSystem::walk(const Node& n, const std::string& k, platform::FolderSize& s) const {
  if (unreadable_.count(k)) {
    ++s.unreadable;
    return;
  }
  for (auto& c : n.children) {
    if (c->dir())
      walk(*c, k + upper(c->name) + "\\", s);
    else
      s.bytes += c->size;
  }
}

platform::FolderSize FakeFileSystem::measure(const std::string& path) {
  ++measureCalls;
  platform::FolderSize s;
  Node* n = lookup(path);
  if (!n || !n->dir()) return s;
  s.exists = true;
  for (auto& c : n->children)
    if (c->dir()) ++s.subfolders;
  walk(*n, key(path), s);
  if (s.unreadable && unreadable_.count(key(path))) s.subfolders = 0;
  return s;
}

std::vector<std::string> FakeFileSystem::paths() const {
  std::vector<std::string> out;
  std::function<void(const Node&, const std::string&)> rec = [&](const Node& n,
                                                                 const std::string& prefix) {
    for (auto& c : n.children) {
      std::string p = prefix.empty() ? c->name : prefix + "\\" + c->name;
      out.push_back(p);
      if (c->dir()) rec(*c, p);
    }
  };
  rec(root_, "");
  return out;
}

}  // namespace fakes
