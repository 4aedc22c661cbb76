// A stand-in program for send-to tests: writes its command line, byte for byte, to the file
// named by VELMORA_ECHO_FILE (written beside it first, then moved in, so that a reader
// never sees half of it), and before that its UTF-16 form to that name with ".utf16" added.
#include <windows.h>

#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char out[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("VELMORA_ECHO_FILE", out, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  const std::wstring wide = GetCommandLineW();
  HANDLE wideFile = CreateFileA((std::string(out) + ".utf16").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (wideFile == INVALID_HANDLE_VALUE) return 4;
  DWORD wroteWide = 0;
  WriteFile(wideFile, wide.data(), static_cast<DWORD>(wide.size() * sizeof(wchar_t)), &wroteWide, nullptr);
  CloseHandle(wideFile);
  const std::string temp = std::string(out) + ".part";
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
  return MoveFileExA(temp.c_str(), out, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
