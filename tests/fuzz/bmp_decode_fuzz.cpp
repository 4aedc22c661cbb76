// The BMP decoder: any bytes decode or are refused, reading only the bytes given; a picture
// decoded is reduced no further than asked and fits its thumbnail cell.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/picture_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The box comes from the input's tail, the file is all of it.
  const int boxWidth = size > 0 ? 1 + data[size - 1] % 160 : 96;
  const int boxHeight = size > 1 ? 1 + data[size - 2] % 160 : 96;
  const int wants[][2] = {{0, 0}, {boxWidth, boxHeight}};
  for (const auto& want : wants) {
    velmora::DecodedPicture out;
    std::string error;
    if (!velmora::DecodeBmp(data, size, want[0], want[1], out, &error)) {
      FUZZ_CHECK(!error.empty());
      continue;
    }
    if (want[0] == 0) {
      FUZZ_CHECK(out.pixels.width() == out.sourceWidth && out.pixels.height() == out.sourceHeight);
    } else {
      // Reduced only while both sides still cover the box.
      FUZZ_CHECK(out.pixels.width() >= std::min(want[0], out.sourceWidth));
      FUZZ_CHECK(out.pixels.height() >= std::min(want[1], out.sourceHeight));
    }
    FUZZ_CHECK(!out.damaged && !out.embeddedThumbnail);
    fuzz::CheckThumbnailCell(out, boxWidth, boxHeight);
  }
  return 0;
}
