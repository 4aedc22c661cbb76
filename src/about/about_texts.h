// What the about window shows, worked out from the about component's properties, and the
// rule for opening the maker's web page.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

// Colours are 0x00BBGGRR, as the system's COLORREF.
using RgbColour = std::uint32_t;
constexpr RgbColour kWhite = 0xFFFFFF;

// The about component's properties with their defaults, in declaration order.
struct AboutProperties {
  std::string ApplicationTitle;
  std::string VerNo;
  std::string VerNoMain;
  std::string ProgramerName;
  std::string Year;
  std::string Corp;
  std::string UpdateName;  // handed to the window, not shown
  std::string VerStr;      // handed to the window, not shown
  RgbColour BackColor = 0xBFFFF1;
  RgbColour DateColor = 0x606060;
  RgbColour TitleFontColor = 0x000000;
  RgbColour VerFontColor = 0x606060;
  int JumpXY = 2;
  int StretchMax = 5;
};

struct VersionBoxTexts {
  std::string title;    // ApplicationTitle, two spaces, VerNo
  std::string author;   // "Programming by " and ProgramerName
  std::string version;  // VerNoMain
  std::string year;     // Year
  std::string maker;    // Corp, the link
};

VersionBoxTexts MakeVersionBoxTexts(const AboutProperties& properties);

// Displays of 10 bits per pixel or fewer cannot show the pale background well: white there.
RgbColour PanelColour(int bitsPerPixel, RgbColour backColor);

// The maker line keeps its right edge 16 pixels inside the panel, whatever its length.
int MakerLineLeft(int panelWidth, int textWidth);

// "1.1.8.9" becomes "[ 1.1.8.9 ]" for the version line and "1189" for the version number text.
std::string VersionLine(const std::string& version);
std::string VersionDigits(const std::string& version);

// The maker's web page, opened from the maker line.
constexpr const char* kMakerPageAddress = "https://velmora.example.org/";

// Starts programs through the system shell.
class ShellLauncher {
 public:
  virtual ~ShellLauncher() = default;
  // Opens file (a program name, a document or an address) with the given parameters;
  // false when the shell could not start it.
  virtual bool Open(const std::string& file, const std::string& parameters) = 0;
};

// The maker's page goes to "iexplore" first and, when that cannot be started, to whatever
// the system opens addresses with. A second failure is ignored.
void OpenWebPage(ShellLauncher& launcher, const std::string& address);

}  // namespace velmora
