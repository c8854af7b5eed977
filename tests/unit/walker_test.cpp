#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>

#include "fakes/backend_seams.h"
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

// A folder that cannot be opened, one that cannot be listed, and one swapped after its listing
// for a link to a big folder elsewhere, or for that folder itself: each is counted as unreadable,
// nothing in it or behind it is counted, and the rest still adds up.
TEST(Walker, FoldersThatFailOrChangeAreLeftOutAndTheRestStillAdds) {
  for (const bool byLink : {true, false}) {
    SCOPED_TRACE(byLink ? "swapped for a link" : "swapped for a folder");
    TempDir t, elsewhere;
    for (const char* dir : {"ok/locked/deeper", "ok/broken/child", "ok/swapped"})
      fs::create_directories(t.path / dir);
    for (const char* file :
         {"ok/locked/b", "ok/locked/deeper/c", "ok/broken/d", "ok/broken/child/e", "ok/swapped/s"})
      writeFile(t.path / file, 1000);
    writeFile(t.path / "ok" / "a", 10);
    writeFile(t.path / "f", 5);
    writeFile(elsewhere.path / "big", 100000);
    fakes::WalkSeam seam(platform::posix::makeWalkBackend());
    seam.hook = [&](const std::string& step, const std::string& name) {
      if (step == "open" && name == "swapped") {
        fs::rename(t.path / "ok" / "swapped", elsewhere.path / "moved");
        if (byLink)
          fs::create_directory_symlink(elsewhere.path, t.path / "ok" / "swapped");
        else
          fs::rename(elsewhere.path, t.path / "ok" / "swapped");
      }
      return name != (step == "open" ? "locked" : "broken");
    };
    EXPECT_EQ(fields({true, 15, 1, 3}), fields(space::walkFolder(seam, t.path.string(), 3)));
    if (!byLink) fs::rename(t.path / "ok" / "swapped", elsewhere.path);
  }
}

TEST(Walker, MissingRootOrFileRootIsNotAFolder) {
  TempDir t;
  writeFile(t.path / "file", 10);
  for (const char* name : {"missing", "file"})
    EXPECT_EQ(fields({false, 0, 0, 0}), fields(measure(t.path / name)));
}
