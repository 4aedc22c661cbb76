#include "about/about_texts.h"

namespace velmora {

VersionBoxTexts MakeVersionBoxTexts(const AboutProperties& p) {
  VersionBoxTexts t;
  t.title = p.ApplicationTitle + "  " + p.VerNo;
  t.author = "Programming by " + p.ProgramerName;
  t.version = p.VerNoMain;
  t.year = p.Year;
  t.maker = p.Corp;
  return t;
}

RgbColour PanelColour(int bitsPerPixel, RgbColour backColor) { return bitsPerPixel <= 10 ? kWhite : backColor; }

int MakerLineLeft(int panelWidth, int textWidth) { return panelWidth - textWidth - 16; }

std::string VersionLine(const std::string& version) { return "[ " + version + " ]"; }

std::string VersionDigits(const std::string& version) {
  std::string digits;
  for (char c : version) {
    if (c != '.') digits += c;
  }
  return digits;
}

void OpenWebPage(ShellLauncher& launcher, const std::string& address) {
  if (launcher.Open("iexplore", address)) return;
  launcher.Open(address, std::string());
}

}  // namespace velmora
