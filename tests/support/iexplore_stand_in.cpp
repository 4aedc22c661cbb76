// Stands in for the web browser while the tests run: built as iexplore.exe beside the test
// program, where the shell looks first, it appends its command line and a line break to the
// file named by VELMORA_STAND_IN_LOG and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH] = "";
  const DWORD length = GetEnvironmentVariableA("VELMORA_STAND_IN_LOG", log, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  WriteFile(file, "\r\n", 2, &written, nullptr);
  CloseHandle(file);
  return 0;
}
