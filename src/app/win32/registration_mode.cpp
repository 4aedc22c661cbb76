#include "app/win32/registration_mode.h"

#include "app/companion_message.h"
#include "app/win32/control_ids.h"
#include "binders/win32/binder_add_dlg.h"
#include "binders/win32/binder_tree.h"
#include "store/binder_store.h"
#include "win32/strings.h"

namespace velmora {

namespace {
// A companion that stopped answering must not hang the program with it.
constexpr UINT kReplyTimeoutMs = 5000;
// An open window adds and sorts tree nodes before it answers.
constexpr UINT kRegisterTimeoutMs = 20000;
// Windows of the class asked at most, so that many stuck ones cannot hold the dialog back long.
constexpr int kMaxOpenWindows = 8;
constexpr int kClassNameLength = 128;

static_assert(std::string_view(kOpenWindowClass) == kMainWindowClass, "both ends are main windows");

// The same folder however it is spelt (letter case, short names, "." parts).
// Wide, so that a name the code page lacks is found rather than taken for missing.
std::string NormalFolder(const std::string& folder) {
  wchar_t full[MAX_PATH] = L"";
  const DWORD length = GetFullPathNameW(AnsiToWide(folder).c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return folder;
  wchar_t longer[MAX_PATH] = L"";
  const DWORD longLength = GetLongPathNameW(full, longer, MAX_PATH);
  return WideToAnsi(longLength > 0 && longLength < MAX_PATH ? longer : full);
}

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
  std::vector<std::string> unspellable;
  const std::vector<std::string> folders = commands_.FoldersFromCommandLine(parameters_, &unspellable);
  if (!unspellable.empty()) prompter().Message(UnspellableFolderText(unspellable), kUnspellableFolderCaption);
  if (!folders.empty()) {
    std::string openTitles;
    HWND openWindow = FindOpenWindow(openTitles);
    TBinderAddDlg dialog(pictures_);
    if (openWindow)
      dialog.Fill(openTitles);
    else if (IsExistingFile(store_->paths().titleListPath))
      dialog.Fill(store_->titles.Text());
    if (dialog.ShowModal()) {
      const std::string name = dialog.Name();
      commands_.RegisterFromCommandLine(name, prompter(), [&](bool create) {
        return FileSentFolders(openWindow, name, folders, create);
      });
    }
  }
  // The destruction saves the store, merged with what other processes saved meanwhile.
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

HWND RegistrationMode::FindOpenWindow(std::string& titles) {
  OpenWindowMessage ask;
  ask.kind = OpenWindowMessage::Kind::kAskTitles;
  ask.dataFolder = store_->paths().dataFolder;
  HWND window = nullptr;
  for (int asked = 0; asked < kMaxOpenWindows;) {
    window = FindWindowExA(nullptr, window, kMainWindowClass, nullptr);
    if (!window) break;
    // Hidden ones are registrations like this one, about to end.
    if (window == hwnd_ || !IsWindowVisible(window)) continue;
    ++asked;
    titlesFrom_ = window;
    titlesReplied_ = false;
    const LRESULT answer = SendToWindow(window, ask, kReplyTimeoutMs);
    titlesFrom_ = nullptr;
    if (answer == kAnswerTitlesSent && titlesReplied_) {
      titles = std::move(titlesReply_);
      return window;
    }
  }
  return nullptr;
}

SentFolders RegistrationMode::FileSentFolders(HWND& openWindow, const std::string& name,
                                              const std::vector<std::string>& folders, bool create) {
  if (openWindow) {
    OpenWindowMessage request;
    request.kind = OpenWindowMessage::Kind::kRegister;
    request.dataFolder = store_->paths().dataFolder;
    request.createBinder = create;
    request.binder = name;
    request.folders = folders;
    switch (SendToWindow(openWindow, request, kRegisterTimeoutMs)) {
      case kAnswerRegistered: return SentFolders::kRegistered;
      case kAnswerUnknownBinder: return SentFolders::kUnknownBinder;
      case kAnswerRefused: return SentFolders::kRefused;
      default: break;
    }
    // Closed or stuck since it was asked: the store files take them, and the window merges
    // them in when it saves.
    openWindow = nullptr;
  }
  TreeChange change;
  return commands_.FileSentFolders(name, folders, create, change);
}

LRESULT RegistrationMode::SendToWindow(HWND window, const OpenWindowMessage& message, UINT timeoutMs) {
  const std::string payload = OpenWindowPayload(message);
  COPYDATASTRUCT data = {};
  data.dwData = OpenWindowCode(message.kind);
  data.cbData = static_cast<DWORD>(payload.size());
  data.lpData = const_cast<char*>(payload.data());
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_), reinterpret_cast<LPARAM>(&data),
                           SMTO_ABORTIFHUNG, timeoutMs, &answer))
    return 0;
  return static_cast<LRESULT>(answer);
}

