#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
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

// Compared as one value, so a failure shows all four figures.
auto fields(const FolderSize& f) {
  return std::tuple(f.exists, f.bytes, f.subfolders, f.unreadable);
}

}  // namespace

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
