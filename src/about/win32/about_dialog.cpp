#include "about/win32/about_dialog.h"

#include <winver.h>

#include <string>
#include <vector>

#include "about/win32/version_box.h"

namespace velmora {
namespace {

int ScreenBitsPerPixel() {
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}

}  // namespace

bool TAboutDialog::Execute(HWND owner) {
  if (running_) return false;
  running_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{running_};

  ClockSeededRandom ownRandom;
  const int bits = displayBitsPerPixel > 0 ? displayBitsPerPixel : ScreenBitsPerPixel();
  TVersionBox box(*this, PanelColour(bits, BackColor), random ? *random : ownRandom, launcher);
  box.ShowModal(owner);
  return true;
}

std::string ModuleVersion(HMODULE module) {
  // Wide: the program may sit in a folder the code page cannot spell.
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return std::string();
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data())) return std::string();
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO)) {
    return std::string();
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

void SetUpVelmoraAbout(TAboutDialog& dialog, HMODULE module) {
  const std::string version = ModuleVersion(module);
  dialog.ApplicationTitle = "Velmora";
  dialog.VerNoMain = VersionLine(version);
  dialog.VerStr = VersionDigits(version);
  dialog.ProgramerName = "Velmora team";
  dialog.Year = "(C) 2026";
  dialog.Corp = "Velmora Project";
  dialog.UpdateName = "VelmoraUpdate.txt";
  dialog.BackColor = 0xBFFFF1;
  dialog.TitleFontColor = 0x000000;
}

}  // namespace velmora
