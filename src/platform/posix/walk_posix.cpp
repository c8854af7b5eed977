#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "platform/posix/measure.h"
#include "space/walker.h"

namespace platform::posix {
namespace {

// Owns a DIR stream; its descriptor is what children are opened relative to.
class PosixFolder final : public space::WalkBackend::Folder {
 public:
  explicit PosixFolder(DIR* dir) : dir_(dir) {}
  ~PosixFolder() override { closedir(dir_); }
  PosixFolder(const PosixFolder&) = delete;
  PosixFolder& operator=(const PosixFolder&) = delete;

  DIR* dir() const { return dir_; }
  int fd() const { return dirfd(dir_); }

 private:
  DIR* dir_;
};

std::unique_ptr<space::WalkBackend::Folder> adopt(int fd) {
  if (fd < 0) return nullptr;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFolder>(dir);
}

bool isDots(const char* n) {
  return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

class PosixWalkBackend final : public space::WalkBackend {
 public:
  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    return adopt(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }

  std::unique_ptr<Folder> openChild(const Folder& parent, std::string_view name) override {
    const std::string n(name);
    const int at = static_cast<const PosixFolder&>(parent).fd();
    return adopt(openat(at, n.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }

  bool list(Folder& folder, space::WalkSink& sink) override {
    auto& f = static_cast<PosixFolder&>(folder);
    bool complete = true;
    for (;;) {
      errno = 0;
      const dirent* d = readdir(f.dir());
      if (!d) return complete && errno == 0;
      if (isDots(d->d_name)) continue;
      space::WalkEntry e;
      e.name = d->d_name;
      // The directory type alone decides for folders: their own size is not counted, so they
      // need no stat call.
      if (d->d_type == DT_DIR) {
        e.directory = true;
      } else {
        struct stat st;
        if (fstatat(f.fd(), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
          // Removed since the listing: not there any more. Anything else: the rest still counts.
          if (errno != ENOENT) complete = false;
          continue;
        }
        e.directory = S_ISDIR(st.st_mode);
        e.link = S_ISLNK(st.st_mode);
        if (!e.directory) e.size = static_cast<std::uint64_t>(st.st_size);
      }
      sink.entry(e);
    }
  }
};

}  // namespace

std::unique_ptr<space::WalkBackend> makeWalkBackend() {
  return std::make_unique<PosixWalkBackend>();
}

FolderSize measureFolder(const std::string& path, unsigned threads) {
  PosixWalkBackend backend;
  return space::walkFolder(backend, path, threads);
}

}  // namespace platform::posix
