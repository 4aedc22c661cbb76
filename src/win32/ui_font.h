// The program's fonts: the Japanese faces its windows are drawn in.
#pragma once
#include "win32/owned_handle.h"

namespace velmora {

extern const char* const kGothicFace;
extern const char* const kMinchoFace;

// A Shift_JIS font `pixels` high (character height, not cell height).
OwnedFont MakeUiFont(int pixels, const char* face = kGothicFace, bool bold = false, bool underline = false);

}  // namespace velmora
