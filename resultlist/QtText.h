#pragma once
// Small Qt helpers shared by the result list and the window: text views
// between our UTF-16 texts and QString, layout units, and the button and
// modifier codes of mouse and key events.
#include <QRect>
#include <QString>
#include <string_view>

namespace telvara {

// Layout units: 15 twips to a device-independent pixel.
int TwipsToPx(int twips);
QRect TwipsRect(int left, int top, int width, int height);

// Modifier code: 1 Shift + 2 Ctrl + 4 Alt. Button code: 1 left, 2 right, 4 middle.
int ShiftCode(Qt::KeyboardModifiers modifiers);
int ButtonCode(Qt::MouseButton button);

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline std::u16string_view View(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace telvara
