#include "app/win32/store_session.h"

#include <utility>
#include <vector>

#include "app/win32/app_environment.h"
#include "app/win32/control_ids.h"
#include "binders/binder_model.h"

namespace velmora {

namespace {
constexpr const char* kSaveFailedText = "次のファイルを保存できませんでした。以前の内容はそのまま残っています。\r\n\r\n";
}  // namespace

void StoreSession::SetUpPaths(const std::string& exeDir) {
  // Without its own folder the program keeps no store rather than one in the wrong place.
  startupFaults_.noProgramPath = exeDir.empty();
  if (!startupFaults_.noProgramPath) store_.SetUpPaths(exeDir, AppEnvironment::UserName());
}

void StoreSession::ShellStarted(const ShellContext& shell) {
  startupFaults_.noOle = !shell.oleInitialized();
  startupFaults_.noShell = !shell.desktop() || !shell.allocator();
}

void StoreSession::ReportStartupFaults() {
  const std::string text = StartupFaultText(startupFaults_);
  if (!text.empty()) prompter_.Message(text, kApplicationTitle);
}

void StoreSession::LoadTree(int rootImage) {
  const bool bindersExist = !startupFaults_.noProgramPath && store_.Load();
  if (bindersExist) {
    std::vector<BinderEntry> binders = ReadBinders(store_, collation_);
    SortBinderTitles(binders, collation_);  // folders take their order when inserted
    tree_.Build(std::move(binders), rootImage);
    tree_.RestoreExpandedState(store_.folders);
    tree_.ExpandRoot();
  } else {
    tree_.BuildRootOnly(rootImage);
  }
}

void StoreSession::Save(bool largeIcons, int leftWidth) {
  // Ending the session saves before the window goes; the destruction then has nothing new.
  if (storeSaved_) return;
  storeSaved_ = true;
  tree_.SaveExpandedState(store_.folders);
  store_.folders.WriteBool(BinderStore::kSettingsSection, BinderStore::kLargeIconsKey, largeIcons);
  store_.folders.WriteInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey, leftWidth);
  if (startupFaults_.noProgramPath) return;  // said at start
  for (const std::string& path : store_.Save()) prompter_.Message(kSaveFailedText + path, kApplicationTitle);
}

}  // namespace velmora
