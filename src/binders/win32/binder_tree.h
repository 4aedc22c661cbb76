// The binder tree control: root, binders and registered folders, with their pictures,
// ghosting, missing-folder colours and expanded state.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "binders/binder_model.h"
#include "binders/win32/folder_probe.h"

namespace velmora {

struct TreeChange;

class Collation;
class IniDocument;

class BinderTree {
 public:
  explicit BinderTree(const Collation& collation) : collation_(collation) {}
  ~BinderTree();
  BinderTree(const BinderTree&) = delete;
  BinderTree& operator=(const BinderTree&) = delete;

  // Takes the control; answers of background folder checks come to it.
  void Attach(HWND tree);
  HWND hwnd() const { return tree_; }

  // Replaces all nodes by the root and the given binders, inserted in the given order
  // (sorted beforehand, the tree needs no sort of its own afterwards). A binder's folder
  // nodes are made, in tree order, when it is first expanded or a command reaches into it,
  // so that a large store starts with only what can be seen, and only those folders are
  // looked up.
  void Build(std::vector<BinderEntry> binders, int rootImage);
  // Only the root node, as when there is no title list.
  void BuildRootOnly(int rootImage);
  // Orders every level by node text with the tree's comparison.
  void Sort();
  void RestoreExpandedState(const IniDocument& folders);
  void SaveExpandedState(IniDocument& folders) const;
  void ExpandRoot();
  void ExpandAll();
  void CollapseAll();
  // Frees every folder node's path; the nodes stay, without paths.
  void ReleasePaths();

  // Makes the folder nodes of a binder whose folders were not inserted yet.
  void ShowFolders(HTREEITEM binder);
  // Whether a binder holds folders, inserted or not.
  bool HasFolders(HTREEITEM binder) const;

  // Changes the commands make.
  HTREEITEM AddFolderNode(HTREEITEM binder, const FolderEntry& folder);
  // Deletes a node with its children, freeing their paths.
  void DeleteNode(HTREEITEM item);
  void SetText(HTREEITEM item, const std::string& text);
  void Select(HTREEITEM item);
  // The folder node of a binder whose path equals path but for letter case, as keys are.
  HTREEITEM FindFolder(HTREEITEM binder, const std::string& path);
  HTREEITEM NodeAt(POINT client) const;
  // The node whose row holds the point, beside its label or on its button too.
  HTREEITEM RowAt(POINT client) const;

  // Image list switch of the large-icons setting; small lists use an indent of 19.
  void UseImageList(HIMAGELIST list, bool small);
  void SetRootImage(int image);
  int rootImage() const { return rootImage_; }

  HTREEITEM Root() const;
  HTREEITEM Selected() const;
  int Level(HTREEITEM item) const;
  // The owned path of a folder node, or null for the root, binders and no node.
  const std::string* FolderPath(HTREEITEM item) const;
  std::string Text(HTREEITEM item) const;
  bool IsExpanded(HTREEITEM item) const;
  // Re-reads the hidden attribute of every folder node.
  void RefreshGhosting();
  // As drawn: a folder node is looked up when it is first drawn.
  bool IsGhosted(HTREEITEM item) const;

  // Where the tree learns which folders exist; tests replace its calls.
  FolderProbe& probe() { return probe_; }

  // Adds what a binder command reports (binder node, folder nodes), sorts, and selects the
  // node to list; returns that node, or null when nothing is to be listed.
  HTREEITEM ApplyChange(const TreeChange& change);
  // The binder node of a title: its exact text first, else equal but for letter case.
  HTREEITEM FindBinder(const std::string& title) const;

  // Tree notifications owned by the tree itself; returns true when handled and sets result.
  bool HandleNotify(NMHDR* header, LRESULT& result);
  // The tree's own messages, posted to the window that holds it and passed on from there;
  // true when msg was one of them.
  bool HandleParentMessage(UINT msg);

 private:
  HTREEITEM Insert(HTREEITEM parent, const std::string& text, const std::string* path, int image,
                   int selectedImage, bool ghosted, bool childrenAsked = false);
  HTREEITEM InsertBinder(HTREEITEM root, const std::string& title);
  HTREEITEM InsertFolder(HTREEITEM binder, const FolderEntry& folder);
  void SortChildren(HTREEITEM parent);
  void UpdateImages(HTREEITEM item);
  void UpdateImages(HTREEITEM item, int level, bool open);
  // A binder's text and expanded state in one call to the control.
  std::string BinderText(HTREEITEM binder, bool* expanded) const;
  template <typename F>
  void ForEachNode(F f) const;
  void SetExpandedAll(bool expand);

  // The path kept for a node's id (its lParam), or null.
  const std::string* OwnedPath(LPARAM id) const;
  // Background checks answered: the nodes of the paths whose presence changed take their
  // ghosting and are drawn again.
  void FolderChecksAnswered();
  // Sets a folder node's ghosting from what the probe knows of its path.
  void MarkGhosting(HTREEITEM item, const std::string& path);

  const Collation& collation_;
  HWND tree_ = nullptr;
  // The folder nodes' paths, owned here, by node id: each node's lParam is an id given once
  // and never again, never a pointer, so a released or deleted node's id finds nothing. Kept
  // here rather than reached through the control: with 100,000 nodes every per-node control
  // call costs a walk over the nodes.
  std::unordered_map<LPARAM, std::string> paths_;
  LPARAM lastId_ = 0;
  // Binders never expanded since they were built, with their titles (which spares a call
  // to the control per binder at start and at the end) and the folders not inserted yet.
  std::unordered_map<HTREEITEM, BinderEntry> unshown_;
  // Folder nodes not drawn yet, whose ghosting is not looked up yet.
  std::unordered_set<HTREEITEM> unlooked_;
  int rootImage_ = 0;
  FolderProbe probe_;
};

}  // namespace velmora
