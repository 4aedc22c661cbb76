// Where the program runs from and what it was started with.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/prompter.h"
#include "win32/shell_context.h"

namespace velmora {

struct AppEnvironment {
  // Both empty when the program's own path could not be had whole: the store is then
  // neither read nor written, rather than kept in some other folder.
  std::string exeDir;  // with trailing backslash; holds "data", "Help" and "start.wav"
  std::string exePath;
  std::vector<std::string> params;
  // OLE, COM and the shell's objects; tests make them fail.
  ShellStartCalls shellCalls = ShellStartCalls::Platform();

  // moduleFileName is GetModuleFileNameW for this process; tests make it fail.
  using ModuleFileName = std::function<DWORD(wchar_t* buffer, DWORD size)>;
  static AppEnvironment FromProcess(const ModuleFileName& moduleFileName = PlatformModuleFileName);
  static DWORD PlatformModuleFileName(wchar_t* buffer, DWORD size);
  // The system's level as the program tells them apart; the user's name, empty when unknown.
  static int SystemLevel();
  static std::string UserName();
  // Opens the help page beside the program; says so when the shell cannot.
  void OpenHelp(HWND owner, Prompter& prompter) const;
  // The sound of a listing, start.wav beside the program; none when it is not there.
  void PlayStartSound() const;
};

}  // namespace velmora
