// The messages by which a process started from Send To files its folders through a Velmora
// window that is open on the same data folder, so that the dialog offers that window's
// binders and the folders show in its tree at once. WM_COPYDATA between two windows of
// class "TOrvikBinder": dwData is one of the codes below, lpData/cbData "Velmora" and then
// fields each introduced by a zero byte. The sender is another process, so nothing about the
// data is trusted; the companion's messages (codes 4 and 5, prefix "Orvik") are not these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

constexpr const char* kOpenWindowClass = "TOrvikBinder";  // the main window's class, both ends
constexpr const char* kOpenWindowPrefix = "Velmora";
// Far from the companion's codes, so that neither side mistakes the other's messages.
constexpr std::uintptr_t kAskTitlesCode = 0x564C4D01;    // field: data folder
constexpr std::uintptr_t kTitlesReplyCode = 0x564C4D02;  // fields: data folder, title list text
constexpr std::uintptr_t kRegisterSentCode = 0x564C4D03; // fields: data folder, "1"/"0" create, binder, folders...
// The titles of a large store fit; anything above is no message of ours and is not copied.
constexpr std::size_t kMaxOpenWindowPayload = std::size_t(16) << 20;

// The open window's answers (the message result). A window that does not know these messages
// answers 0, or 1 as it does every companion message, so neither is one of them.
enum OpenWindowAnswer : std::intptr_t {
  kAnswerTitlesSent = 0x564C10,  // the titles reply was sent back during the request
  kAnswerRegistered,             // the folders are in the binder and in the tree
  kAnswerUnknownBinder,          // no binder or section of that name: ask, then send with create
  kAnswerRefused,                // nothing to register (no folder exists, a name the files cannot hold)
};

struct OpenWindowMessage {
  enum class Kind { kIgnore, kAskTitles, kTitles, kRegister };
  Kind kind = Kind::kIgnore;
  std::string dataFolder;  // the sender's, as its store names it
  std::string titles;      // kTitles: the title list's whole text
  bool createBinder = false;          // kRegister: the user agreed to a new binder
  std::string binder;                 // kRegister: the name from the dialog
  std::vector<std::string> folders;   // kRegister: at least one
};

// What a WM_COPYDATA carries: code is dwData, data and size lpData and cbData, senderClass the
// class name of the window in wParam. Reads no byte when data is null or size is above
// kMaxOpenWindowPayload, and never one at or past size.
OpenWindowMessage ParseOpenWindowMessage(std::uintptr_t code, const void* data, std::size_t size,
                                         std::string_view senderClass);

// The code and the bytes to send for a message (kIgnore has none: code 0).
std::uintptr_t OpenWindowCode(OpenWindowMessage::Kind kind);
std::string OpenWindowPayload(const OpenWindowMessage& message);

}  // namespace velmora
