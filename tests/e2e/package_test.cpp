// A release as a user gets it: velmora.exe unpacked from its zip and started where it lies.
// tests/package_test.sh unpacks each zip into a fresh folder and names it in VELMORA_PACKAGE_DIR.
#include <gtest/gtest.h>

#include "e2e/app_driver.h"

using e2e::AppDriver;

TEST(Package, AnUnpackedReleaseMakesItsDataAndKeepsABinderAcrossARestart) {
  const std::string folder = e2e::FolderFromEnvironment("VELMORA_PACKAGE_DIR");
  if (folder.empty()) GTEST_SKIP() << "runs on an unpacked release (tests/package_test.sh)";
  ASSERT_TRUE(e2e::Exists(folder + "velmora.exe"));
  ASSERT_FALSE(e2e::Exists(folder + "data"));  // the program makes it

  AppDriver app(folder);
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(e2e::Exists(folder + "data"));
  ASSERT_TRUE(app.MakeBinder("配布テスト"));
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("titlelist.txt"), "配布テスト\r\n");

  ASSERT_TRUE(app.Start());
  EXPECT_NE(app.FindTreeNode("配布テスト"), nullptr);
  EXPECT_EQ(app.Close(), 0);
}
