// Time to first window: starts each program in turn, measures from just before CreateProcessW
// until a visible top-level window of that process carries the expected title, then closes the
// program and waits for it to end before the next start (Velmora allows one instance only).
// Also the time until that window first answers a message: work a program does after showing its
// window and before its message loop runs is not hidden from the figures.
// Programs take turns round by round, so a busy machine slows them alike.
//
//   startup_probe ROUNDS EXE TITLE [EXE TITLE ...]
//
// Prints one line per start ("run <exe> <ms>") and one summary line per program:
// "median <exe> <ms> min <ms> max <ms> answers <ms>" (the last one the median time until the
// window answered). Exit status 1 when a window never appeared.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;

struct Program {
  std::wstring exe;
  std::wstring title;
  std::vector<double> ms, answered;
  std::wstring name() const { return exe.substr(exe.find_last_of(L"\\/") + 1); }
};

struct Search {
  DWORD pid;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK match(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != s->pid || !IsWindowVisible(h)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(h, text, 256);
  if (*s->title != text) return TRUE;
  s->found = h;
  return FALSE;
}

double elapsedMs(LARGE_INTEGER from, LARGE_INTEGER freq) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(freq.QuadPart);
}

// One start: milliseconds until the window showed (negative when it did not) and until it answered.
std::pair<double, double> startOnce(const Program& p) {
  LARGE_INTEGER freq, start;
  QueryPerformanceFrequency(&freq);
  std::wstring command = L"\"" + p.exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(p.exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return {-1, -1};
  Search s{pi.dwProcessId, &p.title, nullptr};
  double ms = -1, answered = -1;
  for (;;) {
    EnumWindows(match, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      ms = elapsedMs(start, freq);
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(s.found, WM_NULL, 0, 0, SMTO_NORMAL, kWindowTimeoutMs, &result))
        answered = elapsedMs(start, freq);
      break;
    }
    if (elapsedMs(start, freq) > kWindowTimeoutMs ||
        WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
      break;
    Sleep(1);
  }
  // Closed as a user would, so the next start does not meet a running instance.
  if (s.found) PostMessageW(s.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return {ms, answered};
}

double median(std::vector<double>& v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string narrow(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  s.resize(s.find('\0'));
  return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fputs("usage: startup_probe ROUNDS EXE TITLE [EXE TITLE ...]\n", stderr);
    return 2;
  }
  const long rounds = std::wcstol(argv[1], nullptr, 10);
  std::vector<Program> programs;
  for (int i = 2; i + 1 < argc; i += 2) programs.push_back({argv[i], argv[i + 1], {}, {}});

  for (long r = 0; r < rounds; ++r) {
    for (Program& p : programs) {
      const auto [ms, answered] = startOnce(p);
      if (ms < 0) {
        std::fprintf(stderr, "no window \"%s\" from %s\n", narrow(p.title).c_str(),
                     narrow(p.exe).c_str());
        return 1;
      }
      p.ms.push_back(ms);
      p.answered.push_back(answered);
      std::printf("run %s %.1f answered %.1f\n", narrow(p.name()).c_str(), ms, answered);
      std::fflush(stdout);
    }
  }
  for (Program& p : programs) {
    const double shown = median(p.ms);
    std::printf("median %s %.1f min %.1f max %.1f answers %.1f\n", narrow(p.name()).c_str(), shown,
                p.ms.front(), p.ms.back(), median(p.answered));
  }
  return 0;
}
