#include "app/command_list.h"

namespace velmora {

namespace {
// Virtual keys, as the platform numbers them.
constexpr int kBackspace = 0x08;
constexpr int kEnter = 0x0D;
constexpr int kDelete = 0x2E;
constexpr int kUp = 0x26;
constexpr int kF2 = 0x71;
constexpr int kF5 = 0x74;

constexpr KeyScope kList = KeyScope::kList;
constexpr KeyScope kTree = KeyScope::kTree;
}  // namespace

void DeclareCommands(CommandTable& table) {
  auto make = [](int id, const char* caption, const char* hint, int picture, std::vector<MenuPlace> places,
                 Shortcut shortcut) {
    Command c;
    c.id = id;
    c.caption = caption;
    c.hint = hint;
    c.picture = picture;
    c.places = std::move(places);
    c.shortcut = shortcut;
    return c;
  };
  auto add = [&table, &make](int id, const char* caption, const char* hint, int picture, std::vector<MenuPlace> places,
                             Shortcut shortcut = {}) { table.Add(make(id, caption, hint, picture, std::move(places), shortcut)); };
  // Items that show the state of a tool bar button or box: a check, or a dot among choices.
  auto addState = [&table, &make](int id, const char* caption, const char* hint, MenuPlace place, bool radio) {
    Command c = make(id, caption, hint, -1, {place}, {});
    c.radio = radio;
    table.Add(std::move(c));
  };
  // Tree tool bar.
  add(IDM_EXPAND_ALL, "", "全て展開", -1, {});
  add(IDM_EXPAND_BINDERS, "", "バインダーまで展開", -1, {});
  add(IDM_COLLAPSE_ALL, "", "全て縮小", -1, {});
  // List tool bar, and the view menu that carries it and the boxes beside it.
  Command up = make(IDM_UP, "", "一つ上のフォルダ", -1, {}, {kBackspace, false, kList});
  up.second = {kUp, false, kList, true};
  table.Add(std::move(up));
  const MenuId view = MenuId::kView;
  addState(IDM_VIEW_ICON, "アイコン(&I)", "アイコン", {view, 0}, true);
  addState(IDM_VIEW_LIST, "一覧(&L)", "一覧", {view, 0}, true);
  addState(IDM_VIEW_DETAIL, "詳細(&D)", "詳細", {view, 0}, true);
  addState(IDM_THUMBNAILS, "サムネイル表示(&T)", "サムネイル表示", {view, 1}, false);
  addState(IDM_HIGH_QUALITY, "高画質(&Q)", "高画質|サムネイルを高画質で作る", {view, 1}, false);
  Command sort = make(IDM_VIEW_SORT, "並べ替え(&O)", "", -1, {{view, 2}}, {});
  sort.opensSubmenu = true;
  sort.submenu = MenuId::kSort;
  table.Add(std::move(sort));
  addState(IDM_SORT_NAME, "名前(&N)", "名前で並べ替え", {MenuId::kSort, 0}, true);
  addState(IDM_SORT_SIZE, "サイズ(&S)", "サイズで並べ替え", {MenuId::kSort, 0}, true);
  addState(IDM_SORT_TYPE, "種類(&T)", "種類で並べ替え", {MenuId::kSort, 0}, true);
  addState(IDM_SORT_DATE, "更新日(&M)", "更新日で並べ替え", {MenuId::kSort, 0}, true);
  addState(IDM_SORT_ASCENDING, "昇順(&A)", "小さい順に並べる", {MenuId::kSort, 1}, true);
  addState(IDM_SORT_DESCENDING, "降順(&D)", "大きい順に並べる", {MenuId::kSort, 1}, true);
  addState(IDM_ATTR_SYSTEM, "システム属性(&S)", "システム属性", {view, 3}, false);
  addState(IDM_ATTR_HIDDEN, "隠しファイル(&H)", "隠しファイル", {view, 3}, false);
  addState(IDM_ATTR_READ_ONLY, "読み取り専用(&P)", "読み取り専用", {view, 3}, false);
  addState(IDM_LARGE_ICONS, "大きいアイコン(&G)", "大きいアイコン|ツリーを大きいアイコンで表示", {view, 4}, false);
  add(IDM_REFRESH, "更新(&R)", "更新|最新の情報に更新", 20, {{view, 5}}, {kF5});
  add(IDM_FILTER, "", "絞り込み|名前で絞り込む", -1, {}, {'F', true});
  // Menus. A menu lists its commands in this order: the tree's open comes before new binder,
  // the file menu's new binder before exit.
  add(IDM_TREE_OPEN, "開く(&O)", "", 6, {{MenuId::kTree, 0}});
  add(IDM_NEW_BINDER, "新規作成(&N)", "バインダーを新規で作成する", 0, {{MenuId::kFile, 0}, {MenuId::kTree, 1}});
  add(IDM_EXIT, "終了(&X)", "", -1, {{MenuId::kFile, 1}});
  add(IDM_SELECT_ALL, "全て選択(&A)", "", 5, {{MenuId::kEdit, 0}}, {'A', true});
  add(IDM_INVERT_SELECTION, "選択の切り替え(&I)", "", 16, {{MenuId::kEdit, 0}});
  add(IDM_SENDTO_OPTION, "「送る」メニューに追加(&S)", "", 26, {{MenuId::kSettings, 0}});
  add(IDM_HELP, "ヘルプ(&H)", "", 15, {{MenuId::kHelp, 0}});
  add(IDM_ABOUT, "バージョン情報(&A)", "", 13, {{MenuId::kHelp, 0}});
  // The tree's context menu.
  add(IDM_TREE_ADD_FOLDER, "フォルダを追加する(&A)", "", 2, {{MenuId::kTree, 1}});
  add(IDM_TREE_FOLDER_LIST, "フォルダの一覧(&L)", "", 21, {{MenuId::kTree, 1}});
  add(IDM_TREE_RENAME, "名前の変更(&R)", "", 14, {{MenuId::kTree, 1}}, {kF2, false, kTree});
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
  add(IDM_LIST_RENAME, "名前の変更(&M)", "", 14, {{MenuId::kList, 3}}, {kF2, false, kList});
  add(IDM_LIST_DELETE, "削除(&D)", "", 4, {{MenuId::kList, 3}}, {kDelete, false, kList});
  add(IDM_LIST_PROPERTIES, "プロパティ(&P)", "", 10, {{MenuId::kList, 4}});
  add(IDM_LIST_OPEN_SELECTED, "", "", -1, {}, {kEnter, false, kList});
  add(IDM_LIST_PROPERTIES_FOCUSED, "", "", -1, {}, {kEnter, false, kList, true});
}

const std::vector<MainMenu>& MainMenus() {
  static const std::vector<MainMenu> menus = {
      {MenuId::kFile, "ファイル(&F)"},
      {MenuId::kEdit, "編集(&E)"},
      {MenuId::kView, "表示(&V)"},
      {MenuId::kSettings, "設定(&O)"},
      {MenuId::kHelp, "ヘルプ(&H)"},
  };
  return menus;
}

}  // namespace velmora
