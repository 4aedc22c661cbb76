#include "thumbs/picture_types.h"

#include <string>

#include "text/cp932.h"

namespace velmora {

namespace {
// Extensions are ASCII, so lower-casing bytes cannot touch a double-byte character.
std::string LowerExtension(std::string_view path) {
  std::string ext = FileExtension(path);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}
}  // namespace

bool IsOwnThumbnailType(std::string_view path) {
  const std::string ext = LowerExtension(path);
  return ext == ".bmp" || ext == ".jpg";
}

PreviewDecoder PreviewDecoderFor(std::string_view path) {
  // Chosen by name so that no large file of another kind is read just to find out.
  const std::string ext = LowerExtension(path);
  if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif" || ext == ".bmp" || ext == ".dib")
    return PreviewDecoder::Own;
  if (ext == ".png" || ext == ".gif" || ext == ".tif" || ext == ".tiff" || ext == ".ico")
    return PreviewDecoder::ImagingComponent;
  return PreviewDecoder::None;
}

}  // namespace velmora
