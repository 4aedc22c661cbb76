#include "thumbs/win32/wic_picture.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>

#include "win32/com_ptr.h"
#include "win32/strings.h"

namespace velmora {

namespace {
// Spelled out here so that nothing of the imaging component is linked in.
const CLSID kClsidImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const IID kIidImagingFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
const GUID kFormat32bppPBGRA = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};
}  // namespace

bool DecodeWithImagingComponent(const std::string& path, int minWidth, int minHeight, DecodedPicture& out) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(kClsidImagingFactory, nullptr, CLSCTX_INPROC_SERVER, kIidImagingFactory,
                              factory.put_void())))
    return false;
  const std::wstring widePath = AnsiToWide(path, 32767);
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.put()))) return false;
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
      static_cast<std::int64_t>(width) * height > kMaxDecodedPixels)
    return false;

  IWICBitmapSource* source = frame.get();
  ComPtr<IWICBitmapScaler> scaler;
  UINT outWidth = width, outHeight = height;
  if (minWidth > 0 && minHeight > 0) {
    const UINT factor = std::min(width / static_cast<UINT>(minWidth), height / static_cast<UINT>(minHeight));
    if (factor >= 2 && SUCCEEDED(factory->CreateBitmapScaler(scaler.put()))) {
      outWidth = std::max<UINT>(1, width / factor);
      outHeight = std::max<UINT>(1, height / factor);
      if (SUCCEEDED(scaler->Initialize(frame.get(), outWidth, outHeight, WICBitmapInterpolationModeFant))) {
        source = scaler.get();
      } else {
        outWidth = width;
        outHeight = height;
      }
    }
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(source, kFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return false;
  out.pixels.Resize(static_cast<int>(outWidth), static_cast<int>(outHeight));
  const UINT stride = outWidth * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * outHeight, reinterpret_cast<BYTE*>(out.pixels.Row(0)))))
    return false;
  // Premultiplied, so over white each channel gains what the picture does not cover.
  for (UINT y = 0; y < outHeight; ++y) {
    std::uint32_t* row = out.pixels.Row(static_cast<int>(y));
    for (UINT x = 0; x < outWidth; ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t uncovered = 255 - (p >> 24);
      const std::uint32_t b = std::min<std::uint32_t>(255, (p & 0xFF) + uncovered);
      const std::uint32_t g = std::min<std::uint32_t>(255, ((p >> 8) & 0xFF) + uncovered);
      const std::uint32_t r = std::min<std::uint32_t>(255, ((p >> 16) & 0xFF) + uncovered);
      row[x] = b | (g << 8) | (r << 16);
    }
  }
  out.sourceWidth = static_cast<int>(width);
  out.sourceHeight = static_cast<int>(height);
  return true;
}

}  // namespace velmora
