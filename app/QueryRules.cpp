#include "app/QueryRules.h"

namespace telvara {

int FilterKeyPress(int keyAscii, bool codeMode) {
  if (!codeMode) return keyAscii;
  if (keyAscii == 8) return keyAscii;
  if (keyAscii >= u'0' && keyAscii <= u'9') return keyAscii;
  return 0;
}

}  // namespace telvara
