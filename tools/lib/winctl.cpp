// winctl: drives Velmora's windows from outside, through window messages and keyboard input, for
// the scripts that take screenshots and look at keyboard use. Runs under Wine in the same prefix
// as Velmora. Built by tools/screenshots-all with the MinGW compiler; not part of the product.
//
//   winctl wait TITLE [MS]           until a visible top-level window with this title exists
//   winctl gone TITLE [MS]           until no visible top-level window has this title
//   winctl xid TITLE                 prints the X11 window id Wine gives that window (hex)
//   winctl close TITLE               asks the window to close, as its close button does
//   winctl choose TITLE CONTROL ITEM selects a combo box entry (its text, or its index when a
//                                    number), as a choice with the mouse does
//   winctl click TITLE CONTROL       a click on a button (BN_CLICKED to its parent, posted)
//   winctl text TITLE CONTROL TEXT [MS]  until the control shows this text
//   winctl focus TITLE               prints the control name (or class and text) holding the focus
//   winctl key TITLE KEY             tab, shift+tab, enter or escape, typed into that window
//
// TITLE is a window title in UTF-8; CONTROL is the model name the binding gives each window.
// Exit status 0 on success, 1 when the window or control is not there (in time), 2 on bad use.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kNameProperty = L"VelmoraName";

void printUtf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  std::printf("%s\n", s.c_str());
}

std::wstring textOf(HWND h) {
  wchar_t buf[512] = {};
  // WM_GETTEXT rather than GetWindowTextW, which does not read controls of other processes.
  SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return buf;
}

HWND topLevel(const std::wstring& title) {
  struct Search {
    const std::wstring* title;
    HWND found;
  } s{&title, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t buf[256] = {};
        GetWindowTextW(h, buf, 256);
        if (IsWindowVisible(h) && *s->title == buf) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND waitFor(const std::wstring& title, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (HWND h = topLevel(title)) return h;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(20);
  }
}

std::wstring nameOf(HWND h) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, kNameProperty)));
  wchar_t buf[256] = {};
  if (atom) GlobalGetAtomNameW(atom, buf, 256);
  return buf;
}

HWND control(HWND window, const std::wstring& name) {
  struct Search {
    const std::wstring* name;
    HWND found;
  } s{&name, nullptr};
  EnumChildWindows(
      window,
      [](HWND h, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        if (nameOf(h) == *s->name) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND focusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Keys go through the system's input queue, as typed, to the window in front.
bool type(HWND window, const std::string& key) {
  std::vector<WORD> keys;
  if (key == "tab")
    keys = {VK_TAB};
  else if (key == "shift+tab")
    keys = {VK_SHIFT, VK_TAB};
  else if (key == "enter")
    keys = {VK_RETURN};
  else if (key == "escape")
    keys = {VK_ESCAPE};
  else
    return false;
  SetForegroundWindow(window);
  Sleep(100);
  std::vector<INPUT> in;
  for (WORD k : keys) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    in.push_back(i);
  }
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = *it;
    i.ki.dwFlags = KEYEVENTF_KEYUP;
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Sleep(200);
  return true;
}

int usage() {
  std::fputs("usage: winctl wait|gone|xid|close|choose|click|text|focus|key TITLE ...\n", stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return usage();
  // Arguments arrive as UTF-16 already; titles and names are compared as given.
  const std::wstring verb = argv[1], title = argv[2];
  auto number = [&](int i, unsigned fallback) {
    return argc > i ? static_cast<unsigned>(std::wcstoul(argv[i], nullptr, 10)) : fallback;
  };
  if (verb == L"wait") return waitFor(title, number(3, 20000)) ? 0 : 1;
  if (verb == L"gone") {
    const ULONGLONG end = GetTickCount64() + number(3, 20000);
    while (topLevel(title)) {
      if (GetTickCount64() >= end) return 1;
      Sleep(20);
    }
    return 0;
  }

  HWND window = waitFor(title, 20000);
  if (!window) {
    std::fputs("winctl: no such window\n", stderr);
    return 1;
  }
  if (verb == L"focus") {
    HWND f = focusOf(window);
    if (!f) return 1;
    // A combo box's edit field stands for its combo box.
    if (nameOf(f).empty() && GetParent(f) && !nameOf(GetParent(f)).empty()) f = GetParent(f);
    std::wstring name = nameOf(f);
    if (name.empty()) {
      wchar_t cls[64] = {};
      GetClassNameW(f, cls, 64);
      name = std::wstring(cls) + L" \"" + textOf(f) + L"\"";
    }
    printUtf8(name);
    return 0;
  }
  if (verb == L"xid") {
    // Wine keeps the X window of every top-level window in this property.
    const auto xid = reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window"));
    if (!xid) return 1;
    std::printf("0x%llx\n", static_cast<unsigned long long>(xid));
    return 0;
  }
  if (verb == L"close") {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (verb == L"key") {
    if (argc < 4) return usage();
    std::string key;
    for (const wchar_t* p = argv[3]; *p; ++p) key += static_cast<char>(*p);
    return type(window, key) ? 0 : usage();
  }
  if (argc < 4) return usage();
  HWND c = control(window, argv[3]);
  if (!c) {
    std::fputs("winctl: no such control\n", stderr);
    return 1;
  }
  const auto id = static_cast<WPARAM>(GetDlgCtrlID(c));
  if (verb == L"text") {
    if (argc < 5) return usage();
    const ULONGLONG end = GetTickCount64() + number(5, 20000);
    while (textOf(c) != argv[4]) {
      if (GetTickCount64() >= end) return 1;
      Sleep(20);
    }
    return 0;
  }
  if (verb == L"choose") {
    if (argc < 5) return usage();
    LRESULT item = SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(argv[4]));
    if (item == CB_ERR) {
      wchar_t* end = nullptr;
      item = static_cast<LRESULT>(std::wcstol(argv[4], &end, 10));
      if (*end || end == argv[4]) {
        std::fputs("winctl: no such entry\n", stderr);
        return 1;
      }
    }
    SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(c));
    return 0;
  }
  if (verb == L"click") {
    PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c));
    return 0;
  }
  return usage();
}
