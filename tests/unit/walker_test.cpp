#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>

#include "platform/posix/measure.h"
#include "space/walker.h"

namespace fs = std::filesystem;
using platform::FolderSize;

namespace {

// A folder of our own under /tmp; only it is ever removed.
struct TempDir {
  fs::path path;
  TempDir() {
    std::string t = (fs::temp_directory_path() / "velmora-walk-XXXXXX").string();
    path = mkdtemp(t.data());
  }
  ~TempDir() { fs::remove_all(path); }
};

void writeFile(const fs::path& p, std::size_t size) {
  std::ofstream(p) << std::string(size, 'x');
}

FolderSize measure(const fs::path& root, unsigned threads = 0) {
  return space::walkFolder(*platform::posix::makeWalkBackend(), root.string(), threads);
}

// Figures computed without the walker: files and links by their own size, links never followed.
FolderSize reference(const fs::path& root) {
  FolderSize r{true, 0, 0, 0};
  for (const auto& e : fs::directory_iterator(root))
    r.subfolders += e.is_directory() && !e.is_symlink();
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_symlink())
      r.bytes += fs::read_symlink(e.path()).native().size();
    else if (e.is_regular_file())
      r.bytes += e.file_size();
  }
  return r;
}

void makeRandomTree(const fs::path& root, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<fs::path> dirs{root};
  // Numbers first: GCC 12 warns falsely (-Wrestrict) on "literal" + std::to_string at -O3.
  for (int i = 0; i < 400; ++i) {
    const fs::path parent = dirs[rng() % dirs.size()];
    if (rng() % 5 == 0) {
      dirs.push_back(parent / (std::to_string(i) + "d"));
      fs::create_directory(dirs.back());
    } else {
      writeFile(parent / (std::to_string(i) + "f"), rng() % 5000);
    }
  }
}

// Compared as one value, so a failure shows all four figures.
auto fields(const FolderSize& f) {
  return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
}

// The real backend, with chosen folders failing as a locked or vanished folder would, and one
// folder swapped for something else between its listing and its opening.
class SeamBackend final : public platform::WalkBackend {
 public:
  struct Wrapped : Folder {
    std::unique_ptr<Folder> inner;
    bool failList = false;
  };
  std::function<void(const std::string& name)> beforeOpen = [](const std::string&) {};

  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    return wrap(real_->openRoot(path), false);
  }
  std::unique_ptr<Folder> openChild(const Folder& parent,
                                    const platform::ListedFolder& child) override {
    if (child.name == "locked") return nullptr;
    beforeOpen(child.name);
    return wrap(real_->openChild(*static_cast<const Wrapped&>(parent).inner, child),
                child.name == "broken");
  }
  bool list(Folder& folder, platform::WalkSink& sink) override {
    auto& w = static_cast<Wrapped&>(folder);
    return !w.failList && real_->list(*w.inner, sink);
  }

 private:
  static std::unique_ptr<Folder> wrap(std::unique_ptr<Folder> inner, bool failList) {
    if (!inner) return nullptr;
    auto w = std::make_unique<Wrapped>();
    w->inner = std::move(inner);
    w->failList = failList;
    return w;
  }
  std::unique_ptr<platform::WalkBackend> real_ = platform::posix::makeWalkBackend();
};

}  // namespace

TEST(Walker, RandomTreesMatchReferenceWithAnyThreadCount) {
  for (unsigned seed : {1u, 2u, 3u}) {
    TempDir t;
    makeRandomTree(t.path, seed);
    const FolderSize want = reference(t.path);
    for (unsigned threads : {1u, 2u, 5u}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", threads " + std::to_string(threads));
      EXPECT_EQ(fields(want), fields(measure(t.path, threads)));
    }
  }
}

TEST(Walker, LinksCountThemselvesNotTheirTargets) {
  TempDir t;
  fs::create_directories(t.path / "outside");
  writeFile(t.path / "outside" / "big", 100000);
  fs::create_directories(t.path / "in" / "sub");
  writeFile(t.path / "in" / "sub" / "a", 123);
  fs::create_directory_symlink(t.path / "outside", t.path / "in" / "dirlink");
  fs::create_directory_symlink(t.path / "outside", t.path / "in" / "sub" / "deeplink");
  fs::create_symlink(t.path / "outside" / "big", t.path / "in" / "filelink");
  const FolderSize got = measure(t.path / "in", 2);
  EXPECT_EQ(fields(reference(t.path / "in")), fields(got));
  EXPECT_LT(got.bytes, 1000u);
}

TEST(Walker, UnreadableFoldersAreCountedAndTheRestStillAdds) {
  TempDir t;
  fs::create_directories(t.path / "ok" / "locked" / "deeper");
  fs::create_directories(t.path / "ok" / "broken" / "child");
  writeFile(t.path / "ok" / "a", 10);
  writeFile(t.path / "ok" / "locked" / "b", 1000);
  writeFile(t.path / "ok" / "locked" / "deeper" / "c", 1000);
  writeFile(t.path / "ok" / "broken" / "d", 1000);
  writeFile(t.path / "ok" / "broken" / "child" / "e", 1000);
  writeFile(t.path / "f", 5);
  for (unsigned threads : {1u, 3u}) {
    SeamBackend backend;
    EXPECT_EQ(fields({true, 15, 1, 2}),
              fields(space::walkFolder(backend, t.path.string(), threads)));
  }
}

// A listed folder replaced, before it is opened, by a link to a big folder elsewhere or by that
// folder itself: neither is counted as the listed folder's contents.
TEST(Walker, FolderSwappedAfterListingIsNotWalked) {
  for (const bool byLink : {true, false}) {
    SCOPED_TRACE(byLink ? "link" : "folder");
    TempDir t;
    fs::create_directories(t.path / "in" / "a");
    writeFile(t.path / "in" / "a" / "small", 10);
    fs::create_directories(t.path / "outside");
    writeFile(t.path / "outside" / "big", 100000);
    SeamBackend backend;
    backend.beforeOpen = [&](const std::string& name) {
      if (name != "a") return;
      fs::rename(t.path / "in" / "a", t.path / "a-moved");
      if (byLink)
        fs::create_directory_symlink(t.path / "outside", t.path / "in" / "a");
      else
        fs::rename(t.path / "outside", t.path / "in" / "a");
    };
    EXPECT_EQ(fields({true, 0, 1, 1}),
              fields(space::walkFolder(backend, (t.path / "in").string())));
  }
}

TEST(Walker, MissingRootOrFileRootIsNotAFolder) {
  TempDir t;
  writeFile(t.path / "file", 10);
  for (const char* name : {"missing", "file"})
    EXPECT_EQ(fields({false, 0, 0, 0}), fields(measure(t.path / name)));
}
