#include "binders/win32/binder_tree.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "common/collation.h"
#include "store/ini_document.h"
#include "win32/bulk_update.h"

namespace velmora {

namespace {
constexpr COLORREF kMissingColor = RGB(255, 0, 0);
constexpr COLORREF kMissingSelectedColor = RGB(255, 0, 255);
// Posted to the tree control itself, which has no use for the WM_APP range.
constexpr UINT kFolderChecksAnswered = WM_APP + 0x7F0;

HTREEITEM Child(HWND tree, HTREEITEM item) { return TreeView_GetChild(tree, item); }
HTREEITEM Next(HWND tree, HTREEITEM item) { return TreeView_GetNextSibling(tree, item); }

LPARAM ItemParam(HWND tree, HTREEITEM item) {
  TVITEMA tvi = {};
  tvi.mask = TVIF_PARAM | TVIF_HANDLE;
  tvi.hItem = item;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return 0;
  return tvi.lParam;
}

// The children being sorted: each node's text and its place before the sort, by its id.
struct SortContext {
  std::unordered_map<LPARAM, std::pair<std::string, std::size_t>> children;
  const Collation* collation;
};

int CALLBACK CompareByText(LPARAM a, LPARAM b, LPARAM context) {
  const SortContext* c = reinterpret_cast<const SortContext*>(context);
  const auto& first = c->children.at(a);
  const auto& second = c->children.at(b);
  const int r = c->collation->Compare(first.first, second.first);
  if (r != 0) return r;
  return first.second < second.second ? -1 : (first.second > second.second ? 1 : 0);  // equal texts keep their order
}
}  // namespace

BinderTree::~BinderTree() = default;

void BinderTree::Attach(HWND tree) {
  tree_ = tree;
  // The answers go to the holding window rather than to a subclass of the control: under Wine
  // a subclassed window pays a server round trip for every message, and the tree gets
  // thousands of them at start.
  probe_.SetNotify(GetParent(tree_), kFolderChecksAnswered);
}

bool BinderTree::HandleParentMessage(UINT msg) {
  if (msg != kFolderChecksAnswered) return false;
  FolderChecksAnswered();
  return true;
}

void BinderTree::FolderChecksAnswered() {
  const std::vector<std::string> changed = probe_.TakeAnswers();
  if (changed.empty()) return;
  const std::unordered_set<std::string> paths(changed.begin(), changed.end());
  ForEachNode([&](HTREEITEM item, int level) {
    const std::string* path = level == 2 ? FolderPath(item) : nullptr;
    if (!path || !paths.count(*path)) return;
    MarkGhosting(item, *path);
    RECT r;
    if (TreeView_GetItemRect(tree_, item, &r, FALSE)) InvalidateRect(tree_, &r, TRUE);
  });
}

template <typename F>
void BinderTree::ForEachNode(F f) const {
  // Three levels at most: walk them in tree order.
  for (HTREEITEM root = TreeView_GetRoot(tree_); root; root = Next(tree_, root)) {
    f(root, 0);
    for (HTREEITEM binder = Child(tree_, root); binder; binder = Next(tree_, binder)) {
      f(binder, 1);
      for (HTREEITEM folder = Child(tree_, binder); folder; folder = Next(tree_, folder)) f(folder, 2);
    }
  }
}

HTREEITEM BinderTree::Insert(HTREEITEM parent, const std::string& text, const std::string* path,
                             int image, int selectedImage, bool ghosted, bool childrenAsked) {
  // Every node has an id of its own, never given again; a folder node's path is kept under it.
  const LPARAM id = ++lastId_;
  TVINSERTSTRUCTA ins = {};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  ins.item.pszText = const_cast<char*>(text.c_str());
  ins.item.lParam = id;
  ins.item.iImage = image;
  ins.item.iSelectedImage = selectedImage;
  ins.item.stateMask = TVIS_CUT;
  ins.item.state = ghosted ? TVIS_CUT : 0;
  if (childrenAsked) {
    ins.item.mask |= TVIF_CHILDREN;
    ins.item.cChildren = I_CHILDRENCALLBACK;
  }
  HTREEITEM item = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  if (path && item) paths_.emplace(id, *path);
  return item;
}

void BinderTree::BuildRootOnly(int rootImage) { Build({}, rootImage); }

void BinderTree::Build(std::vector<BinderEntry> binders, int rootImage) {
  rootImage_ = rootImage;
  BulkUpdate update(tree_);
  ReleasePaths();
  unshown_.clear();
  unlooked_.clear();
  TreeView_DeleteAllItems(tree_);
  HTREEITEM root = Insert(TVI_ROOT, kRootText, nullptr, rootImage, rootImage, false);
  for (BinderEntry& binder : binders) {
    HTREEITEM node = InsertBinder(root, binder.title);
    if (node) unshown_.emplace(node, std::move(binder));
  }
}

HTREEITEM BinderTree::InsertBinder(HTREEITEM root, const std::string& title) {
  // The control asks whether the binder has folders, so that its button shows before they
  // are inserted and goes with the last of them.
  const int image = NodeImage(1, false, rootImage_);
  return Insert(root, title, nullptr, image, image, false, true);
}

HTREEITEM BinderTree::InsertFolder(HTREEITEM binder, const FolderEntry& folder) {
  // Looked up when first drawn: an open binder far down the tree costs nothing at start.
  HTREEITEM node = Insert(binder, folder.displayName, &folder.path, NodeImage(2, false, rootImage_),
                          NodeImage(2, true, rootImage_), false);
  if (node) unlooked_.insert(node);
  return node;
}

void BinderTree::ShowFolders(HTREEITEM binder) {
  auto it = unshown_.find(binder);
  if (it == unshown_.end()) return;
  std::vector<FolderEntry> folders = std::move(it->second.folders);
  unshown_.erase(it);
  SortFolders(folders, collation_);
  for (const FolderEntry& folder : folders) InsertFolder(binder, folder);
}

bool BinderTree::HasFolders(HTREEITEM binder) const {
  auto it = unshown_.find(binder);
  if (it != unshown_.end()) return !it->second.folders.empty();
  return binder && Child(tree_, binder);
}

void BinderTree::SortChildren(HTREEITEM parent) {
  // The control's callback sort sees only lParam, each node's own id: the comparison looks
  // the texts up by it, and no node's data is touched.
  SortContext context{{}, &collation_};
  std::size_t place = 0;
  for (HTREEITEM c = TreeView_GetChild(tree_, parent); c; c = TreeView_GetNextSibling(tree_, c))
    context.children.emplace(ItemParam(tree_, c), std::make_pair(Text(c), place++));
  if (context.children.size() < 2) return;
  TVSORTCB sort = {};
  sort.hParent = parent;
  sort.lParam = reinterpret_cast<LPARAM>(&context);
  sort.lpfnCompare = &CompareByText;
  SendMessageA(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void BinderTree::Sort() {
  for (HTREEITEM root = TreeView_GetRoot(tree_); root; root = Next(tree_, root)) {
    SortChildren(root);
    for (HTREEITEM binder = Child(tree_, root); binder; binder = Next(tree_, binder))
      SortChildren(binder);
  }
}

void BinderTree::RestoreExpandedState(const IniDocument& folders) {
  // With thousands of binders every call to the control counts: a binder never expanded
  // has its title here and is closed already.
  HTREEITEM root = Root();
  if (!root) return;
  // Drawing off: each node inserted into a drawn tree has it invalidated again.
  BulkUpdate update(tree_);
  for (HTREEITEM binder = Child(tree_, root); binder; binder = Next(tree_, binder)) {
    auto it = unshown_.find(binder);
    bool open = false;
    const bool expanded = folders.ReadBool(it != unshown_.end() ? it->second.title : BinderText(binder, &open),
                                           kExpandedKey, true);
    if (!expanded && it != unshown_.end()) continue;
    TreeView_Expand(tree_, binder, expanded ? TVE_EXPAND : TVE_COLLAPSE);
    UpdateImages(binder, 1, IsExpanded(binder));
  }
}

void BinderTree::SaveExpandedState(IniDocument& folders) const {
  HTREEITEM root = Root();
  if (!root) return;
  for (HTREEITEM binder = Child(tree_, root); binder; binder = Next(tree_, binder)) {
    auto it = unshown_.find(binder);
    if (it != unshown_.end()) {
      folders.WriteBool(it->second.title, kExpandedKey, false);
      continue;
    }
    bool open = false;
    const std::string title = BinderText(binder, &open);
    folders.WriteBool(title, kExpandedKey, open);
  }
}

std::string BinderTree::BinderText(HTREEITEM binder, bool* expanded) const {
  char buf[1024] = "";
  TVITEMA tvi = {};
  tvi.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
  tvi.hItem = binder;
  tvi.stateMask = TVIS_EXPANDED;
  tvi.pszText = buf;
  tvi.cchTextMax = sizeof(buf);
  if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return std::string();
  *expanded = (tvi.state & TVIS_EXPANDED) != 0;
  return std::string(buf);
}

void BinderTree::ExpandRoot() {
  if (HTREEITEM root = Root()) TreeView_Expand(tree_, root, TVE_EXPAND);
}

void BinderTree::SetExpandedAll(bool expand) {
  BulkUpdate update(tree_);
  ForEachNode([&](HTREEITEM item, int) {
    TreeView_Expand(tree_, item, expand ? TVE_EXPAND : TVE_COLLAPSE);
    UpdateImages(item);
  });
}

void BinderTree::ExpandAll() { SetExpandedAll(true); }
void BinderTree::CollapseAll() { SetExpandedAll(false); }

void BinderTree::ReleasePaths() { paths_.clear(); }

const std::string* BinderTree::OwnedPath(LPARAM id) const {
  // Ids are never given twice: a node whose path was released finds none, ever.
  auto it = paths_.find(id);
  return it == paths_.end() ? nullptr : &it->second;
}

HTREEITEM BinderTree::AddFolderNode(HTREEITEM binder, const FolderEntry& folder) {
  ShowFolders(binder);
  return InsertFolder(binder, folder);
}

void BinderTree::DeleteNode(HTREEITEM item) {
  if (!item) return;
  std::vector<HTREEITEM> pending{item};
  std::vector<LPARAM> ids;
  while (!pending.empty()) {
    HTREEITEM node = pending.back();
    pending.pop_back();
    ids.push_back(ItemParam(tree_, node));
    unlooked_.erase(node);
    for (HTREEITEM c = Child(tree_, node); c; c = Next(tree_, c)) pending.push_back(c);
  }
  TreeView_DeleteItem(tree_, item);
  // The nodes are gone before their paths, so that no draw reads a freed path.
  for (LPARAM id : ids) paths_.erase(id);
  unshown_.erase(item);
}

void BinderTree::SetText(HTREEITEM item, const std::string& text) {
  TVITEMA tvi = {};
  tvi.mask = TVIF_TEXT | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.pszText = const_cast<char*>(text.c_str());
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
  auto it = unshown_.find(item);
  if (it != unshown_.end()) it->second.title = text;
}

void BinderTree::Select(HTREEITEM item) { TreeView_SelectItem(tree_, item); }

HTREEITEM BinderTree::FindFolder(HTREEITEM binder, const std::string& path) {
  ShowFolders(binder);
  for (HTREEITEM f = binder ? Child(tree_, binder) : nullptr; f; f = Next(tree_, f)) {
    const std::string* own = FolderPath(f);
    if (own && collation_.CompareIgnoreCase(*own, path) == 0) return f;
  }
  return nullptr;
}

HTREEITEM BinderTree::NodeAt(POINT client) const {
  TVHITTESTINFO hit = {};
  hit.pt = client;
  HTREEITEM item = TreeView_HitTest(tree_, &hit);
  return (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

HTREEITEM BinderTree::RowAt(POINT client) const {
  TVHITTESTINFO hit = {};
  hit.pt = client;
  HTREEITEM item = TreeView_HitTest(tree_, &hit);
  return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT)) ? item : nullptr;
}

void BinderTree::UseImageList(HIMAGELIST list, bool small) {
  TreeView_SetImageList(tree_, list, TVSIL_NORMAL);
  if (small) TreeView_SetIndent(tree_, 19);
}

void BinderTree::SetRootImage(int image) {
  rootImage_ = image;
  if (HTREEITEM root = Root()) {
    TVITEMA tvi = {};
    tvi.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    tvi.hItem = root;
    tvi.iImage = tvi.iSelectedImage = image;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
  }
}

HTREEITEM BinderTree::Root() const { return TreeView_GetRoot(tree_); }
HTREEITEM BinderTree::Selected() const { return TreeView_GetSelection(tree_); }

int BinderTree::Level(HTREEITEM item) const {
  int level = -1;
  for (; item; item = TreeView_GetParent(tree_, item)) ++level;
  return level;
}

const std::string* BinderTree::FolderPath(HTREEITEM item) const {
  // Only folder nodes carry a value, so the level need not be walked up.
  return item ? OwnedPath(ItemParam(tree_, item)) : nullptr;
}

std::string BinderTree::Text(HTREEITEM item) const {
  char buf[1024] = "";
  TVITEMA tvi = {};
  tvi.mask = TVIF_TEXT | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.pszText = buf;
  tvi.cchTextMax = sizeof(buf);
  if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return std::string();
  return std::string(buf);
}

bool BinderTree::IsExpanded(HTREEITEM item) const {
  return (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

bool BinderTree::IsGhosted(HTREEITEM item) const {
  return (TreeView_GetItemState(tree_, item, TVIS_CUT) & TVIS_CUT) != 0;
}

void BinderTree::MarkGhosting(HTREEITEM item, const std::string& path) {
  const FolderPresence presence = probe_.Probe(path);
  // A folder that cannot be read keeps its marking until it can.
  if (presence.found) TreeView_SetItemState(tree_, item, IsGhostedPresence(path, presence) ? TVIS_CUT : 0, TVIS_CUT);
}

void BinderTree::RefreshGhosting() {
  ForEachNode([&](HTREEITEM item, int level) {
    const std::string* path = level == 2 ? FolderPath(item) : nullptr;
    if (path) MarkGhosting(item, *path);
  });
  unlooked_.clear();
  InvalidateRect(tree_, nullptr, TRUE);
}

void BinderTree::UpdateImages(HTREEITEM item) { UpdateImages(item, Level(item), IsExpanded(item)); }

void BinderTree::UpdateImages(HTREEITEM item, int level, bool open) {
  TVITEMA tvi = {};
  tvi.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.iImage = NodeImage(level, open, rootImage_);
  // A folder node shows the open folder while selected; the others keep their picture.
  tvi.iSelectedImage = level == 2 ? NodeImage(2, true, rootImage_) : tvi.iImage;
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
}

bool BinderTree::HandleNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      // Both structures start with the header, the action and the item's handle.
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      UpdateImages(nm->itemNew.hItem);
      result = 0;
      return true;
    }
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
      // Nothing per node: the paths are the tree's, released all at once.
      result = 0;
      return true;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      if (nm->action & TVE_EXPAND) ShowFolders(nm->itemNew.hItem);
      result = FALSE;
      return true;
    }
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW: {
      // Only binders ask, for whether they have folders; the two structures agree up to
      // the fields read here.
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(header);
      if (nm->item.mask & TVIF_CHILDREN) nm->item.cChildren = HasFolders(nm->item.hItem) ? 1 : 0;
      result = 0;
      return true;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(header);
      result = Level(nm->item.hItem) == 1 ? FALSE : TRUE;  // only binders may be renamed
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
      if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        // Decided at every draw: a folder may appear or vanish while the program runs. A
        // slow path shows its last answer; a fresh one is asked for in the background.
        if (const std::string* path = OwnedPath(cd->nmcd.lItemlParam)) {
          const FolderPresence presence = probe_.Probe(*path);
          if (IsMissingFolder(presence))
            cd->clrText = (cd->nmcd.uItemState & CDIS_SELECTED) ? kMissingSelectedColor : kMissingColor;
          // First drawing of a folder node: its ghosting, before the control draws its picture.
          HTREEITEM item = reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec);
          if (unlooked_.erase(item) && IsGhostedPresence(*path, presence))
            TreeView_SetItemState(tree_, item, TVIS_CUT, TVIS_CUT);
        }
        result = CDRF_DODEFAULT;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace velmora
