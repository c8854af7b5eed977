#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <utility>

#include "platform/posix/handles.h"
#include "platform/posix/measure.h"

namespace platform::posix {
namespace {

// Owns a DIR stream; its descriptor is what children are opened relative to.
class PosixFolder final : public WalkBackend::Folder {
 public:
  PosixFolder(unique_dir dir, dev_t device) : dir_(std::move(dir)), device_(device) {}

  DIR* dir() const { return dir_.get(); }
  int fd() const { return dirfd(dir_.get()); }
  dev_t device() const { return device_; }

 private:
  unique_dir dir_;
  dev_t device_;
};

// The folder open as `fd`, when it is the one listed (any folder when `want` has no id).
std::unique_ptr<WalkBackend::Folder> adopt(unique_fd fd, const ListedFolder* want) {
  if (!fd) return nullptr;
  struct stat st;
  const bool same = fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
                    (!want || want->id == 0 ||
                     (st.st_ino == want->id && st.st_dev == static_cast<dev_t>(want->volume)));
  unique_dir dir(same ? fdopendir(fd.get()) : nullptr);
  if (!dir) return nullptr;
  fd.release();  // the stream owns it now
  return std::make_unique<PosixFolder>(std::move(dir), st.st_dev);
}

bool isDots(const char* n) {
  return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

class PosixWalkBackend final : public WalkBackend {
 public:
  explicit PosixWalkBackend(DeviceSeam devices) : devices_(std::move(devices)) {}

  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    return adopt(unique_fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), nullptr);
  }

  std::unique_ptr<Folder> openChild(const Folder& parent, const ListedFolder& child) override {
    const int at = static_cast<const PosixFolder&>(parent).fd();
    return adopt(
        unique_fd(openat(at, child.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)),
        &child);
  }

  bool list(Folder& folder, WalkSink& sink) override {
    auto& f = static_cast<PosixFolder&>(folder);
    bool complete = true;
    for (;;) {
      errno = 0;
      const dirent* d = readdir(f.dir());
      if (!d) return complete && errno == 0;
      if (isDots(d->d_name)) continue;
      struct stat st;
      if (fstatat(f.fd(), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // Removed since the listing: not there any more. Anything else: the rest still counts.
        if (errno != ENOENT) complete = false;
        continue;
      }
      WalkEntry e;
      e.name = d->d_name;
      e.directory = S_ISDIR(st.st_mode);
      // Another file system mounted here is not this folder's contents, as a mount point is not
      // on Windows.
      e.link = S_ISLNK(st.st_mode) ||
               (e.directory && deviceOf(devices_, e.name, st.st_dev) != f.device());
      e.id = st.st_ino;
      e.volume = st.st_dev;
      if (!e.directory) e.size = static_cast<std::uint64_t>(st.st_size);
      sink.entry(e);
    }
  }

 private:
  const DeviceSeam devices_;
};

}  // namespace

std::unique_ptr<WalkBackend> makeWalkBackend(DeviceSeam devices) {
  return std::make_unique<PosixWalkBackend>(std::move(devices));
}

}  // namespace platform::posix
