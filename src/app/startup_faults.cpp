#include "app/startup_faults.h"

namespace velmora {

std::string StartupFaultText(const StartupFaults& faults) {
  std::string lines;
  if (faults.noProgramPath)
    lines += "・プログラムの場所を取得できませんでした。バインダーは読み込まれず、保存もされません。\r\n";
  if (faults.noOle)
    lines += "・OLE を初期化できませんでした。ウィンドウの外へのドラッグやサムネイルなど、一部の機能は使えません。\r\n";
  if (faults.noShell)
    lines += "・シェルを準備できませんでした。ファイルの種類やアイコン、開く、送る、サムネイルなどは使えません。\r\n";
  if (lines.empty()) return lines;
  return "起動時に次の問題がありました。ほかの機能はそのまま使えます。\r\n\r\n" + lines;
}

}  // namespace velmora
