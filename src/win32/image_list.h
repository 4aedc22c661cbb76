// An owning image list handle.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace velmora {

class ImageList {
 public:
  ImageList() = default;
  explicit ImageList(HIMAGELIST list) : list_(list) {}
  ~ImageList() { Reset(); }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  ImageList(ImageList&& o) noexcept : list_(o.list_) { o.list_ = nullptr; }
  ImageList& operator=(ImageList&& o) noexcept {
    if (this != &o) {
      Reset(o.list_);
      o.list_ = nullptr;
    }
    return *this;
  }
  HIMAGELIST get() const { return list_; }
  explicit operator bool() const { return list_ != nullptr; }
  void Reset(HIMAGELIST list = nullptr) {
    if (list_ && list_ != list) ImageList_Destroy(list_);
    list_ = list;
  }

 private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace velmora
