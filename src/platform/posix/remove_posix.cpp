#include "platform/posix/remove_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::posix {
namespace {

using clean::EntryOutcome;
using clean::FolderPass;

std::string reasonFor(int err) {
  switch (err) {
    case EBUSY:
    case ETXTBSY:
      return "in use";
    case EACCES:
    case EPERM:
      return "access denied";
    case ENOTEMPTY:
    case EEXIST:
      return "not empty";
    case EROFS:
      return "read-only file system";
    case ENAMETOOLONG:
      return "path too long";
    default:
      return "error " + std::to_string(err);
  }
}

// Owns a DIR* (and the descriptor beneath it).
struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

class PosixRemovalBackend final : public clean::RemovalBackend {
 public:
  clean::PathStyle pathStyle() const override { return clean::PathStyle::Posix; }

  FolderPass clearFolder(const std::string& path) override {
    FolderPass pass;
    // O_NOFOLLOW: a link named as a folder is an entry to remove, not a folder to empty.
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      if (err == ENOENT) {
        pass.kind = FolderPass::Kind::Missing;
      } else if (err == ENOTDIR || err == ELOOP) {
        pass.kind = FolderPass::Kind::NotAFolder;
      } else {
        pass.kind = FolderPass::Kind::Unreadable;
        pass.firstReason = reasonFor(err);
      }
      return pass;
    }
    struct stat st;
    constexpr mode_t kOwnerAll = S_IRUSR | S_IWUSR | S_IXUSR;
    if (fstat(fd, &st) == 0 && (st.st_mode & kOwnerAll) != kOwnerAll) {
      fchmod(fd, (st.st_mode & 07777) | kOwnerAll);
    }
    UniqueDir dir(fdopendir(fd));
    if (!dir) {
      close(fd);
      pass.kind = FolderPass::Kind::Unreadable;
      pass.firstReason = reasonFor(errno);
      return pass;
    }
    auto fail = [&pass](int err) {
      ++pass.remaining;
      if (pass.firstReason.empty()) pass.firstReason = reasonFor(err);
    };
    while (const dirent* e = readdir(dir.get())) {
      const char* name = e->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      bool isDir = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN) {
        struct stat s;
        isDir = fstatat(fd, name, &s, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(s.st_mode);
      }
      if (!isDir) {
        if (unlinkat(fd, name, 0) == 0 || errno == ENOENT) continue;
        // Replaced by a folder since it was listed: empty it like the others.
        if (errno != EISDIR) {
          fail(errno);
          continue;
        }
      }
      pass.subfolders.emplace_back(name);
    }
    return pass;
  }

  EntryOutcome removeEntry(const std::string& path) override {
    if (rmdir(path.c_str()) == 0 || errno == ENOENT) return {true, ""};
    // unlink() removes a link itself, never its target.
    if (errno == ENOTDIR && (unlink(path.c_str()) == 0 || errno == ENOENT)) return {true, ""};
    return {false, reasonFor(errno)};
  }
};

}  // namespace

std::unique_ptr<clean::RemovalBackend> makeRemovalBackend() {
  return std::make_unique<PosixRemovalBackend>();
}

}  // namespace platform::posix
