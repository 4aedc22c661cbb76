// WM_COPYDATA payloads of the companion program, which comes from another process.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/companion_message.h"
#include "support/portable_collation.h"
#include "store/title_list.h"

namespace velmora {
namespace {

using Kind = CompanionRequest::Kind;

// The payload in a heap block of exactly its size, so that a read past it is caught.
CompanionRequest Parse(std::uintptr_t code, const std::string& payload, const char* cls = "TOrvikSearcher") {
  std::vector<char> block(payload.begin(), payload.end());
  return ParseCompanionMessage(code, block.empty() ? "" : block.data(), block.size(), cls);
}

TEST(CompanionMessage, TitlesRequestAndItsReply) {
  EXPECT_EQ(Parse(4, "Orvik").kind, Kind::kTitles);
  EXPECT_EQ(Parse(4, "Orvik anything").kind, Kind::kTitles);
  PortableCollation collation;
  TitleList titles(collation);
  titles.Parse("Work\r\nソフト\r\n\r\nlast");
  EXPECT_EQ(CompanionPayload(titles.Text()), "OrvikWork\r\nソフト\r\n\r\nlast\r\n");
  EXPECT_EQ(CompanionPayload(""), "Orvik");
}

TEST(CompanionMessage, RegisterSplitsAtTheFirstSeparator) {
  CompanionRequest r = Parse(5, "OrvikWork@\\@D:\\Data");
  EXPECT_EQ(r.kind, Kind::kRegister);
  EXPECT_EQ(r.binder, "Work");
  EXPECT_EQ(r.path, "D:\\Data");
  r = Parse(5, "Orvik@\\@D:\\x@\\@y");  // empty binder part: the selected binder's
  EXPECT_EQ(r.kind, Kind::kRegister);
  EXPECT_EQ(r.binder, "");
  EXPECT_EQ(r.path, "D:\\x@\\@y");
  // The text ends at a zero byte.
  r = Parse(5, std::string("OrvikA@\\@D:\\a\0junk", 19));
  EXPECT_EQ(r.path, "D:\\a");
  EXPECT_EQ(Parse(5, std::string("OrvikA\0@\\@D:\\a", 15)).kind, Kind::kIgnore);
  EXPECT_EQ(Parse(5, "OrvikWork D:\\Data").kind, Kind::kIgnore);
  // "ァ" is 0x83 0x40: its trail byte and the "\@" after it are no separator.
  r = Parse(5, "Orvikァ\\@x@\\@D:\\y");
  EXPECT_EQ(r.binder, "ァ\\@x");
  EXPECT_EQ(r.path, "D:\\y");
}

// The mark byte is the program's own: another program's 0x01 is no mark, and its request is
// refused whole rather than read as a character it never sent.
TEST(CompanionMessage, ARequestHoldingTheMarkByteIsIgnored) {
  EXPECT_EQ(Parse(5, "OrvikWork@\\@D:\\caf\x01" "00E9").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(5, "OrvikW\x01" "00FCrk@\\@D:\\Data").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(5, "Orvik\x01@\\@D:\\Data").kind, Kind::kIgnore);
  // After the zero byte that ends the text, nothing counts.
  EXPECT_EQ(Parse(5, std::string("OrvikA@\\@D:\\a\0\x01", 15)).kind, Kind::kRegister);
}

TEST(CompanionMessage, WrongSenderPrefixOrCodeIsIgnored) {
  EXPECT_EQ(Parse(4, "Orvik", "TOrvikSearcher2").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(4, "Orvik", "torviksearcher").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(4, "Orvik", "").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(4, "orvik").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(4, "Orvi").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(4, "").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(5, "XOrvikA@\\@D:\\x").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(3, "OrvikA@\\@D:\\x").kind, Kind::kIgnore);
  EXPECT_EQ(Parse(6, "OrvikA@\\@D:\\x").kind, Kind::kIgnore);
}

TEST(CompanionMessage, HostileSizesAndPointersReadNothing) {
  const char small[] = "OrvikA@\\@D:\\x";
  EXPECT_EQ(ParseCompanionMessage(4, nullptr, 5, kCompanionClass).kind, Kind::kIgnore);
  EXPECT_EQ(ParseCompanionMessage(5, nullptr, 0, kCompanionClass).kind, Kind::kIgnore);
  // Sizes far beyond the block: refused before a byte is read (ASan would see it).
  EXPECT_EQ(ParseCompanionMessage(5, small, kMaxCompanionPayload + 1, kCompanionClass).kind, Kind::kIgnore);
  EXPECT_EQ(ParseCompanionMessage(5, small, std::numeric_limits<std::size_t>::max(), kCompanionClass).kind,
            Kind::kIgnore);
  EXPECT_EQ(ParseCompanionMessage(5, small, 0xFFFFFFFFu, kCompanionClass).kind, Kind::kIgnore);
  // Only cbData bytes count: cut inside the separator, or inside the path.
  EXPECT_EQ(Parse(5, std::string(small, 8)).kind, Kind::kIgnore);
  CompanionRequest r = Parse(5, std::string(small, 11));
  EXPECT_EQ(r.kind, Kind::kRegister);
  EXPECT_EQ(r.path, "D:");
  // A payload of the largest accepted size is read whole.
  std::string big = "OrvikA@\\@D:\\" + std::string(kMaxCompanionPayload - 12, 'x');
  r = Parse(5, big);
  EXPECT_EQ(r.kind, Kind::kRegister);
  EXPECT_EQ(r.path.size(), kMaxCompanionPayload - 9);
}

}  // namespace
}  // namespace velmora
