// Folders sent to the program (started with parameters: the window stays hidden, the
// hand-over timer asks which binder gets them, the store is written and the window closes)
// and the companion program's requests through WM_COPYDATA.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

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
  // WM_COPYDATA; wParam is the sender's window. Always 1.
  LRESULT CopyData(WPARAM sender, const COPYDATASTRUCT* data);

 private:
  void SendTitles();
  void RunRegistration();
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
  bool registrationMode_ = false;
  // What the next tick does: a titles request arriving before the registration ran does not
  // drop the registration (the hidden process would otherwise never end).
  bool titlesPending_ = false;
  bool registrationPending_ = false;
};

}  // namespace velmora
