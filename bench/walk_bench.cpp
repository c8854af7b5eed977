// Drives the size walker for bench/walk.sh: generates the test tree (natively) and times walks
// of it, in-process and warm, so process start-up stays out of the figures.
//
//   velmora_bench_walk generate <new folder> <files> <folders>   prints the byte total
//   velmora_bench_walk walk <folder> <threads, 0 = cores> <runs>          our walker
//   velmora_bench_walk walk-find <folder> <threads> <runs>   (Windows) our walker, FindFirstFileExW
//   velmora_bench_walk plain <folder> 1 <runs>  (Windows) one-thread recursive FindFirstFileExW
//
// Each timed mode prints one line: name, median seconds, totals, peak memory in KiB.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/work_queue.h"
#include "space/walker.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

#include "platform/win32/handle.h"
#include "platform/win32/walk_win32.h"
#include "platform/win32/wide.h"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/measure.h"
#endif

namespace {

using platform::FolderSize;

// User plus kernel time of this process so far. Under Wine the wineserver's share is not in it.
double cpuSeconds() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
#else
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
#endif
}

std::uint64_t peakMemoryKiB() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS pmc{};
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.PeakWorkingSetSize / 1024;
#else
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<std::uint64_t>(u.ru_maxrss);
#endif
}

// One warm-up walk, then `runs` timed ones; reports the median. With no runs, the one walk is
// all: the caller times the whole process.
int timeRuns(const char* name, int runs, const std::function<FolderSize()>& walk) {
  const std::uint64_t memoryBefore = peakMemoryKiB();
  FolderSize first = walk();
  if (runs <= 0) {
    std::printf("%s bytes=%llu\n", name, static_cast<unsigned long long>(first.bytes));
    return first.exists ? 0 : 1;
  }
  const double cpuBefore = cpuSeconds();
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const FolderSize r = walk();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (r.bytes != first.bytes) {
      std::fprintf(stderr, "%s: runs disagree\n", name);
      return 1;
    }
  }
  const double cpu = (cpuSeconds() - cpuBefore) / runs;
  std::sort(seconds.begin(), seconds.end());
  std::printf(
      "%s median_s=%.4f cpu_s=%.4f bytes=%llu subfolders=%llu unreadable=%llu "
      "peak_kib=%llu start_kib=%llu\n",
      name, seconds[seconds.size() / 2], cpu, static_cast<unsigned long long>(first.bytes),
      static_cast<unsigned long long>(first.subfolders),
      static_cast<unsigned long long>(first.unreadable),
      static_cast<unsigned long long>(peakMemoryKiB()),
      static_cast<unsigned long long>(memoryBefore));
  return first.exists ? 0 : 1;
}

#ifdef _WIN32
// What a program would write without thinking about speed: recursive FindFirstFileExW with the
// standard information level, one thread, \\?\ paths.
void plainWalk(const std::wstring& folder, FolderSize& total) {
  WIN32_FIND_DATAW data;
  platform::win32::unique_hfind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoStandard,
                                                      &data, FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    ++total.unreadable;
    return;
  }
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        plainWalk(folder + L"\\" + name, total);
    } else {
      total.bytes += (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileW(find.get(), &data));
}
#else
// A random tree: `folders` folders, each below a random earlier one, and `files` files of 0 to
// 4 KiB spread over them. Sizes are set with ftruncate: the walk reads metadata only.
int generate(const std::string& root, long files, long folders, unsigned seed) {
  if (mkdir(root.c_str(), 0755) != 0) return 1;  // a new folder only: nothing else is touched
  std::mt19937 rng(seed);
  std::vector<std::string> dirs{root};
  for (long i = 0; i < folders; ++i) {
    const std::string& parent = dirs[rng() % dirs.size()];
    dirs.push_back(parent + "/d" + std::to_string(i));
    if (mkdir(dirs.back().c_str(), 0755) != 0) return 1;
  }
  std::uint64_t bytes = 0;
  for (long i = 0; i < files; ++i) {
    const std::string path =
        dirs[1 + rng() % (dirs.size() - 1)] + "/file" + std::to_string(i) + ".dat";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    const off_t size = static_cast<off_t>(rng() % 4097);
    if (fd < 0 || ftruncate(fd, size) != 0) return 1;
    close(fd);
    bytes += static_cast<std::uint64_t>(size);
  }
  std::printf("%llu\n", static_cast<unsigned long long>(bytes));
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string path = argc > 2 ? argv[2] : "";
  auto number = [&](int i, long fallback) { return argc > i ? std::atol(argv[i]) : fallback; };
#ifdef _WIN32
  if (mode == "walk" || mode == "walk-find") {
    const auto method = mode == "walk" ? platform::win32::ListMethod::kDirectoryInfo
                                       : platform::win32::ListMethod::kFind;
    const auto threads = static_cast<unsigned>(number(3, 0));
    const std::string name = mode + "-" + std::to_string(platform::threadsFor(threads));
    return timeRuns(name.c_str(), static_cast<int>(number(4, 5)), [&] {
      return space::walkFolder(*platform::win32::makeWalkBackend(method), path, threads);
    });
  }
  if (mode == "plain") {
    return timeRuns("plain-find-1", static_cast<int>(number(4, 5)), [&] {
      FolderSize total;
      total.exists = true;
      plainWalk(L"\\\\?\\" + platform::win32::widen(path), total);
      return total;
    });
  }
#else
  if (mode == "generate") return generate(path, number(3, 200000), number(4, 2000), 1);
  if (mode == "walk") {
    const auto threads = static_cast<unsigned>(number(3, 0));
    const std::string name = "walk-" + std::to_string(platform::threadsFor(threads));
    return timeRuns(name.c_str(), static_cast<int>(number(4, 5)), [&] {
      return space::walkFolder(*platform::posix::makeWalkBackend(), path, threads);
    });
  }
#endif
  std::fprintf(stderr, "usage: see the comment at the top of bench/walk_bench.cpp\n");
  return 2;
}
