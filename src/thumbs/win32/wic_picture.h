// Pictures the program does not decode itself (PNG, GIF and the like), through the system's
// imaging component where there is one. It is reached through COM at run time, so the program
// starts without it; there, these files simply give no picture.
#pragma once
#include <string>

#include "thumbs/picture_decode.h"

namespace velmora {

// The first frame composed over white. A picture far larger than minWidth x minHeight is
// reduced while decoding, never below that. COM must be started on the calling thread.
bool DecodeWithImagingComponent(const std::string& path, int minWidth, int minHeight, DecodedPicture& out);

}  // namespace velmora
