// A tree of folders, files and links to a tree outside it, written from random bytes, with a fault
// for some folders, for the properties of the walker and the removal engine.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/posix/device_seam.h"
#include "platform/removal_reason.h"

namespace fakes {

namespace fs = std::filesystem;

// A folder that cannot be opened, listed or removed; a file system mounted there; a file written
// into it as it is removed; swapped after its listing for a link to the tree outside, or for
// another folder (`base`/its name, made beforehand).
enum Fault { kOpen, kList, kRemove, kMount, kLate, kSwapLink, kSwapFolder, kNoFault };

// A folder of the test's own, the only thing it removes; in memory where the machine has it, as
// the properties write thousands of small trees, which a busy disk takes seconds over.
struct ScratchDir {
  fs::path path;
  ScratchDir() {
    std::error_code ec;
    std::string t =
        ((fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path()) /
         "velmora-XXXXXX")
            .string();
    path = mkdtemp(t.data());
  }
  ~ScratchDir() { fs::remove_all(path); }
};

inline std::uint64_t writeFile(const fs::path& p, std::size_t size = 1) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << std::string(size, 'x');
  return size;
}

struct RandomTree {
  struct Folder {
    fs::path path;
    int fault = kNoFault;
    platform::RemovalReason reason = platform::RemovalReason::None;
    std::vector<std::size_t> folders{};
    std::vector<fs::path> entries{};  // files and links
  };
  std::vector<Folder> folders;                // [0] is the root
  std::map<fs::path, std::uint64_t> sizes;    // of the entries; a link's is its own
  std::map<std::string, std::size_t> faulty;  // folders by name, as the seams see them

  // Entry i of `specs` is a file, folder or link in the folder chosen by its first byte.
  RandomTree(const fs::path& root, const fs::path& base, const fs::path& outside,
             const std::vector<std::array<std::uint8_t, 4>>& specs) {
    using platform::RemovalReason;
    const RemovalReason reasons[] = {RemovalReason::AccessDenied, RemovalReason::InUse,
                                     RemovalReason::DriveUnavailable, RemovalReason::Other};
    folders.push_back({root});
    fs::create_directories(root);
    for (std::size_t i = 0; i < specs.size(); ++i) {
      const auto [parent, kind, size, fault] = specs[i];
      const std::size_t at = parent % folders.size();
      const fs::path path = folders[at].path / (std::to_string(i) + "-" + std::to_string(kind % 4));
      if (kind % 4 == 2) {
        fs::create_directory(path);
        folders[at].folders.push_back(folders.size());
        folders.push_back({path, fault % 12 < kNoFault ? fault % 12 : kNoFault, reasons[size % 4]});
        if (fault % 12 < kNoFault) faulty[path.filename()] = folders.size() - 1;
        if (fault % 12 == kSwapFolder) writeFile(base / path.filename() / "s", 3);
        continue;
      }
      struct stat st;
      if (kind % 4 == 3) fs::create_symlink(i % 2 ? outside : outside / "keep", path);
      sizes[path] = kind % 4 == 3 && !lstat(path.c_str(), &st) ? st.st_size : writeFile(path, size);
      folders[at].entries.push_back(path);
    }
  }

  const Folder* fault(const std::string& name) const {  // null: the folder has none
    auto it = faulty.find(name);
    return it == faulty.end() ? nullptr : &folders[it->second];
  }
  platform::posix::DeviceSeam devices() const {
    return [this](std::string_view name, std::uint64_t device) {
      const Folder* f = fault(std::string(name));
      return f && f->fault == kMount ? device + 1 : device;
    };
  }
  // Swaps `f` for what its fault says, as another program would between listing and opening.
  void swap(const Folder& f, const fs::path& base, const fs::path& outside) const {
    fs::rename(f.path, base / ("moved-" + f.path.filename().string()));
    if (f.fault == kSwapLink)
      fs::create_directory_symlink(outside, f.path);
    else
      fs::rename(base / f.path.filename(), f.path);
  }
};

}  // namespace fakes
