#include "platform/posix/remove_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/posix/handles.h"

namespace platform::posix {
namespace {

using Opened = RemovalBackend::Opened;
using Mode = RemovalBackend::Mode;

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
using SharedFd = std::shared_ptr<const unique_fd>;

class PosixFolder final : public RemovalBackend::Folder {
 public:
  PosixFolder(unique_fd fd, dev_t device, SharedFd parent, std::string name)
      : self(std::make_shared<const unique_fd>(std::move(fd))),
        device(device),
        parent(std::move(parent)),
        name(std::move(name)) {}

  const SharedFd self;
  const dev_t device;
  const SharedFd parent;  // the folder it is removed from
  const std::string name;
};

// Opens `name` in `parent` as a real folder of its own, the one listed when `want` is given.
// Anything else leaves `result.reason` saying why it stays; nothing at all leaves it None.
std::unique_ptr<PosixFolder> openFolder(const SharedFd& parent, const std::string& name,
                                        const ListedFolder* want, Opened& result) {
  unique_fd fd(
      openat(parent->get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) {
    const int err = errno;
    if (err == ENOENT) return nullptr;  // gone: nothing stays
    result.reason = reasonFor(err);
    struct stat st;
    if ((err == ELOOP || err == ENOTDIR) &&
        fstatat(parent->get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      // A link or a file where a folder was listed is not gone in.
      result.reason = S_ISLNK(st.st_mode) ? RemovalReason::LinkKept : RemovalReason::Changed;
    }
    return nullptr;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0) {
    result.reason = reasonFor(errno);
    return nullptr;
  }
  if (want && want->id != 0 &&
      (st.st_ino != want->id || st.st_dev != static_cast<dev_t>(want->volume))) {
    result.reason = RemovalReason::Changed;  // another folder was put in its place
    return nullptr;
  }
  return std::make_unique<PosixFolder>(std::move(fd), st.st_dev, parent, name);
}

class PosixRemovalBackend final : public RemovalBackend {
 public:
  explicit PosixRemovalBackend(DeviceSeam devices) : devices_(std::move(devices)) {}

  PathStyle pathStyle() const override { return PathStyle::Posix; }

  Opened openTarget(const std::string& path, Mode mode) override {
    Opened result;
    const std::size_t cut = path.find_last_of('/');
    const std::string above = cut == 0 ? "/" : path.substr(0, cut);
    const std::string name = path.substr(cut + 1);
    unique_fd opened(open(above.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened) {
      if (errno != ENOENT && errno != ENOTDIR) result.reason = reasonFor(errno);
      return result;
    }
    const int pfd = opened.get();
    const auto parent = std::make_shared<const unique_fd>(std::move(opened));
    result.folder = openFolder(parent, name, nullptr, result);
    if (result.folder || result.reason == RemovalReason::None) return result;
    // A file or a link: with nothing below it, the target is just that entry.
    struct stat st;
    if (fstatat(pfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) {
      return result;
    }
    result.reason = RemovalReason::None;
    if (mode == Mode::Remove && unlinkat(pfd, name.c_str(), 0) != 0 && errno != ENOENT) {
      result.reason = reasonFor(errno);
    } else if (mode == Mode::Count) {
      result.reason = RemovalReason::Changed;  // it stays; nothing below it to count
    }
    return result;
  }

  Opened openChild(Folder& parent, const ListedFolder& child) override {
    Opened result;
    result.folder = openFolder(static_cast<PosixFolder&>(parent).self, child.name, &child, result);
    return result;
  }

  ClearedFolder clearFolder(Folder& folder, Mode mode, const std::atomic<bool>& stop) override {
    ClearedFolder out;
    auto& f = static_cast<PosixFolder&>(folder);
    const int fd = f.self->get();
    struct stat st;
    constexpr mode_t kOwnerAll = S_IRUSR | S_IWUSR | S_IXUSR;
    if (mode == Mode::Remove && fstat(fd, &st) == 0 && (st.st_mode & kOwnerAll) != kOwnerAll) {
      fchmod(fd, (st.st_mode & 07777) | kOwnerAll);
    }
    // The stream reads through its own descriptor; `fd` stays with the folder.
    unique_fd listFd(openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const unique_dir dir(listFd ? fdopendir(listFd.get()) : nullptr);
    if (!dir) {
      out.reason = reasonFor(errno);
      out.listed = false;
      return out;
    }
    listFd.release();  // the stream owns it now
    auto stays = [&out](RemovalReason why) {
      ++out.entries;
      if (out.reason == RemovalReason::None) out.reason = why;
    };
    for (;;) {
      if (stop) break;
      errno = 0;
      const dirent* e = readdir(dir.get());
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
      if (mode == Mode::Count) {
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
    return out;
  }

  RemovalReason removeFolder(std::unique_ptr<Folder> folder) override {
    auto& f = static_cast<PosixFolder&>(*folder);
    // By name in the parent: whatever stands there now, AT_REMOVEDIR removes only an empty
    // folder, and never follows a link.
    if (unlinkat(f.parent->get(), f.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
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
