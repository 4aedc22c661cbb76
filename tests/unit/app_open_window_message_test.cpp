// WM_COPYDATA payloads between a process started from Send To and an open Velmora window:
// each comes from another process, so sizes, senders and fields are checked.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/open_window_message.h"

namespace velmora {
namespace {

using Kind = OpenWindowMessage::Kind;

// The payload in a heap block of exactly its size, so that a read past it is caught.
OpenWindowMessage Parse(std::uintptr_t code, const std::string& payload, const char* cls = "TOrvikBinder") {
  std::vector<char> block(payload.begin(), payload.end());
  return ParseOpenWindowMessage(code, block.empty() ? "" : block.data(), block.size(), cls);
}

// "Velmora" and the fields, each after a zero byte.
std::string Fields(const std::vector<std::string>& fields) {
  std::string payload = "Velmora";
  for (const std::string& field : fields) payload += std::string(1, '\0') + field;
  return payload;
}

OpenWindowMessage RoundTrip(const OpenWindowMessage& message) {
  return Parse(OpenWindowCode(message.kind), OpenWindowPayload(message));
}

TEST(OpenWindowMessage, EachKindReadsBackAsSent) {
  OpenWindowMessage ask;
  ask.kind = Kind::kAskTitles;
  ask.dataFolder = "C:\\Program Files\\Velmora\\data\\";
  EXPECT_EQ(OpenWindowPayload(ask), std::string("Velmora") + '\0' + "C:\\Program Files\\Velmora\\data\\");
  EXPECT_EQ(RoundTrip(ask).kind, Kind::kAskTitles);
  EXPECT_EQ(RoundTrip(ask).dataFolder, ask.dataFolder);

  OpenWindowMessage titles;
  titles.kind = Kind::kTitles;
  titles.dataFolder = "D:\\v\\data\\";
  titles.titles = "Work\r\nソフト\r\n";
  EXPECT_EQ(RoundTrip(titles).titles, titles.titles);
  titles.titles.clear();  // no binders yet
  EXPECT_EQ(RoundTrip(titles).kind, Kind::kTitles);
  EXPECT_EQ(RoundTrip(titles).titles, "");

  OpenWindowMessage reg;
  reg.kind = Kind::kRegister;
  reg.dataFolder = "D:\\v\\data\\";
  reg.binder = "表示";  // trail byte 0x5C
  reg.folders = {"D:\\One", "\\\\srv\\share\\Two"};
  EXPECT_EQ(OpenWindowPayload(reg), Fields({"D:\\v\\data\\", "0", "表示", "D:\\One", "\\\\srv\\share\\Two"}));
  for (bool create : {false, true}) {
    reg.createBinder = create;
    const OpenWindowMessage back = RoundTrip(reg);
    EXPECT_EQ(back.kind, Kind::kRegister);
    EXPECT_EQ(back.createBinder, create);
    EXPECT_EQ(back.binder, reg.binder);
    EXPECT_EQ(back.folders, reg.folders);
    EXPECT_EQ(back.dataFolder, reg.dataFolder);
  }
}

TEST(OpenWindowMessage, StrangersMalformedFieldsAndTheCompanionsMessagesAreIgnored) {
  const std::string ask = Fields({"D:\\data\\"});
  EXPECT_EQ(Parse(kAskTitlesCode, ask).kind, Kind::kAskTitles);
  // Only another main window sends these; the companion's class is no such sender.
  for (const char* cls : {"TOrvikSearcher", "torvikbinder", "", "TOrvikBinder2"})
    EXPECT_EQ(Parse(kAskTitlesCode, ask, cls).kind, Kind::kIgnore) << cls;
  // The companion's codes and prefix are not ours, whatever the sender.
  EXPECT_EQ(Parse(4, "Orvik").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(5, "OrvikWork@\\@D:\\Data").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(4, ask).kind, Kind::kIgnore);
  EXPECT_EQ(Parse(kAskTitlesCode, "OrvikWork").kind, Kind::kIgnore);

  const std::vector<std::pair<std::uintptr_t, std::string>> malformed = {
      {kAskTitlesCode, "Velmora"},                           // no data folder
      {kAskTitlesCode, Fields({""})},                        // an empty one
      {kAskTitlesCode, "VelmoraD:\\data\\"},             // no field mark
      {kAskTitlesCode, Fields({"D:\\", "x"})},             // a field too many
      {kTitlesReplyCode, Fields({"D:\\"})},                // no titles field
      {kTitlesReplyCode, Fields({"D:\\", "A\r\n", "B"})},  // a zero inside the titles
      {kRegisterSentCode, Fields({"D:\\", "0", "Work"})},  // no folder
      {kRegisterSentCode, Fields({"D:\\", "2", "Work", "D:\\a"})},  // create neither 0 nor 1
      {kRegisterSentCode, Fields({"D:\\", "0", "", "D:\\a"})},      // no binder name
      {kRegisterSentCode, Fields({"D:\\", "1", "Work", "D:\\a", ""})},  // an empty folder
      {0x564C4D04, Fields({"D:\\"})},                      // unknown code
      // The mark byte is the program's own: another process's 0x01 is refused.
      {kTitlesReplyCode, Fields({"D:\\", "W\x01" "00FCrk\r\n"})},
      {kRegisterSentCode, Fields({"D:\\", "0", "W\x01" "00FCrk", "D:\\a"})},
      {kRegisterSentCode, Fields({"D:\\", "0", "Work", "D:\\a", "D:\\caf\x01" "00E9"})},
  };
  for (const auto& [code, payload] : malformed)
    EXPECT_EQ(Parse(code, payload).kind, Kind::kIgnore) << code << " " << payload.size();
}

TEST(OpenWindowMessage, HostileSizesAreNotRead) {
  EXPECT_EQ(ParseOpenWindowMessage(kAskTitlesCode, nullptr, 64, "TOrvikBinder").kind, Kind::kIgnore);
  // A size far above the block: rejected before a byte is read.
  const char small[] = "Velmora";
  EXPECT_EQ(ParseOpenWindowMessage(kAskTitlesCode, small, kMaxOpenWindowPayload + 1, "TOrvikBinder").kind,
            Kind::kIgnore);
  EXPECT_EQ(ParseOpenWindowMessage(kAskTitlesCode, small, SIZE_MAX, "TOrvikBinder").kind, Kind::kIgnore);
  // A large store's titles still go through.
  OpenWindowMessage titles;
  titles.kind = Kind::kTitles;
  titles.dataFolder = "D:\\data\\";
  for (int i = 0; i < 100000; ++i) titles.titles += "binder " + std::to_string(i) + "\r\n";
  EXPECT_EQ(RoundTrip(titles).titles, titles.titles);
}

}  // namespace
}  // namespace velmora
