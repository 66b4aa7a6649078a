#include "app/Toolkit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <climits>

#include "app/QueryRules.h"

namespace telvara {

QFont GothicFont(double pointSize) {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                    QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                    QStringLiteral("Noto Sans Mono CJK JP")});
  font.setPointSizeF(pointSize);
  font.setWeight(QFont::Normal);
  return font;
}

QFont DefaultWindowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                    QStringLiteral("Noto Sans CJK JP")});
  font.setPointSizeF(9);
  return font;
}

void AutoSizeLabel::SetCaption(const QString& caption) {
  setText(caption);
  adjustSize();
  if (onCaption) onCaption(caption);
}

void AutoSizeLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  QLabel::mouseDoubleClickEvent(event);
  if (onDblClick) onDblClick();
}

OptionButton::OptionButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
  connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
    if (checked && onClick) onClick();
  });
}

void OptionButton::mousePressEvent(QMouseEvent* event) {
  QRadioButton::mousePressEvent(event);
  // Keep presses of every button, so that their release comes back here.
  event->accept();
}

void OptionButton::mouseReleaseEvent(QMouseEvent* event) {
  QRadioButton::mouseReleaseEvent(event);
  if (onMouseUp)
    onMouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()),
              static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
}

int CheckBox::Value() const {
  switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
  }
}

void CheckBox::SetValue(int value) {
  setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void CheckBox::nextCheckState() { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }

QueryBox::QueryBox(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(INT_MAX);  // the query box has no length limit
  connect(this, &QLineEdit::textChanged, this, [this] { boundUndoHistory(); });
  connect(this, &QLineEdit::selectionChanged, this,
          [this] { lastSelected_ = static_cast<std::size_t>(selectionLength()); });
}

void QueryBox::boundUndoHistory() {
  if (resetting_) return;
  const QString now = text();
  if (!isUndoAvailable() && !isRedoAvailable())
    historyChars_ = 0;  // setText() or clear() started a new history
  else
    historyChars_ += UndoRecords(View(lastText_), View(now), lastSelected_);
  lastText_ = now;
  lastSelected_ = static_cast<std::size_t>(selectionLength());
  if (historyChars_ <= kUndoBudgetChars) return;

  // setText() is the one public way to empty the history.
  const int start = selectionStart();
  const int length = selectionLength();
  const int cursor = cursorPosition();
  const bool modified = isModified();
  resetting_ = true;
  setText(now);
  resetting_ = false;
  if (length > 0 && cursor == start)
    setSelection(start + length, -length);
  else if (length > 0)
    setSelection(start, length);
  else
    setCursorPosition(cursor);
  setModified(modified);
  historyChars_ = 0;
}

void QueryBox::SetImeMode(int mode) {
  imeMode_ = mode;
  setAttribute(Qt::WA_InputMethodEnabled, mode != kImeOffLocked);
  if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

QVariant QueryBox::inputMethodQuery(Qt::InputMethodQuery query) const {
  // QLineEdit says it accepts input-method text even with the attribute off;
  // while the input method is locked off the box must say no itself.
  if (query == Qt::ImEnabled && imeMode_ == kImeOffLocked) return false;
  return QLineEdit::inputMethodQuery(query);
}

QString QueryBox::filterTyped(const QString& typed) {
  QString kept;
  for (QChar c : typed) {
    int keyAscii = c.unicode();
    if (onKeyPress) onKeyPress(keyAscii);
    if (keyAscii != 0) kept += QChar(static_cast<char16_t>(keyAscii));
  }
  return kept;
}

void QueryBox::keyPressEvent(QKeyEvent* event) {
  int keyCode = event->key();
  if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter) keyCode = kKeyEnter;
  if (onKeyDown) onKeyDown(keyCode, ShiftCode(event->modifiers()));

  const QString typed = event->text();
  // Delete reports DEL as its text but types nothing.
  const bool typesCharacter = !typed.isEmpty() && typed != QStringLiteral("\x7f");
  if (!typesCharacter) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString kept = filterTyped(typed);
  if (kept.isEmpty()) {
    event->accept();  // discarded: the box never sees it, shortcuts included
    return;
  }
  if (kept == typed) {
    QLineEdit::keyPressEvent(event);
  } else {
    QKeyEvent changed(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                      static_cast<ushort>(event->count()));
    QLineEdit::keyPressEvent(&changed);
  }
}

void QueryBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (onGotFocus) onGotFocus();
}

void QueryBox::inputMethodEvent(QInputMethodEvent* event) {
  if (imeMode_ != kImeOffLocked) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  // Locked: no composition, and committed text is judged like typed text.
  QInputMethodEvent filtered;
  filtered.setCommitString(filterTyped(event->commitString()));
  QLineEdit::inputMethodEvent(&filtered);
}

void SetWidgetPointer(QWidget* widget, int code) {
  if (code == 11)
    widget->setCursor(Qt::WaitCursor);
  else
    widget->unsetCursor();
}

namespace {
int g_screenPointer = 0;
}

void SetScreenPointer(int code) {
  if (code == 11 && g_screenPointer != 11) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (code != 11 && g_screenPointer == 11) {
    QApplication::restoreOverrideCursor();
  }
  g_screenPointer = code == 11 ? 11 : 0;
}

int ScreenPointer() { return g_screenPointer; }

}  // namespace telvara
