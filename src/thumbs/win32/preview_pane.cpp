#include "thumbs/win32/preview_pane.h"

#include <mutex>
#include <optional>
#include <thread>

#include "thumbs/picture_fit.h"
#include "thumbs/picture_types.h"
#include "thumbs/win32/raster_bitmap.h"
#include "thumbs/win32/shell_thumbnail.h"
#include "thumbs/win32/wic_picture.h"
#include "win32/strings.h"
#include "win32/thread_stack.h"

namespace velmora {

namespace {
// The decoding thread's answer to the pane; lParam is a Found*.
constexpr UINT kPictureReady = WM_APP + 1;
}  // namespace

bool PreviewPane::Create(HWND parent, int id) {
  return CreateChild(kClassName, parent, id, WS_CLIPSIBLINGS, 0, 0, 0, 0);
}

bool PreviewPane::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message == kPictureReady) {
    PictureReady(lParam);
    result = 0;
    return true;
  }
  if (message != WM_SIZE) return false;
  // The user's splitter changes the height: the same picture is fitted again.
  Render();
  InvalidateRect(hwnd(), nullptr, FALSE);
  result = 0;
  return true;
}

namespace {

struct Found {
  unsigned request = 0;
  bool shown = false;
  DecodedPicture picture;
};

bool FindPicture(const ShellContext* shell, const std::string& path, int width, int height, DecodedPicture& picture) {
  if (shell) {
    if (HBITMAP bitmap = ExtractShellThumbnail(*shell, path, width, height)) {
      const bool read = RasterFromBitmap(bitmap, picture.pixels);
      DeleteObject(bitmap);
      if (read) {
        picture.sourceWidth = picture.pixels.width();
        picture.sourceHeight = picture.pixels.height();
        return true;
      }
    }
  }
  // Where the shell has no extractor (older systems, Wine), the program's own decoders.
  switch (PreviewDecoderFor(path)) {
    case PreviewDecoder::Own: {
      PictureReader reader(&SystemFiles());
      return reader.Load(path, width, height, picture);
    }
    case PreviewDecoder::ImagingComponent:
      return DecodeWithImagingComponent(path, width, height, picture);
    case PreviewDecoder::None:
      break;
  }
  return false;
}

}  // namespace

// The latest picture asked for, taken by one thread at a time; a request that came while it
// worked replaces any that was waiting.
struct PreviewPane::Decoder {
  struct Request {
    unsigned id;
    std::string path;
    int width, height;
    bool shell;
  };
  std::mutex mutex;
  std::optional<Request> waiting;
  bool running = false;
  HWND pane = nullptr;

  void Run() {
    ShellContext shell;
    bool started = false;
    for (;;) {
      Request request;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (!waiting) {
          running = false;
          break;
        }
        request = std::move(*waiting);
        waiting.reset();
      }
      if (request.shell && !started) {
        // COM of this thread's own: the window's shell objects belong to its apartment.
        shell.Start();
        started = true;
      }
      auto found = std::make_unique<Found>();
      found->request = request.id;
      found->shown = IsExistingFile(request.path) &&
                     FindPicture(request.shell ? &shell : nullptr, request.path, request.width, request.height, found->picture);
      Found* posted = found.release();
      if (!PostMessageA(pane, kPictureReady, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
    }
    if (started) shell.Stop();
  }
};

bool PreviewPane::Update(int systemLevel, const std::string& path) {
  ++request_;
  if (!hwnd() || path.empty()) return Hide();
  RECT r = {};
  GetClientRect(hwnd(), &r);
  // A pane never shown yet has no size: the picture is asked for at the pane's usual size.
  const int width = r.right > 0 ? r.right : 152;
  const int height = r.bottom > 0 ? r.bottom : 95;
  const int inset = kBevel + 1;
  if (!decoder_) {
    decoder_ = std::make_shared<Decoder>();
    decoder_->pane = hwnd();
  }
  std::lock_guard<std::mutex> lock(decoder_->mutex);
  decoder_->waiting = Decoder::Request{request_, path, width - 2 * inset, height - 2 * inset, systemLevel != 0};
  if (!decoder_->running) {
    decoder_->running = true;
    std::thread([decoder = decoder_] {
      GiveBackUnusedStack();
      decoder->Run();
    }).detach();
  }
  return false;
}

void PreviewPane::PictureReady(LPARAM lp) {
  const std::unique_ptr<Found> found(reinterpret_cast<Found*>(lp));
  // A newer selection asked for another picture meanwhile.
  if (found->request != request_) return;
  bool changed;
  if (found->shown) {
    picture_ = std::move(found->picture);
    Render();
    InvalidateRect(hwnd(), nullptr, FALSE);
    changed = SetShown(true);
  } else {
    changed = Hide();
  }
  if (changed)
    SendMessageA(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd()), kShownChanged),
                 reinterpret_cast<LPARAM>(hwnd()));
}

bool PreviewPane::Hide() {
  picture_.pixels = Raster();
  canvas_ = Raster();
  return SetShown(false);
}

bool PreviewPane::SetShown(bool shown) {
  if (shown == shown_) return false;
  shown_ = shown;
  if (hwnd()) ShowWindow(hwnd(), shown ? SW_SHOWNA : SW_HIDE);
  return true;
}

void PreviewPane::Render() {
  RECT r = {};
  if (!hwnd() || !GetClientRect(hwnd(), &r)) return;
  const int width = r.right - 2 * kBevel, height = r.bottom - 2 * kBevel;
  if (width <= 2 || height <= 2 || picture_.pixels.width() <= 0) {
    canvas_ = Raster();
    return;
  }
  canvas_.Resize(width, height);
  canvas_.Fill(0, 0, width, height, kCellWhite);
  const FittedRect fit = FitImageInBox(width - 2, height - 2, picture_.sourceWidth, picture_.sourceHeight);
  StretchRaster(picture_.pixels, canvas_, fit.left + 1, fit.top + 1, fit.width, fit.height);
}

void PreviewPane::Paint(HDC dc) {
  RECT r = {};
  GetClientRect(hwnd(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT);
  if (canvas_.width() <= 0) return;
  BITMAPINFO info = TopDownBitmapInfo(canvas_.width(), canvas_.height());
  SetDIBitsToDevice(dc, kBevel, kBevel, static_cast<DWORD>(canvas_.width()), static_cast<DWORD>(canvas_.height()), 0,
                    0, 0, static_cast<UINT>(canvas_.height()), canvas_.Row(0), &info, DIB_RGB_COLORS);
}

}  // namespace velmora
