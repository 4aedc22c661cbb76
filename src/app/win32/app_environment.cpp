#include "app/win32/app_environment.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "app/help_page.h"
#include "app/win32/control_ids.h"
#include "app/window_rules.h"
#include "text/cp932.h"
#include "win32/strings.h"
#include "win32/win32_file_system.h"

namespace velmora {

DWORD AppEnvironment::PlatformModuleFileName(wchar_t* buffer, DWORD size) {
  return GetModuleFileNameW(nullptr, buffer, size);
}

AppEnvironment AppEnvironment::FromProcess(const ModuleFileName& moduleFileName) {
  AppEnvironment env;
  wchar_t exe[MAX_PATH] = L"";
  const DWORD length = moduleFileName(exe, MAX_PATH);
  // A path cut at the buffer's end, or one that names no file, would put the data folder
  // somewhere else. Wide, so that a folder the code page cannot spell is kept, marked.
  const std::string path = length > 0 && length < MAX_PATH ? WideToAnsi(exe, static_cast<int>(length)) : std::string();
  if (!path.empty() && IsExistingFile(path)) {
    env.exePath = path;
    env.exeDir = IncludeTrailingBackslash(ParentFolder(env.exePath));
  }
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) env.params.push_back(WideToAnsi(argv[i]));
  if (argv) LocalFree(argv);
  return env;
}

int AppEnvironment::SystemLevel() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
  const BOOL gotVersion = GetVersionExA(&version);
  return SystemLevelFor(gotVersion != FALSE, version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

std::string AppEnvironment::UserName() {
  char userName[1024] = "";
  DWORD userLength = sizeof(userName);
  if (!GetUserNameA(userName, &userLength)) userName[0] = '\0';
  return userName;
}

void AppEnvironment::OpenHelp(HWND owner, Prompter& prompter) const {
  const std::string help = HelpPagePath(exeDir);
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", help.c_str(), nullptr, nullptr, SW_SHOW));
  // The shell itself says nothing when it cannot open the page.
  if (result <= 32)
    prompter.Message(HelpNotOpenedText(help, Win32FileSystem().ErrorText(ShellExecuteErrorCode(result))),
                     kApplicationTitle);
}

void AppEnvironment::PlayStartSound() const {
  // The program's own quiet sound beside the executable; asked for as an alias it would be
  // the system's default beep on every listing wherever no alias of that name is set up.
  const std::string sound = exeDir + "start.wav";
  PlaySoundA(sound.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace velmora
