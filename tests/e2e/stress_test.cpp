// velmora.exe under long runs of user input and forced ends: no hang, no crash, the store
// saved whole, and the system objects and memory a run took given back. The counts can be
// lowered or raised through VELMORA_STRESS_<NAME> environment variables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "support/picture_samples.h"
#include "support/process_resources.h"

using e2e::AppDriver;
using e2e::WaitFor;
using test_support::MeasureResources;
using test_support::ProcessResources;

namespace {

int StressCount(const char* name, int fallback) {
  const char* value = std::getenv((std::string("VELMORA_STRESS_") + name).c_str());
  const int n = value ? std::atoi(value) : 0;
  return n > 0 ? n : fallback;
}

// Private memory may grow by this much over a run: the heap keeps freed blocks and
// fragments. A leak of one listing's records (10,000 rows) per big listing would pass it
// many times over.
constexpr std::size_t kMemoryTolerance = 16u << 20;
// The GDI and USER objects a settled window holds can differ by a few between two moments
// (a caret, a tool tip, a cached font); a leak per click would be a hundred or more.
constexpr long kObjectTolerance = 8;

void ExpectGivenBack(const ProcessResources& before, const ProcessResources& after) {
  const std::string both = Describe(before) + " -> " + Describe(after);
  std::cout << "[ resources ] " << both << std::endl;
  if (before.gdiObjects >= 0 && after.gdiObjects >= 0) {
    EXPECT_LE(after.gdiObjects, before.gdiObjects + kObjectTolerance) << both;
  }
  if (before.userObjects >= 0 && after.userObjects >= 0) {
    EXPECT_LE(after.userObjects, before.userObjects + kObjectTolerance) << both;
  }
  EXPECT_LE(after.privateBytes, before.privateBytes + kMemoryTolerance) << both;
}

class StressE2E : public ::testing::Test {
 protected:
  std::string Content(const std::string& name) {
    const std::string path = app.appDir() + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }
  // count empty files file0.txt ... in folder: under Wine by the Unix side at once, since
  // ten thousand creations through Wine take minutes on a busy machine.
  void EmptyFiles(const std::string& folder, int count) {
    const std::string unix = e2e::UnixPath(folder);
    if (!unix.empty() &&
        e2e::RunUnixProgram({"/bin/sh", "-c", "cd \"$0\" && seq -f 'file%.0f.txt' 0 $(($1 - 1)) | xargs touch", unix,
                             std::to_string(count)}))
      return;
    for (int i = 0; i < count; ++i) test_support::MakeFile(folder + "\\file" + std::to_string(i) + ".txt", std::string());
  }
  // A tree click on the registered folder, as the program sees one: the control's selection
  // moves, then the click notice follows. Sent as messages: under Wine, quick injected clicks
  // land where the pointer was a moment before (the X pointer catches up late), so two clicks
  // at different places can meet as a double click, or a move between press and release
  // starts a drag. True once the folder is the selection and listed.
  bool ClickFolder(const std::string& path) {
    auto known = nodes_.find(path);
    if (known == nodes_.end()) {
      const HTREEITEM node = app.FindTreeNode(path.substr(path.rfind('\\') + 1));
      if (!node) return false;
      known = nodes_.insert({path, node}).first;
    }
    if (!app.SelectTreeNode(known->second)) return false;
    PostMessageA(app.window(), velmora::WM_APP_TREE_CLICK, 0, 0);
    if (WaitFor([&] { return app.StatusText(1) == path; }, std::chrono::seconds(30), std::chrono::milliseconds(5)))
      return true;
    DWORD_PTR ignored = 0;
    const bool answers = SendMessageTimeoutA(app.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
    std::cout << "[ stalled  ] status '" << app.StatusText(1) << "', window " << (answers ? "answers" : "hung")
              << std::endl;
    return false;
  }
  bool Listed(const std::string& path, int rows) {
    return WaitFor([&] { return app.StatusText(1) == path && app.ListRowCount() == rows; });
  }
  // The worker has begun completing the records: the first row has its type name. Ten
  // thousand take minutes to complete under Wine; the clicks come while that goes on.
  bool Completing() {
    return WaitFor([&] { return !app.ListCellText(0, 2).empty(); });
  }
  int ListStyle() { return static_cast<int>(GetWindowLongA(app.Control(velmora::IDC_LIST), GWL_STYLE) & LVS_TYPEMASK); }
  bool ThumbnailButtonEnabled() {
    return SendMessageA(app.Control(velmora::IDC_LISTBAR), TB_ISBUTTONENABLED, velmora::IDM_THUMBNAILS, 0) != 0;
  }
  HIMAGELIST LargeImages() {
    return reinterpret_cast<HIMAGELIST>(SendMessageA(app.Control(velmora::IDC_LIST), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  }
  // A tool bar button's command, as its click sends it.
  void Command(int id) {
    PostMessageA(app.window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(app.Control(velmora::IDC_LISTBAR)));
  }
  // Every resource measured once the program is idle.
  ProcessResources Settled() {
    WaitForInputIdle(app.process(), 10000);
    return MeasureResources(app.process());
  }

  AppDriver app;

 private:
  std::map<std::string, HTREEITEM> nodes_;
};

TEST_F(StressE2E, QuickTreeClicksDuringABigListingThenCloseGiveEverythingBack) {
  const int rows = StressCount("ROWS", 10000), clicks = StressCount("CLICKS", 300);
  const std::string big = Content("big"), a = Content("a"), b = Content("b");
  EmptyFiles(big, rows);
  EmptyFiles(a, 3);
  EmptyFiles(b, 5);
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\n" + big + "=2\r\n" + a + "=2\r\n" + b + "=2\r\n\r\n");
  ASSERT_TRUE(app.Start());

  // Each folder listed once first: the shell's icons and type names are cached from then on.
  for (const std::string* folder : {&a, &b, &big}) ASSERT_TRUE(ClickFolder(*folder));
  ASSERT_TRUE(Listed(big, rows));
  ASSERT_TRUE(Completing());
  const ProcessResources before = Settled();

  // The big folder every tenth click, so its listing is cut short again and again.
  const std::string* order[] = {&big, &a, &b, &a, &b, &a, &b, &a, &b, &a};
  for (int i = 0; i < clicks; ++i) ASSERT_TRUE(ClickFolder(*order[i % 10])) << "click " << i;
  ASSERT_TRUE(ClickFolder(big));
  ASSERT_TRUE(Listed(big, rows));
  ASSERT_TRUE(Completing());
  ExpectGivenBack(before, Settled());
  // Closed while the big listing is still being completed.

  ASSERT_EQ(app.Close(), 0);
  EXPECT_NE(app.ReadData("folderlist.ini").find("[Orvik]\r\nFRG=0\r\nWID=152\r\n"), std::string::npos);
}

TEST_F(StressE2E, ThumbnailPassesInterruptedByClicksAndViewsGiveEverythingBack) {
  const int photos = StressCount("PHOTOS", 24), interruptions = StressCount("INTERRUPTIONS", 100);
  const std::string album = Content("album"), other = Content("other");
  for (int i = 0; i < photos; ++i) {
    const auto jpeg = test_support::EncodeJpeg(800, 600, [i](int x, int y) {
      return static_cast<std::uint32_t>(((x + i * 7) & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF));
    });
    test_support::WriteFileBytes(album + "\\photo" + std::to_string(i) + ".jpg", jpeg);
  }
  EmptyFiles(other, 4);
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\n" + album + "=0\r\n" + other + "=2\r\n\r\n");
  ASSERT_TRUE(app.Start());

  // The album listed afresh in icon view, no pass under way: the thumbnail button can be
  // pressed. A listing of the other folder first leaves any thumbnail mode.
  auto ready = [&] {
    if (app.StatusText(1) == album && !ThumbnailButtonEnabled() && !ClickFolder(other)) return false;
    if (app.StatusText(1) != album && !ClickFolder(album)) return false;
    if (!Listed(album, photos)) return false;
    if (ListStyle() != LVS_ICON) Command(velmora::IDM_VIEW_ICON);
    return WaitFor([&] { return ListStyle() == LVS_ICON && ThumbnailButtonEnabled(); });
  };
  ASSERT_TRUE(ready());
  const HIMAGELIST icons = LargeImages();
  // A whole pass: the list shows the pictures once every row has one.
  auto wholePass = [&] {
    Command(velmora::IDM_THUMBNAILS);
    return WaitFor([&] { return LargeImages() != icons && !ThumbnailButtonEnabled(); }, std::chrono::seconds(120));
  };
  // A pass started, then cut short by a listing, the list view or the detail view. The press
  // comes once the button is enabled again, which may be before the stopped pass has
  // returned: it must take all the same.
  auto interrupt = [&](int i) {
    if (!ready()) return false;
    Command(velmora::IDM_THUMBNAILS);
    if (!WaitFor([&] { return !ThumbnailButtonEnabled(); })) return false;
    switch (i % 3) {
      case 0: return ClickFolder(other);
      case 1: Command(velmora::IDM_VIEW_LIST); return true;
      default: Command(velmora::IDM_VIEW_DETAIL); return true;
    }
  };
  ASSERT_TRUE(wholePass());
  // The first list and detail views make what the window keeps for its life (a header and
  // its pictures): measured from after one round of each.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(interrupt(i)) << "warm-up " << i;
  ASSERT_TRUE(ready());
  ASSERT_TRUE(wholePass());
  const ProcessResources before = Settled();

  for (int i = 0; i < interruptions; ++i) ASSERT_TRUE(interrupt(i)) << "interruption " << i;
  ASSERT_TRUE(ready());
  ASSERT_TRUE(wholePass());
  ExpectGivenBack(before, Settled());

  ASSERT_EQ(app.Close(), 0);
  EXPECT_NE(app.ReadData("folderlist.ini").find("[Orvik]\r\nFRG=0\r\nWID=152\r\n"), std::string::npos);
}

// The store files of a data folder, by name.
std::map<std::string, std::string> StoreFiles(const AppDriver& app) {
  std::map<std::string, std::string> files;
  for (const char* name : {"titlelist.txt", "folderlist.ini", "selectlist.ini"}) files[name] = app.ReadData(name);
  return files;
}

bool SaveUnderWay(const AppDriver& app) {
  for (const std::string& name : test_support::FolderNames(app.appDir() + "data"))
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) return true;
  return false;
}

TEST_F(StressE2E, EndedByForceDuringSavesLeavesEachStoreFileOldOrNewNeverCut) {
  const int kills = StressCount("KILLS", 20);
  const std::string docs = Content("docs");
  // Enough remembered selections that writing them takes a while.
  std::string selections;
  for (int i = 0; i < 5000; ++i) selections += "[Work-f" + std::to_string(i) + "]\r\nchosen file " + std::to_string(i) + ".txt=\r\n\r\n";
  const std::map<std::string, std::string> old = {
      {"titlelist.txt", "Work\r\nSecond\r\n"},
      {"folderlist.ini", "[Work]\r\n" + docs + "=2\r\n\r\n[Second]\r\n" + docs + "=1\r\n\r\n"},
      {"selectlist.ini", selections}};
  auto restore = [&] {
    for (const auto& [name, bytes] : old) app.WriteData(name, bytes);
  };
  // A whole close gives the new store; its length bounds the moments a kill is tried at.
  restore();
  ASSERT_TRUE(app.Start());
  const auto closing = std::chrono::steady_clock::now();
  ASSERT_EQ(app.Close(), 0);
  const auto closeMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closing).count();
  const std::map<std::string, std::string> fresh = StoreFiles(app);
  ASSERT_NE(fresh, old);

  std::mt19937 random(20261207);
  int newFiles = 0, oldFiles = 0;
  for (int i = 0; i < kills; ++i) {
    restore();
    ASSERT_TRUE(app.Start()) << "run " << i;
    PostMessageA(app.window(), WM_CLOSE, 0, 0);
    if (i % 2 == 0) {
      // Half the runs end at any moment of the close...
      Sleep(std::uniform_int_distribution<DWORD>(0, static_cast<DWORD>(closeMs))(random));
    } else {
      // ...half once a file is being written, a little later each time.
      // Polled without the usual pause: a file is written in a few milliseconds.
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!SaveUnderWay(app) && app.Running() && std::chrono::steady_clock::now() < end) Sleep(1);
      Sleep(std::uniform_int_distribution<DWORD>(0, 20)(random));
    }
    TerminateProcess(app.process(), 9);
    ASSERT_EQ(WaitForSingleObject(app.process(), 30000), WAIT_OBJECT_0);
    for (const auto& [name, bytes] : StoreFiles(app)) {
      if (bytes == fresh.at(name)) {
        ++newFiles;
      } else if (bytes == old.at(name)) {
        ++oldFiles;
      } else {
        ADD_FAILURE() << "run " << i << ": " << name << " is cut (" << bytes.size() << " bytes)";
      }
    }
  }
  std::cout << "[ kills     ] " << kills << " runs: " << newFiles << " files new, " << oldFiles << " old" << std::endl;
  // The program starts on what the last kill left and saves it whole.
  ASSERT_TRUE(app.Start());
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(StoreFiles(app), fresh);
}

}  // namespace
