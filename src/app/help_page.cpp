#include "app/help_page.h"

namespace velmora {

namespace {
// System error codes (winerror.h).
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kNoAssociation = 1155;
constexpr std::uint32_t kDdeFailed = 1156;
constexpr std::uint32_t kDllNotFound = 1157;
}  // namespace

std::string HelpPagePath(const std::string& exeDir) { return exeDir + "Help\\Velmora.htm"; }

std::uint32_t ShellExecuteErrorCode(std::intptr_t result) {
  switch (result) {
    case 0: return kNotEnoughMemory;
    case 26: return kSharingViolation;   // SE_ERR_SHARE
    case 27:                             // SE_ERR_ASSOCINCOMPLETE
    case 31: return kNoAssociation;      // SE_ERR_NOASSOC
    case 28:                             // SE_ERR_DDETIMEOUT
    case 29:                             // SE_ERR_DDEFAIL
    case 30: return kDdeFailed;          // SE_ERR_DDEBUSY
    case 32: return kDllNotFound;        // SE_ERR_DLLNOTFOUND
    default: return static_cast<std::uint32_t>(result);  // file or path not found, access denied, ...
  }
}

std::string HelpNotOpenedText(const std::string& path, const std::string& reason) {
  std::string why = reason;
  while (!why.empty() && (why.back() == '\r' || why.back() == '\n' || why.back() == ' ')) why.pop_back();
  return "ヘルプを開けませんでした。\r\n\r\n" + path + "\r\n\r\n" + why;
}

}  // namespace velmora
