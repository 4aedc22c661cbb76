// Which files the pass decodes itself and where the preview looks for a picture.
#include <gtest/gtest.h>

#include "thumbs/picture_types.h"

namespace velmora {
namespace {

TEST(PictureTypes, OwnThumbnailsAreBmpAndJpgInAnyCase) {
  EXPECT_TRUE(IsOwnThumbnailType("C:\\p\\a.jpg"));
  EXPECT_TRUE(IsOwnThumbnailType("C:\\p\\A.JPG"));
  EXPECT_TRUE(IsOwnThumbnailType("C:\\p\\b.Bmp"));
  EXPECT_FALSE(IsOwnThumbnailType("C:\\p\\c.jpeg"));
  EXPECT_FALSE(IsOwnThumbnailType("C:\\p\\d.png"));
  EXPECT_FALSE(IsOwnThumbnailType("C:\\p.jpg\\readme"));
  EXPECT_FALSE(IsOwnThumbnailType("C:\\p\\jpg"));
  // A double-byte name whose trail byte is a backslash keeps its extension.
  EXPECT_TRUE(IsOwnThumbnailType("C:\\p\\\x95\x5c.jpg"));
}

TEST(PictureTypes, PreviewDecoderByExtension) {
  EXPECT_EQ(PreviewDecoderFor("a.jpeg"), PreviewDecoder::Own);
  EXPECT_EQ(PreviewDecoderFor("a.JPG"), PreviewDecoder::Own);
  EXPECT_EQ(PreviewDecoderFor("a.bmp"), PreviewDecoder::Own);
  EXPECT_EQ(PreviewDecoderFor("a.PNG"), PreviewDecoder::ImagingComponent);
  EXPECT_EQ(PreviewDecoderFor("a.gif"), PreviewDecoder::ImagingComponent);
  EXPECT_EQ(PreviewDecoderFor("a.txt"), PreviewDecoder::None);
  EXPECT_EQ(PreviewDecoderFor("noext"), PreviewDecoder::None);
}

}  // namespace
}  // namespace velmora
