// Folders on a drive that answers slowly or not at all, through a slow file-system port: the
// window goes on answering and listing other folders, and closes without waiting.
#include <chrono>

#include "browse/listing_loader.h"
#include "support/slow_file_system.h"
#include "win32/window_fixture.h"
#include "win32/win32_file_system.h"

namespace velmora {
namespace testing_support {
namespace {

class SlowFolderTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    for (const char* folder : {"slow", "fast"}) MakeFolder(content + folder);
    for (const char* name : {"slow\\s1.txt", "slow\\s2.txt", "fast\\f1.txt"}) MakeFile(content + name, 1);
    Open("Work\r\n", "[Work]\r\n" + (content + "slow=2\r\n") + (content + "fast=2\r\ncmp=1\r\n\r\n"));
    window->browser().SetFileSystem(slow_);
  }
  void TearDown() override {
    // The drive wakes up, so that no loader is left in this test's port.
    slow_.Release();
    EXPECT_TRUE(PumpUntil(nullptr, [] { return ListingLoader::Running() == 0; }));
    MainWindowTest::TearDown();
  }
  // A click on the node, without waiting for its listing.
  void Click(const std::string& text) {
    TreeView_SelectItem(window->control(IDC_TREE), FindNode(text));
    window->TreeView1Click();
  }
  Win32FileSystem real_;
  test_support::SlowFileSystem slow_{real_, content + "slow", std::chrono::minutes(5)};
};

TEST_F(SlowFolderTest, AnotherFolderListsAtOnceAndTheSlowOnesRowsComeWhenItAnswers) {
  Click("slow");
  // The click has returned with the drive still being asked: the window waits for nothing.
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return slow_.slowCalls() > 0; }));
  EXPECT_TRUE(window->browser().loading());
  EXPECT_TRUE(Names().empty());
  ClickNode("fast");
  EXPECT_EQ(Names(), (std::vector<std::string>{"f1.txt"}));
  Click("slow");
  slow_.Release();
  ASSERT_TRUE(WaitForListing());
  EXPECT_EQ(Names(), (std::vector<std::string>{"s1.txt", "s2.txt"}));
  EXPECT_EQ(window->browser().currentFolder(), content + "slow");
}

TEST_F(SlowFolderTest, ClosingWhileAListingHangsEndsTheWindowAndSavesTheStore) {
  DeleteFileA((app + "data\\folderlist.ini").c_str());
  Click("slow");
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return slow_.slowCalls() > 0; }));
  Close();
  EXPECT_EQ(ListingLoader::Running(), 1);  // still in the look-up, not waited for
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find(content + "slow=2"), std::string::npos);
}

}  // namespace
}  // namespace testing_support
}  // namespace velmora
