#include "platform/posix/remove_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace platform::posix {
namespace {

using Opened = RemovalBackend::Opened;
using Pass = RemovalBackend::Pass;

RemovalReason reasonFor(int err) {
  switch (err) {
    case EBUSY:
    case ETXTBSY:
      return RemovalReason::InUse;
    case EACCES:
    case EPERM:
      return RemovalReason::AccessDenied;
    case ENOTEMPTY:
    case EEXIST:
      return RemovalReason::NotEmpty;
    case EROFS:
      return RemovalReason::WriteProtected;
    case ENODEV:
    case ENXIO:
    case EIO:
      return RemovalReason::DriveUnavailable;
    default:
      return RemovalReason::Other;
  }
}

// An open descriptor, shared by a folder and the sub-folders that are removed through it.
struct Fd {
  explicit Fd(int fd) : fd(fd) {}
  ~Fd() { close(fd); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  const int fd;
};

class PosixFolder final : public RemovalBackend::Folder {
 public:
  PosixFolder(int fd, dev_t device, std::shared_ptr<Fd> parent, std::string name)
      : self(std::make_shared<Fd>(fd)),
        device(device),
        parent(std::move(parent)),
        name(std::move(name)) {}

  const std::shared_ptr<Fd> self;
  const dev_t device;
  const std::shared_ptr<Fd> parent;  // the folder it is removed from
  const std::string name;
};

// Opens `name` in `parent` as a real folder of its own, the one listed when `want` is given.
// Anything else leaves `result.reason` saying why it stays; nothing at all leaves it None.
std::unique_ptr<PosixFolder> openFolder(const std::shared_ptr<Fd>& parent, const std::string& name,
                                        const ListedFolder* want, Opened& result) {
  const int fd = openat(parent->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT) return nullptr;  // gone: nothing stays
    result.reason = reasonFor(err);
    struct stat st;
    if ((err == ELOOP || err == ENOTDIR) &&
        fstatat(parent->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      // A link or a file where a folder was listed is not gone in.
      result.reason = S_ISLNK(st.st_mode) ? RemovalReason::LinkKept : RemovalReason::Changed;
    }
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    result.reason = reasonFor(errno);
    close(fd);
    return nullptr;
  }
  if (want && want->id != 0 &&
      (st.st_ino != want->id || st.st_dev != static_cast<dev_t>(want->volume))) {
    result.reason = RemovalReason::Changed;  // another folder was put in its place
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFolder>(fd, st.st_dev, parent, name);
}

class PosixRemovalBackend final : public RemovalBackend {
 public:
  explicit PosixRemovalBackend(DeviceSeam devices) : devices_(std::move(devices)) {}

  PathStyle pathStyle() const override { return PathStyle::Posix; }

  Opened openTarget(const std::string& path, Pass pass) override {
    Opened result;
    const std::size_t cut = path.find_last_of('/');
    const std::string above = cut == 0 ? "/" : path.substr(0, cut);
    const std::string name = path.substr(cut + 1);
    const int pfd = open(above.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (pfd < 0) {
      if (errno != ENOENT && errno != ENOTDIR) result.reason = reasonFor(errno);
      return result;
    }
    auto parent = std::make_shared<Fd>(pfd);
    result.folder = openFolder(parent, name, nullptr, result);
    if (result.folder || result.reason == RemovalReason::None) return result;
    // A file or a link: with nothing below it, the target is just that entry.
    struct stat st;
    if (fstatat(pfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) {
      return result;
    }
    result.reason = RemovalReason::None;
    if (pass == Pass::Remove && unlinkat(pfd, name.c_str(), 0) != 0 && errno != ENOENT) {
      result.reason = reasonFor(errno);
    } else if (pass == Pass::Count) {
      result.reason = RemovalReason::Changed;  // it stays; nothing below it to count
    } else {
      result.removedFiles = 1;
      result.removedBytes = static_cast<std::uint64_t>(st.st_size);  // a link: its own size
    }
    return result;
  }

  Opened openChild(Folder& parent, const ListedFolder& child) override {
    Opened result;
    result.folder = openFolder(static_cast<PosixFolder&>(parent).self, child.name, &child, result);
    return result;
  }

  FolderPass clearFolder(Folder& folder, Pass pass, const std::atomic<bool>& stop) override {
    FolderPass out;
    auto& f = static_cast<PosixFolder&>(folder);
    const int fd = f.self->fd;
    struct stat st;
    constexpr mode_t kOwnerAll = S_IRUSR | S_IWUSR | S_IXUSR;
    if (pass == Pass::Remove && fstat(fd, &st) == 0 && (st.st_mode & kOwnerAll) != kOwnerAll) {
      fchmod(fd, (st.st_mode & 07777) | kOwnerAll);
    }
    // The stream reads through its own descriptor; `fd` stays with the folder.
    const int listFd = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd < 0 ? nullptr : fdopendir(listFd);
    if (!dir) {
      out.reason = reasonFor(errno);
      out.listed = false;
      if (listFd >= 0) close(listFd);
      return out;
    }
    auto stays = [&out](RemovalReason why) {
      ++out.entries;
      if (out.reason == RemovalReason::None) out.reason = why;
    };
    for (;;) {
      if (stop) break;
      errno = 0;
      const dirent* e = readdir(dir);
      if (!e) {
        if (errno != 0) {
          out.listed = false;
          stays(reasonFor(errno));
        }
        break;
      }
      const char* name = e->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      bool sized = false;
      if (e->d_type == DT_DIR || e->d_type == DT_UNKNOWN) {
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone since
        sized = true;
        if (S_ISDIR(st.st_mode)) {
          if (deviceOf(devices_, name, st.st_dev) != f.device) {
            stays(RemovalReason::LinkKept);  // a mount point: another file system's folder
          } else {
            out.subfolders.push_back({name, st.st_ino, st.st_dev, 0});
          }
          continue;
        }
      }
      if (pass == Pass::Count) {
        ++out.entries;
        continue;
      }
      // The bytes given back, as the Win32 listing gives them; the stat's cost is in
      // docs/benchmarks.md. A link counts its own size, as the walker does.
      if (!sized) sized = fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      if (unlinkat(fd, name, 0) != 0 && errno != ENOENT) {
        // A folder put in its place since the listing is left as it is.
        stays(errno == EISDIR ? RemovalReason::Changed : reasonFor(errno));
      } else {
        ++out.removedFiles;
        if (sized) out.removedBytes += static_cast<std::uint64_t>(st.st_size);
      }
    }
    closedir(dir);
    return out;
  }

  RemovalReason removeFolder(std::unique_ptr<Folder> folder) override {
    auto& f = static_cast<PosixFolder&>(*folder);
    // By name in the parent: whatever stands there now, AT_REMOVEDIR removes only an empty
    // folder, and never follows a link.
    if (unlinkat(f.parent->fd, f.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
      return RemovalReason::None;
    }
    return errno == ENOTDIR ? RemovalReason::Changed : reasonFor(errno);
  }

 private:
  const DeviceSeam devices_;
};

}  // namespace

std::unique_ptr<RemovalBackend> makeRemovalBackend(DeviceSeam devices) {
  return std::make_unique<PosixRemovalBackend>(std::move(devices));
}

}  // namespace platform::posix
