// Owning Win32 handles: one move-only holder, and per kind of handle a traits type that
// says what "none" is and how the handle is given back.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <utility>

namespace velmora {

template <class Traits>
class Owned {
 public:
  using Handle = typename Traits::Handle;

  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : handle_(o.Release()) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::None() && handle_ != nullptr; }
  // Gives back what is held (unless it is the new handle itself) and holds the new one.
  void Reset(Handle handle = Traits::None()) {
    if (*this && handle_ != handle) Traits::Close(handle_);
    handle_ = handle;
  }
  Handle Release() { return std::exchange(handle_, Traits::None()); }
  // For out-parameters: gives back what is held, then lends the slot.
  Handle* put() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::None();
};

// Handles whose "none" is null.
template <class H>
struct NullIsNone {
  using Handle = H;
  static constexpr Handle None() { return nullptr; }
};

template <class H>
struct GdiObjectTraits : NullIsNone<H> {
  static void Close(H object) { DeleteObject(object); }
};
struct IconTraits : NullIsNone<HICON> {
  static void Close(HICON icon) { DestroyIcon(icon); }
};
struct MenuTraits : NullIsNone<HMENU> {
  static void Close(HMENU menu) { DestroyMenu(menu); }
};
struct AcceleratorTraits : NullIsNone<HACCEL> {
  static void Close(HACCEL table) { DestroyAcceleratorTable(table); }
};
// A DC the program made itself (CreateCompatibleDC), not one borrowed from a window.
struct MemoryDcTraits : NullIsNone<HDC> {
  static void Close(HDC dc) { DeleteDC(dc); }
};
struct ImageListTraits : NullIsNone<HIMAGELIST> {
  static void Close(HIMAGELIST list) { ImageList_Destroy(list); }
};
// The shell allocates item identifier lists with the COM task allocator.
struct ItemIdListTraits : NullIsNone<LPITEMIDLIST> {
  static void Close(LPITEMIDLIST list) { CoTaskMemFree(list); }
};
// Kernel objects whose failure is null (CreateEvent's, for one).
struct KernelHandleTraits : NullIsNone<HANDLE> {
  static void Close(HANDLE object) { CloseHandle(object); }
};

// FindFirstFile reports failure as INVALID_HANDLE_VALUE, not null.
struct FindTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE search) { FindClose(search); }
};

using OwnedFont = Owned<GdiObjectTraits<HFONT>>;
using OwnedBrush = Owned<GdiObjectTraits<HBRUSH>>;
using OwnedPen = Owned<GdiObjectTraits<HPEN>>;
using OwnedBitmap = Owned<GdiObjectTraits<HBITMAP>>;
using OwnedIcon = Owned<IconTraits>;
using OwnedMenu = Owned<MenuTraits>;
using OwnedAccelerators = Owned<AcceleratorTraits>;
using OwnedDc = Owned<MemoryDcTraits>;
using ImageList = Owned<ImageListTraits>;
struct GlobalTraits : NullIsNone<HGLOBAL> {
  static void Close(HGLOBAL memory) { GlobalFree(memory); }
};

using FindHandle = Owned<FindTraits>;
using OwnedEvent = Owned<KernelHandleTraits>;
using ItemIdList = Owned<ItemIdListTraits>;
using OwnedGlobal = Owned<GlobalTraits>;

// An object selected into a DC for this holder's life; the DC's earlier object is put
// back before either is freed (declare it after the owners of the DC and the object).
class SelectedObject {
 public:
  SelectedObject() = default;
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() { Restore(); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  SelectedObject(SelectedObject&& o) noexcept : dc_(o.dc_), old_(std::exchange(o.old_, nullptr)) {}
  SelectedObject& operator=(SelectedObject&& o) noexcept {
    if (this != &o) {
      Restore();
      dc_ = o.dc_;
      old_ = std::exchange(o.old_, nullptr);
    }
    return *this;
  }
  void Restore() {
    if (old_) SelectObject(dc_, old_);
    old_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A memory DC with its own bitmap selected: the drawing surface of a window that paints
// from a back buffer or keeps a picture ready to blit.
struct MemoryBitmap {
  OwnedBitmap bitmap;
  OwnedDc dc;
  SelectedObject selected;  // last: restored before the DC and the bitmap go

  explicit operator bool() const { return static_cast<bool>(dc); }
  // Takes over `made` (may be null) in a new DC compatible with `reference`.
  void Hold(HDC reference, HBITMAP made) {
    selected.Restore();
    dc.Reset(CreateCompatibleDC(reference));
    bitmap.Reset(made);
    selected = SelectedObject(dc.get(), made);
  }
  void Reset() {
    selected.Restore();
    dc.Reset();
    bitmap.Reset();
  }
};

// A global memory block locked for this holder's life.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalLockGuard() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  void* data() const { return data_; }
  std::size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// A movable global block holding a copy of `size` bytes (clipboard and drag data); none when
// the memory cannot be had.
inline OwnedGlobal GlobalCopy(const void* bytes, std::size_t size) {
  OwnedGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size));
  const GlobalLockGuard lock(memory.get());
  if (!lock.data()) return OwnedGlobal();
  std::memcpy(lock.data(), bytes, size);
  return memory;
}

}  // namespace velmora