bool RegistrationMode::IsOwnDataFolder(const std::string& folder) const {
  return lstrcmpiA(NormalFolder(folder).c_str(), NormalFolder(store_->paths().dataFolder).c_str()) == 0;
}

LRESULT RegistrationMode::OpenWindowRequest(HWND sender, const OpenWindowMessage& message) {
  switch (message.kind) {
    case OpenWindowMessage::Kind::kAskTitles: {
      if (registrationMode_ || !IsOwnDataFolder(message.dataFolder)) return 1;
      OpenWindowMessage reply;
      reply.kind = OpenWindowMessage::Kind::kTitles;
      reply.dataFolder = store_->paths().dataFolder;
      reply.titles = store_->titles.Text();
      // The asker takes it while it waits for this request's answer.
      if (SendToWindow(sender, reply, kReplyTimeoutMs) != kAnswerTitlesSent) return 1;
      return kAnswerTitlesSent;
    }
    case OpenWindowMessage::Kind::kTitles:
      if (!titlesFrom_ || sender != titlesFrom_ || !IsOwnDataFolder(message.dataFolder)) return 1;
      titlesReply_ = message.titles;
      titlesReplied_ = true;
      return kAnswerTitlesSent;
    case OpenWindowMessage::Kind::kRegister: {
      if (registrationMode_ || !IsOwnDataFolder(message.dataFolder)) return 1;
      TreeChange change;
      switch (commands_.FileSentFolders(message.binder, message.folders, message.createBinder, change)) {
        case SentFolders::kRegistered:
          // Listed once the sender has its answer: a listing may take a while.
          if (tree_->ApplyChange(change)) PostMessageA(hwnd_, WM_APP_TREE_CLICK, 0, 0);
          return kAnswerRegistered;
        case SentFolders::kUnknownBinder:
          return kAnswerUnknownBinder;
        default:
          return kAnswerRefused;
      }
    }
    default:
      return 1;
  }
}

LRESULT RegistrationMode::CopyData(WPARAM sender, const COPYDATASTRUCT* data) {
  if (!data) return 1;
  const std::string senderClass = ClassOf(reinterpret_cast<HWND>(sender));
  const OpenWindowMessage message = ParseOpenWindowMessage(data->dwData, data->lpData, data->cbData, senderClass);
  if (message.kind != OpenWindowMessage::Kind::kIgnore) return OpenWindowRequest(reinterpret_cast<HWND>(sender), message);
  const CompanionRequest request = ParseCompanionMessage(data->dwData, data->lpData, data->cbData, senderClass);
  switch (request.kind) {
    case CompanionRequest::Kind::kTitles:
      asker_ = reinterpret_cast<HWND>(sender);
      questions_.SetOwner(asker_);
      titlesPending_ = true;
      SetTimer(hwnd_, kHandOverTimer, kHandOverInterval, nullptr);
      break;
    case CompanionRequest::Kind::kRegister:
      // Posted, as the open window's listing is: the work runs from the message loop.
      companionRequests_.emplace_back(request.binder, request.path);
      PostMessageA(hwnd_, WM_APP_COMPANION, 0, 0);
      break;
    case CompanionRequest::Kind::kIgnore:
      break;
  }
  return 1;
}

void RegistrationMode::RunCompanionRequests() {
  std::vector<std::pair<std::string, std::string>> requests;
  requests.swap(companionRequests_);
  for (const auto& request : requests) RegisterFromCompanion(request.first, request.second);
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
