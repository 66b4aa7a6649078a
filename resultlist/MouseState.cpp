#include "resultlist/MouseState.h"

namespace telvara {

bool MouseState::OpensLookup(int rowCount) const {
  return MouseButton == 2 && MouseShift == 2 && rowCount >= 1;
}

}  // namespace telvara
