// The messages exchanged with the companion program, a window of class "TOrvikSearcher",
// through WM_COPYDATA: dwData is the request code, lpData/cbData code page 932 text that
// starts with "Orvik" and has no terminating zero. The sender is another process, so
// nothing about the data is trusted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

constexpr const char* kCompanionClass = "TOrvikSearcher";
constexpr const char* kCompanionPrefix = "Orvik";
constexpr std::uintptr_t kCompanionTitlesCode = 4;    // companion asks, program answers
constexpr std::uintptr_t kCompanionRegisterCode = 5;  // binder + "@\@" + folder path
constexpr const char* kCompanionSeparator = "@\\@";
// A payload above this is no request of the companion's; it is not even copied.
constexpr std::size_t kMaxCompanionPayload = std::size_t(1) << 20;

struct CompanionRequest {
  enum class Kind {
    kIgnore,    // wrong sender class, wrong prefix, unknown code, hostile size, no separator
    kTitles,    // remember the sender as the owner of questions, answer from the timer
    kRegister,  // register path into binder
  };
  Kind kind = Kind::kIgnore;
  std::string binder;  // kRegister; empty: the binder selected in the tree, if any
  std::string path;    // kRegister
};

// What a WM_COPYDATA asks for: code is dwData, data and size are lpData and cbData, and
// senderClass the class name of the window in wParam. Reads no byte of data when it is null
// or size is above kMaxCompanionPayload, and never a byte at or past size. The message is
// answered with 1 whatever this gives.
CompanionRequest ParseCompanionMessage(std::uintptr_t code, const void* data, std::size_t size,
                                       std::string_view senderClass);

// The bytes to send as lpData (cbData = their count): the prefix and text.
std::string CompanionPayload(std::string_view text);

}  // namespace velmora
