// A process that only waits, for tests that need a program of a given name in the process list.
// It ends by itself after two minutes should the test that started it fail to end it.
#include <windows.h>

int main() {
  Sleep(120000);
  return 0;
}
