#include "win32/ui_font.h"

namespace velmora {

const char* const kGothicFace = "ＭＳ Ｐゴシック";
const char* const kMinchoFace = "ＭＳ Ｐ明朝";

OwnedFont MakeUiFont(int pixels, const char* face, bool bold, bool underline) {
  return OwnedFont(CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                               SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace velmora
