// Drives the removal engine for bench/remove.sh.
//
//   velmora_bench_remove generate <new folder> <files> <folders>    (native) builds the test tree
//   velmora_bench_remove remove <folder> <threads, 0 = cores>       removes it with the engine
//
// `remove` passes the folder's parent as the account folder, waits for the report on its own
// "UI" thread and prints: seconds, gone, remaining. The script times the whole process as well,
// so start-up is compared like for like with rm and rd.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "clean/removal_engine.h"
#include "fakes/virtual_clock.h"

#ifdef _WIN32
#include "platform/win32/remove_win32.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/remove_posix.h"
#endif

namespace {

int removeTree(const std::string& folder, unsigned threads) {
#ifdef _WIN32
  const char sep = '\\';
  auto backend = platform::win32::makeRemovalBackend();
#else
  const char sep = '/';
  auto backend = platform::posix::makeRemovalBackend();
#endif
  const std::string account = folder.substr(0, folder.find_last_of(sep));
  fakes::VirtualClock host;  // this thread plays the UI thread
  const auto start = std::chrono::steady_clock::now();
  auto engine = clean::makeRemovalEngine(host, std::move(backend), threads);
  clean::RemovalReport report;
  engine->remove(folder, account, [&](const clean::RemovalReport& r) { report = r; });
  host.pumpOne(std::chrono::hours(1));
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.3f gone=%d remaining=%llu reason=%d\n", took.count(), report.gone ? 1 : 0,
              static_cast<unsigned long long>(report.remaining),
              static_cast<int>(report.firstReason));
  return report.gone ? 0 : 1;
}

#ifndef _WIN32
// `files` files of 100 bytes spread evenly over `folders` folders, two levels deep (about the
// square root of `folders` at the top), like a chat client's dated cache folders.
int generate(const std::string& root, long files, long folders) {
  if (mkdir(root.c_str(), 0755) != 0) return 1;
  long top = 1;
  while (top * top < folders) ++top;
  const std::string content(100, 'x');
  long made = 0;
  for (long d = 0; d < folders; ++d) {
    const std::string parent = root + "/" + std::to_string(d % top);
    mkdir(parent.c_str(), 0755);
    const std::string dir = parent + "/" + std::to_string(d);
    if (mkdir(dir.c_str(), 0755) != 0) return 1;
    const long here = files / folders + (d < files % folders ? 1 : 0);
    for (long f = 0; f < here; ++f, ++made) {
      const std::string path = dir + "/" + std::to_string(f) + ".dat";
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
      if (fd < 0 || write(fd, content.data(), content.size()) < 0) return 1;
      close(fd);
    }
  }
  std::printf("%ld files\n", made);
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
#ifndef _WIN32
  if (mode == "generate" && argc == 5) {
    return generate(argv[2], std::atol(argv[3]), std::atol(argv[4]));
  }
#endif
  if (mode == "remove" && argc == 4) {
    return removeTree(argv[2], static_cast<unsigned>(std::atoi(argv[3])));
  }
  std::fprintf(stderr,
               "usage: %s generate <new folder> <files> <folders> | remove <folder> <threads>\n",
               argv[0]);
  return 2;
}
