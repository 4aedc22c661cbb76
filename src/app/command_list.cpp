#include "app/command_list.h"

namespace velmora {

namespace {
// Virtual keys, as the platform numbers them.
constexpr int kBackspace = 0x08;
constexpr int kEnter = 0x0D;
constexpr int kDelete = 0x2E;

constexpr KeyScope kList = KeyScope::kList;
constexpr KeyScope kTree = KeyScope::kTree;
}  // namespace

void DeclareCommands(CommandTable& table) {
  auto add = [&table](int id, const char* caption, const char* hint, int picture, std::vector<MenuPlace> places,
                      Shortcut shortcut = {}) {
    Command c;
    c.id = id;
    c.caption = caption;
    c.hint = hint;
    c.picture = picture;
    c.places = std::move(places);
    c.shortcut = shortcut;
    table.Add(std::move(c));
  };
  // Tree tool bar.
  add(IDM_EXPAND_ALL, "", "全て展開", -1, {});
  add(IDM_EXPAND_BINDERS, "", "バインダーまで展開", -1, {});
  add(IDM_COLLAPSE_ALL, "", "全て縮小", -1, {});
  // List tool bar.
  add(IDM_UP, "", "一つ上のフォルダ", -1, {}, {kBackspace, false, kList});
  add(IDM_VIEW_ICON, "", "アイコン", -1, {});
  add(IDM_VIEW_LIST, "", "一覧", -1, {});
  add(IDM_VIEW_DETAIL, "", "詳細", -1, {});
  add(IDM_THUMBNAILS, "", "サムネイル表示", -1, {});
  add(IDM_REFRESH, "", "更新|最新の情報に更新", -1, {});
  add(IDM_FILTER, "", "絞り込み|名前で絞り込む", -1, {}, {'F', true});
  // Menus. A menu lists its commands in this order: the tree's open comes before new binder,
  // the file menu's new binder before exit.
  add(IDM_TREE_OPEN, "開く(&O)", "", 6, {{MenuId::kTree, 0}});
  add(IDM_NEW_BINDER, "新規作成(&N)", "バインダーを新規で作成する", 0, {{MenuId::kFile, 0}, {MenuId::kTree, 1}});
  add(IDM_EXIT, "終了(&X)", "", -1, {{MenuId::kFile, 1}});
  add(IDM_SELECT_ALL, "全て選択", "", 5, {{MenuId::kEdit, 0}}, {'A', true});
  add(IDM_INVERT_SELECTION, "選択の切り替え(&I)", "", 16, {{MenuId::kEdit, 0}});
  add(IDM_SENDTO_OPTION, "「送る」メニューに追加", "", 26, {{MenuId::kSettings, 0}});
  add(IDM_HELP, "ヘルプ(&H)", "", 15, {{MenuId::kHelp, 0}});
  add(IDM_ABOUT, "バージョン情報", "", 13, {{MenuId::kHelp, 0}});
  // The tree's context menu.
  add(IDM_TREE_ADD_FOLDER, "フォルダを追加する", "", 2, {{MenuId::kTree, 1}});
  add(IDM_TREE_FOLDER_LIST, "フォルダの一覧(&L)", "", 21, {{MenuId::kTree, 1}});
  add(IDM_TREE_RENAME, "名前の変更(&R)", "", 14, {{MenuId::kTree, 1}});
  add(IDM_TREE_COPY, "コピー(&C)", "", 7, {{MenuId::kTree, 2}}, {'C', true, kTree});
  add(IDM_TREE_PASTE, "貼り付け(&P)", "", 12, {{MenuId::kTree, 2}}, {'V', true, kTree});
  add(IDM_TREE_DELETE, "削除(&D)", "", 4, {{MenuId::kTree, 3}}, {kDelete, false, kTree});
  // The file list's context menu; the send-to item carries its submenu rather than a command.
  add(IDM_LIST_OPEN, "開く(&O)", "", 24, {{MenuId::kList, 0}});
  add(IDM_LIST_OPEN_WITH, "アプリケーションから開く(&H)", "", 23, {{MenuId::kList, 0}});
  add(IDM_LIST_SEND_TO, "送る(&N)", "", -1, {{MenuId::kList, 1}});
  add(IDM_LIST_COPY, "コピー(&C)", "", 7, {{MenuId::kList, 2}}, {'C', true, kList});
  add(IDM_LIST_PASTE, "貼り付け(&P)", "", 12, {{MenuId::kList, 2}}, {'V', true, kList});
  add(IDM_LIST_NEW_FOLDER, "フォルダの作成(&F)", "", 11, {{MenuId::kList, 3}});
  add(IDM_LIST_DELETE, "削除(&D)", "", 4, {{MenuId::kList, 3}}, {kDelete, false, kList});
  add(IDM_LIST_PROPERTIES, "プロパティ(&P)", "", 10, {{MenuId::kList, 4}});
  add(IDM_LIST_OPEN_SELECTED, "", "", -1, {}, {kEnter, false, kList});
}

const std::vector<MainMenu>& MainMenus() {
  static const std::vector<MainMenu> menus = {
      {MenuId::kFile, "ファイル(&F)"},
      {MenuId::kEdit, "編集(&E)"},
      {MenuId::kSettings, "設定(&O)"},
      {MenuId::kHelp, "ヘルプ(&H)"},
  };
  return menus;
}

}  // namespace velmora
