// The JPEG path: libjpeg behind the program's error manager. Any bytes, headers claiming huge
// sizes included, decode or are refused with a message and without ending the process; a
// picture decoded has the size its header gives, reduced no further than asked.
#include <cstdint>
#include <string>

#include "fuzz/picture_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int boxWidth = size > 0 ? 1 + data[size - 1] % 160 : 96;
  const int boxHeight = size > 1 ? 1 + data[size - 2] % 160 : 96;
  int width = 0, height = 0;
  const bool sized = velmora::ReadJpegSize(data, size, width, height);
  // Full size only for pictures a fuzzing run can afford to decode many times a second.
  const bool small = sized && std::int64_t{width} * height <= (std::int64_t{1} << 20);
  const int wants[][2] = {{boxWidth, boxHeight}, {0, 0}};
  for (const auto& want : wants) {
    if (want[0] == 0 && !small) continue;
    velmora::DecodedPicture out;
    std::string error;
    if (!velmora::DecodeJpeg(data, size, want[0], want[1], out, &error)) {
      FUZZ_CHECK(!error.empty());
      continue;
    }
    FUZZ_CHECK(sized && out.sourceWidth == width && out.sourceHeight == height);
    const int d = velmora::JpegScaleDenominator(width, height, want[0], want[1]);
    FUZZ_CHECK(out.pixels.width() == (width + d - 1) / d && out.pixels.height() == (height + d - 1) / d);
    if (want[0] > 0) {
      FUZZ_CHECK(out.pixels.width() >= std::min(want[0], width));
      FUZZ_CHECK(out.pixels.height() >= std::min(want[1], height));
    }
    FUZZ_CHECK(!out.embeddedThumbnail);
    fuzz::CheckThumbnailCell(out, boxWidth, boxHeight);
  }
  return 0;
}
