// Rasters to and from GDI bitmaps: cells for image lists, shell thumbnails for fitting.
#pragma once
#include <windows.h>

#include "thumbs/raster.h"

namespace velmora {

// The header of a 32-bit top-down DIB, the layout a Raster has in memory.
BITMAPINFO TopDownBitmapInfo(int width, int height);

// A 32-bit top-down DIB section holding a copy of the raster; the caller owns it. Null for
// an empty raster or when GDI refuses.
HBITMAP CreateBitmapFromRaster(const Raster& raster);

// The bitmap's pixels, of whatever depth, as a raster. False when GDI cannot read them.
bool RasterFromBitmap(HBITMAP bitmap, Raster& raster);

}  // namespace velmora
