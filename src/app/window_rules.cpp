#include "app/window_rules.h"

namespace velmora {

int SystemLevelFor(bool known, unsigned platformId, unsigned major, unsigned minor) {
  if (!known) return 0;
  if (platformId == kPlatformNt) return major >= 5 ? 2 : 0;
  if (platformId == kPlatformWindows9x) return (major == 4 && minor >= 90) ? 1 : 0;
  return 0;
}

int LaidOutLeftWidth(int storedWidth, int clientWidth) {
  const int maxLeft = clientWidth - kSplitterWidth - kSplitterMinimum;
  int width = storedWidth > maxLeft ? maxLeft : storedWidth;
  return width < kSplitterMinimum ? kSplitterMinimum : width;
}

int DraggedLeftWidth(int x, int clientWidth) { return LaidOutLeftWidth(x, clientWidth); }

int LaidOutPreviewHeight(int storedHeight, int columnHeight) {
  const int maxHeight = columnHeight - kSplitterWidth - kSplitterMinimum;
  // Too short a column for both minimums: the two share it.
  if (maxHeight < kSplitterMinimum) {
    const int half = (columnHeight - kSplitterWidth) / 2;
    return half > 0 ? half : 0;
  }
  if (storedHeight > maxHeight) return maxHeight;
  return storedHeight < kSplitterMinimum ? kSplitterMinimum : storedHeight;
}

int DraggedPreviewHeight(int y, int columnTop, int columnBottom) {
  return LaidOutPreviewHeight(columnBottom - y - kSplitterWidth, columnBottom - columnTop);
}

}  // namespace velmora
