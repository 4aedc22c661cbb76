#include "browse/win32/win32_directory.h"

#include <windows.h>

namespace velmora {

LocaleSeparators LocaleSeparators::FromUserLocale() {
  LocaleSeparators s;
  char buf[16];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, buf, sizeof(buf)) > 1) s.date = buf;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, buf, sizeof(buf)) > 1) s.time = buf;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof(buf)) > 1) s.thousands = buf;
  return s;
}

}  // namespace velmora
