// What the tree paints for a folder on a slow path, and when it has the path asked about again.
#include <gtest/gtest.h>

#include "binders/folder_presence.h"
#include "common/file_attributes.h"

namespace velmora {
namespace {

using Clock = FolderPresenceCache::Clock;
using std::chrono::milliseconds;

TEST(FolderPresenceCache, OneCheckAtATimeAndNoneWhileTheAnswerIsFresh) {
  FolderPresenceCache cache(milliseconds(5000));
  const Clock::time_point t0 = Clock::now();
  const std::string share = "\\\\nas\\photos";
  bool start = false;
  // Nothing known yet: painted as present, one check started, none more while it runs.
  FolderPresence p = cache.Look(share, t0, start);
  EXPECT_TRUE(start);
  EXPECT_FALSE(p.known);
  EXPECT_FALSE(IsMissingFolder(p));
  cache.Look(share, t0 + milliseconds(9000), start);
  EXPECT_FALSE(start);
  EXPECT_TRUE(cache.Answer(share, false, 0, t0 + milliseconds(9000)));
  // The answer is painted and stands for the fresh time, then is asked about again.
  p = cache.Look(share, t0 + milliseconds(13999), start);
  EXPECT_FALSE(start);
  EXPECT_TRUE(IsMissingFolder(p));
  p = cache.Look(share, t0 + milliseconds(14000), start);
  EXPECT_TRUE(start);
  EXPECT_TRUE(IsMissingFolder(p));  // the old answer is painted meanwhile
  EXPECT_FALSE(cache.Answer(share, false, 0, t0 + milliseconds(15000)));  // no change: no repaint
  EXPECT_TRUE(cache.Answer(share, true, kAttrDirectory | kAttrHidden, t0 + milliseconds(16000)));
  p = cache.Look(share, t0 + milliseconds(16000), start);
  EXPECT_FALSE(IsMissingFolder(p));
  EXPECT_TRUE(IsGhostedPresence("\\\\nas\\photos", p));
  // Paths are asked about each on their own.
  cache.Look("\\\\nas\\music", t0, start);
  EXPECT_TRUE(start);
}

// A drive's kind is asked once per letter, either case, until the answer grows stale.
TEST(DriveKindCache, AsksOncePerLetterWhileFresh) {
  std::string asked;
  DriveKindCache drives([&](char letter) { asked += letter; return letter == 'N'; }, milliseconds(5000));
  const Clock::time_point t0 = Clock::now();
  EXPECT_FALSE(drives.IsSlow('c', t0));
  EXPECT_FALSE(drives.IsSlow('C', t0 + milliseconds(4999)));
  EXPECT_TRUE(drives.IsSlow('n', t0));
  EXPECT_TRUE(drives.IsSlow('N', t0 + milliseconds(10)));
  EXPECT_FALSE(drives.IsSlow('c', t0 + milliseconds(5000)));
  EXPECT_EQ(asked, "CNC");
}

TEST(FolderPresence, MissingAndGhostedOnlyOnceKnown) {
  struct Case {
    FolderPresence presence;
    bool missing, ghosted;
  };
  const Case cases[] = {
      {{false, false, 0}, false, false},                      // not asked yet
      {{true, false, 0}, true, false},                        // not there
      {{true, true, kAttrArchive}, true, false},              // a file, no folder
      {{true, true, kAttrDirectory}, false, false},
      {{true, true, kAttrDirectory | kAttrHidden}, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsMissingFolder(c.presence), c.missing);
    EXPECT_EQ(IsGhostedPresence("E:\\photos", c.presence), c.ghosted);
  }
  // A drive root is never ghosted.
  EXPECT_FALSE(IsGhostedPresence("E:\\", {true, true, kAttrDirectory | kAttrHidden}));
}

}  // namespace
}  // namespace velmora
