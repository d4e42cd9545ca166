// A child program for the runAndWait tests: sleeps the milliseconds given as
// its first argument, then, when a second argument names a file, creates it
// as a marker that the program really ran to its end.
//   sleeper <ms> [marker]
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  Sleep(static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)));
  if (argc >= 3) {
    HANDLE marker = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 3;
    CloseHandle(marker);
  }
  return 0;
}
