#include "app/win32/registration_mode.h"

#include "app/companion_message.h"
#include "binders/win32/binder_add_dlg.h"
#include "binders/win32/binder_tree.h"
#include "store/binder_store.h"
#include "win32/strings.h"

namespace velmora {

namespace {
// A companion that stopped answering must not hang the program with it.
constexpr UINT kReplyTimeoutMs = 5000;
constexpr int kClassNameLength = 128;

std::string ClassOf(HWND window) {
  char name[kClassNameLength + 1] = "";
  if (!GetClassNameA(window, name, sizeof(name))) name[0] = '\0';
  return name;
}
}  // namespace

RegistrationMode::RegistrationMode(BinderStore& store, BinderCommands& commands, BinderTree& tree,
                                   std::function<void()> listSelected)
    : store_(&store), tree_(&tree), listSelected_(std::move(listSelected)), commands_(commands) {}

void RegistrationMode::SetUp(HWND mainWindow, HIMAGELIST pictures, Prompter* prompter) {
  hwnd_ = mainWindow;
  pictures_ = pictures;
  prompter_ = prompter;
}

void RegistrationMode::Start(const std::vector<std::string>& parameters) {
  if (parameters.empty()) return;
  parameters_ = parameters;
  registrationMode_ = true;
  registrationPending_ = true;
  SetTimer(hwnd_, kHandOverTimer, kHandOverInterval, nullptr);
}

void RegistrationMode::Timer2Timer() {
  KillTimer(hwnd_, kHandOverTimer);
  if (titlesPending_) {
    titlesPending_ = false;
    SendTitles();
  }
  if (registrationPending_) {
    registrationPending_ = false;
    RunRegistration();
  }
}

void RegistrationMode::SendTitles() {
  // The window that asked, while it is there; else any window of the companion's class.
  HWND companion = asker_ && IsWindow(asker_) && ClassOf(asker_) == kCompanionClass
                       ? asker_
                       : FindWindowA(kCompanionClass, nullptr);
  if (!companion) return;
  const std::string payload = CompanionPayload(store_->titles.Text());
  COPYDATASTRUCT data = {};
  data.dwData = kCompanionTitlesCode;
  data.cbData = static_cast<DWORD>(payload.size());
  data.lpData = const_cast<char*>(payload.data());
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(companion, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_), reinterpret_cast<LPARAM>(&data),
                      SMTO_ABORTIFHUNG, kReplyTimeoutMs, &ignored);
}

void RegistrationMode::RunRegistration() {
  const std::vector<std::string> folders = commands_.FoldersFromCommandLine(parameters_);
  if (!folders.empty()) {
    TBinderAddDlg dialog(pictures_);
    if (IsExistingFile(store_->paths().titleListPath)) dialog.Fill(store_->titles.Text());
    if (dialog.ShowModal()) commands_.RegisterFromCommandLine(dialog.Name(), folders, prompter());
  }
  // The destruction saves the store, merged with what other processes saved meanwhile.
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

LRESULT RegistrationMode::CopyData(WPARAM sender, const COPYDATASTRUCT* data) {
  if (!data) return 1;
  const CompanionRequest request =
      ParseCompanionMessage(data->dwData, data->lpData, data->cbData, ClassOf(reinterpret_cast<HWND>(sender)));
  switch (request.kind) {
    case CompanionRequest::Kind::kTitles:
      asker_ = reinterpret_cast<HWND>(sender);
      questions_.SetOwner(asker_);
      titlesPending_ = true;
      SetTimer(hwnd_, kHandOverTimer, kHandOverInterval, nullptr);
      break;
    case CompanionRequest::Kind::kRegister:
      RegisterFromCompanion(request.binder, request.path);
      break;
    case CompanionRequest::Kind::kIgnore:
      break;
  }
  return 1;
}

void RegistrationMode::RegisterFromCompanion(const std::string& binder, const std::string& path) {
  HTREEITEM selected = tree_->Selected();
  std::string selectedBinder;
  const bool binderSelected = selected && tree_->Level(selected) == 1;
  if (binderSelected) selectedBinder = tree_->Text(selected);
  const TreeChange change =
      commands_.RegisterFolder(binder, path, binderSelected ? &selectedBinder : nullptr, prompter());
  if (tree_->ApplyChange(change) && listSelected_) listSelected_();
}

}  // namespace velmora
