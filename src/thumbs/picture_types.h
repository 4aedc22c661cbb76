// Which files get pictures from where, by their extension.
#pragma once
#include <string_view>

namespace velmora {

// .bmp and .jpg in any case: the thumbnail pass decodes these itself unless high quality is
// asked for (".jpeg" goes to the shell like every other file).
bool IsOwnThumbnailType(std::string_view path);

// Where the preview finds a picture when the shell gives none.
enum class PreviewDecoder { None, Own, ImagingComponent };
PreviewDecoder PreviewDecoderFor(std::string_view path);

}  // namespace velmora
