// The store's life around the main window: where it lives, the tree built from it at start,
// the tree's state and the settings saved at the end, and what failed at start, said once.
#pragma once
#include <string>

#include "app/startup_faults.h"
#include "binders/win32/binder_tree.h"
#include "common/collation.h"
#include "common/prompter.h"
#include "store/binder_store.h"
#include "win32/shell_context.h"

namespace velmora {

class StoreSession {
 public:
  StoreSession(BinderStore& store, BinderTree& tree, const Collation& collation, Prompter& prompter)
      : store_(store), tree_(tree), collation_(collation), prompter_(prompter) {}

  // Construction: the data folder beside the program, and whether the shell came up.
  void SetUpPaths(const std::string& exeDir);
  void ShellStarted(const ShellContext& shell);
  // Says once what failed at start.
  void ReportStartupFaults();
  // The creation handler: the binders read, sorted and shown as they were left.
  void LoadTree(int rootImage);
  // Once, at the end of the session or the window, whichever comes first.
  void Save(bool largeIcons, int leftWidth);

 private:
  BinderStore& store_;
  BinderTree& tree_;
  const Collation& collation_;
  Prompter& prompter_;
  StartupFaults startupFaults_;
  bool storeSaved_ = false;
};

}  // namespace velmora
