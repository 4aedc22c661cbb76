// An owning item identifier list, freed with the shell allocator.
#pragma once
#include <windows.h>
#include <shlobj.h>

namespace velmora {

class ItemIdList {
 public:
  ItemIdList() = default;
  ItemIdList(LPITEMIDLIST list, IMalloc* allocator) : list_(list), allocator_(allocator) {}
  ~ItemIdList() { Reset(); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  ItemIdList(ItemIdList&& o) noexcept : list_(o.list_), allocator_(o.allocator_) { o.list_ = nullptr; }
  ItemIdList& operator=(ItemIdList&& o) noexcept {
    if (this != &o) {
      Reset();
      list_ = o.list_;
      allocator_ = o.allocator_;
      o.list_ = nullptr;
    }
    return *this;
  }
  LPITEMIDLIST get() const { return list_; }
  explicit operator bool() const { return list_ != nullptr; }
  // For out-parameters: frees what is held, then lends the slot.
  LPITEMIDLIST* put(IMalloc* allocator) {
    Reset();
    allocator_ = allocator;
    return &list_;
  }
  void Reset() {
    if (!list_) return;
    if (allocator_)
      allocator_->Free(list_);
    else
      CoTaskMemFree(list_);
    list_ = nullptr;
  }

 private:
  LPITEMIDLIST list_ = nullptr;
  IMalloc* allocator_ = nullptr;
};

}  // namespace velmora
