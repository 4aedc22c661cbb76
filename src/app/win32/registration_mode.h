// Folders sent to the program (started with parameters: the window stays hidden, the
// hand-over timer asks which binder gets them, the store is written and the window closes)
// and the companion program's requests through WM_COPYDATA. While a Velmora window is open
// on the same data folder, the folders are filed through it instead (open_window_message.h):
// the dialog offers its binders and its tree shows them at once.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/open_window_message.h"
#include "binders/binder_commands.h"
#include "win32/win32_prompter.h"

namespace velmora {

class BinderStore;
class BinderTree;

constexpr unsigned kHandOverTimer = 2;  // Timer2, 100 ms, disabled at start
constexpr unsigned kHandOverInterval = 100;

class RegistrationMode {
 public:
  // commands: the binder commands the tree's menu uses too; listSelected lists the tree's
  // selected node (the main window's TreeView1Click).
  RegistrationMode(BinderStore& store, BinderCommands& commands, BinderTree& tree, std::function<void()> listSelected);

  // mainWindow sends and closes; pictures' picture 0 is the binder picture of the dialog;
  // prompter answers the questions, or null for the real boxes, owned by the companion
  // window that asked for the titles last (none before that, or once it is gone).
  void SetUp(HWND mainWindow, HIMAGELIST pictures, Prompter* prompter);
  // With parameters: registration mode, the hand-over timer started.
  void Start(const std::vector<std::string>& parameters);
  // Started with parameters: the window is never shown.
  bool registrationMode() const { return registrationMode_; }

  // The hand-over timer's tick.
  void Timer2Timer();
  // WM_COPYDATA; wParam is the sender's window. 1, or an OpenWindowAnswer to another
  // Velmora process. A companion's registration is only taken here and posted to the
  // window (WM_APP_COMPANION): a sent message may arrive while the window waits for its
  // worker to stop, where no listing may start and no question may be asked.
  LRESULT CopyData(WPARAM sender, const COPYDATASTRUCT* data);
  // WM_APP_COMPANION: the companion's registrations taken since, in the order they came.
  void RunCompanionRequests();

 private:
  void SendTitles();
  void RunRegistration();
  // A shown Velmora window of another process on this data folder, and its titles; null when
  // none answers.
  HWND FindOpenWindow(std::string& titles);
  // Files through the open window while it answers, else in this process's store.
  SentFolders FileSentFolders(HWND& openWindow, const std::string& name, const std::vector<std::string>& folders,
                              bool create);
  // 0 when the window did not answer in time.
  LRESULT SendToWindow(HWND window, const OpenWindowMessage& message, UINT timeoutMs);
  LRESULT OpenWindowRequest(HWND sender, const OpenWindowMessage& message);
  bool IsOwnDataFolder(const std::string& folder) const;
  void RegisterFromCompanion(const std::string& binder, const std::string& path);
  Prompter& prompter() { return prompter_ ? *prompter_ : questions_; }

  BinderStore* store_;
  BinderTree* tree_;
  std::function<void()> listSelected_;
  BinderCommands& commands_;
  Win32Prompter questions_;
  Prompter* prompter_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND asker_ = nullptr;  // the companion window that asked for the titles last
  HIMAGELIST pictures_ = nullptr;
  std::vector<std::string> parameters_;
  // The companion's registrations waiting for WM_APP_COMPANION: binder and path.
  std::vector<std::pair<std::string, std::string>> companionRequests_;
  bool registrationMode_ = false;
  // What the next tick does: a titles request arriving before the registration ran does not
  // drop the registration (the hidden process would otherwise never end).
  bool titlesPending_ = false;
  bool registrationPending_ = false;
  // While an open window is asked for its titles: that window, and its reply.
  HWND titlesFrom_ = nullptr;
  bool titlesReplied_ = false;
  std::string titlesReply_;
};

}  // namespace velmora
