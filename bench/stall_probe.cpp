// Measures how long Velmora's main window takes to answer while it works: starts Velmora.exe,
// then sends WM_NULL to its main window again and again (SendMessageTimeoutW, as Windows does
// before it marks a window "not responding") and keeps the longest wait. Used by bench/stall.sh.
//
//   velmora_stall_probe scan <Velmora.exe>     until the status line says the scan has ended
//   velmora_stall_probe legacy <Velmora.exe>   clicks the old-version banner's button once the
//                                              scan has ended, until the cleaner window is gone
//
// Prints one line: mode, longest wait in milliseconds, number of probes, seconds of work.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kMainTitle[] = L"Velmora::Harrowfen";
constexpr wchar_t kNameProperty[] = L"VelmoraName";

double now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct Search {
  DWORD pid;
  const wchar_t* title;
  HWND found;
};

HWND topLevel(DWORD pid, const wchar_t* title) {
  Search s{pid, title, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t buf[128] = {};
        GetWindowTextW(h, buf, 128);
        if (owner == s->pid && IsWindowVisible(h) && std::wcscmp(buf, s->title) == 0) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

struct Named {
  const wchar_t* name;
  HWND found;
};

// The child window the binding tagged with this control name.
HWND control(HWND top, const wchar_t* name) {
  Named n{name, nullptr};
  EnumChildWindows(
      top,
      [](HWND h, LPARAM lp) {
        auto* n = reinterpret_cast<Named*>(lp);
        const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, kNameProperty)));
        wchar_t buf[64] = {};
        if (atom && GlobalGetAtomNameW(atom, buf, 64) && std::wcscmp(buf, n->name) == 0) {
          n->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n.found;
}

std::wstring textOf(HWND h) {
  wchar_t buf[512] = {};
  SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 60000,
                      nullptr);
  return buf;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || (std::wcscmp(argv[1], L"scan") != 0 && std::wcscmp(argv[1], L"legacy") != 0)) {
    std::fprintf(stderr, "usage: velmora_stall_probe scan|legacy <Velmora.exe>\n");
    return 2;
  }
  const bool legacy = std::wcscmp(argv[1], L"legacy") == 0;
  std::wstring command = L"\"" + std::wstring(argv[2]) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "cannot start Velmora.exe\n");
    return 1;
  }
  HWND main = nullptr;
  for (int i = 0; i < 600 && !main; ++i, Sleep(50)) main = topLevel(pi.dwProcessId, kMainTitle);
  if (!main) {
    TerminateProcess(pi.hProcess, 1);
    std::fprintf(stderr, "no main window\n");
    return 1;
  }

  const double start = now();
  double longest = 0;
  long probes = 0;
  bool clicked = false;
  bool cleanerSeen = false;
  for (;;) {
    const double before = now();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
    const double waited = now() - before;
    if (waited > longest) longest = waited;
    ++probes;

    const bool scanned = textOf(control(main, L"Labeltip")) == L"计算结束";
    if (!legacy && scanned) break;
    if (legacy && scanned && !clicked) {
      HWND button = control(main, L"Command2");
      if (!button) break;  // no banner: nothing to measure
      PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      clicked = true;
    }
    if (clicked) {
      const bool cleaner = topLevel(pi.dwProcessId, L"Form2") != nullptr;
      cleanerSeen = cleanerSeen || cleaner;
      if (cleanerSeen && !cleaner) break;
    }
    if (now() - start > 600) break;
    Sleep(10);
  }
  const double seconds = now() - start;
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::printf("%s longest_ms=%.0f probes=%ld seconds=%.1f\n", legacy ? "legacy" : "scan",
              longest * 1000, probes, seconds);
  return 0;
}
