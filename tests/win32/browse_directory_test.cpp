// The directory search with the real calls under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "browse/enumeration.h"

#include "win32/win32_file_system.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

// The process's open handles, counted by asking each possible value (Wine does not answer
// GetProcessHandleCount).
int OpenHandles() {
  int count = 0;
  DWORD flags = 0;
  for (std::uintptr_t value = 4; value < 0x10000; value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  return count;
}

TEST(Win32DirectorySearch, IsClosedEvenWhenReadingAnEntryThrows) {
  testing_support::TempDir dir;
  testing_support::MakeFile(dir + "a.txt", 1);
  Win32FileSystem port;
  // A record that cannot be made (out of memory, say) ends the listing by an exception.
  auto failing = [](const FindEntry&) -> bool { throw std::runtime_error("no record"); };
  // The first exception may set up what every later one shares.
  EXPECT_THROW(port.Search(dir + "*.*", failing), std::runtime_error);
  const int before = OpenHandles();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 10; ++i) EXPECT_THROW(port.Search(dir + "*.*", failing), std::runtime_error);
  EXPECT_EQ(OpenHandles(), before);
}

// A listing keeps every record it makes: their names are held at their own size, not in
// twice the room the conversion needed (short names fit within their strings).
TEST(Win32DirectorySearch, ListedNamesTakeNoMoreRoomThanTheyNeed) {
  testing_support::TempDir dir;
  for (const std::size_t length : {10, 15, 40, 200})
    testing_support::MakeFile(dir + std::string(length - 4, 'n') + ".txt", 1);
  Win32FileSystem port;
  FileRecordList records;
  ASSERT_EQ(EnumerateFolder(dir.path(), port, ListingOptions(), records), 4u);
  for (const auto& record : records)
    EXPECT_LT(record->name.capacity(), 2 * record->name.size()) << record->name.size() << " characters";
}

}  // namespace
}  // namespace velmora
