#pragma once
#include <cstdint>

namespace telvara {

// Button codes 1 left, 2 right, 4 middle; modifier codes summed from
// 1 Shift, 2 Ctrl, 4 Alt.
struct MouseState {
  int16_t MouseButton = 0;
  int16_t MouseShift = 0;

  void MouseDown(int16_t button, int16_t shift) {
    MouseButton = button;
    MouseShift = shift;
  }
  // A double-click looks the row up only when made with the right button
  // and Ctrl alone, on a list that holds rows.
  bool OpensLookup(int rowCount) const;
};

}  // namespace telvara
