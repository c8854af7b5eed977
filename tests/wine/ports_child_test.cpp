// The half of the two-process tests that runs in the second process. Other tests start this
// binary again with a filter for PortsChild and VELMORA_PORTS_CHILD set; run directly, it skips.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/single_instance.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

std::string childMode() {
  wchar_t buffer[1024] = {};
  const DWORD length = GetEnvironmentVariableW(L"VELMORA_PORTS_CHILD", buffer, 1024);
  return length > 0 && length < 1024 ? platform::win32::narrow(buffer) : std::string();
}

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Reports how this process was asked to show its window, as "<dwFlags> <wShowWindow>". Written
// beside and then renamed, so the parent never reads half a file.
void reportShowStyle(const std::string& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const std::string text = std::to_string(startup.dwFlags & STARTF_USESHOWWINDOW) + " " +
                           std::to_string(startup.wShowWindow);
  if (ports_test::writeFile(path + ".part", text)) {
    MoveFileW(ports_test::rawPath(path + ".part").c_str(), ports_test::rawPath(path).c_str());
  }
}

}  // namespace

TEST(PortsChild, Run) {
  const std::string mode = childMode();
  if (mode.empty()) GTEST_SKIP() << "only runs as the child of another port test";
  const std::string singleInstance = "single-instance:";
  const std::string showStyle = "show-style:";
  if (startsWith(mode, singleInstance)) {
    platform::win32::SingleInstance instance(
        platform::win32::widen(mode.substr(singleInstance.size())));
    ExitProcess(instance.alreadyRunning() ? ports_test::kChildSawOtherInstance
                                          : ports_test::kChildWasFirstInstance);
  }
  if (startsWith(mode, showStyle)) reportShowStyle(mode.substr(showStyle.size()));
}
