#include "resultlist/QtText.h"

#include <cmath>

namespace telvara {

int TwipsToPx(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

QRect TwipsRect(int left, int top, int width, int height) {
  return {TwipsToPx(left), TwipsToPx(top), TwipsToPx(width), TwipsToPx(height)};
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? 1 : 0) + (modifiers & Qt::ControlModifier ? 2 : 0) +
         (modifiers & Qt::AltModifier ? 4 : 0);
}

int ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

}  // namespace telvara
