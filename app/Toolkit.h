#pragma once
// The thin layer between the window's handlers and Qt: controls that behave the
// way the handlers expect (option buttons that report selection from code,
// a three-valued check box, a query box whose typed characters can be
// discarded, labels that fit their caption) and the mouse pointer.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRect>
#include <QString>
#include <functional>
#include <string_view>

#include "resultlist/QtText.h"

namespace telvara {

// The layout's Japanese Gothic face at the given size, with the faces Debian
// installs named as fallbacks (fontconfig would otherwise pick a Latin face).
QFont GothicFont(double pointSize);
QFont DefaultWindowFont();

// A label that sizes itself to its caption, keeping its top-left corner.
class AutoSizeLabel : public QLabel {
 public:
  using QLabel::QLabel;
  void SetCaption(const QString& caption);
  std::function<void()> onDblClick;
  std::function<void(const QString& caption)> onCaption;  // after each SetCaption

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// An option button whose selection, by user or by code, raises onClick, and
// which reports every mouse release over it, whatever the button.
class OptionButton : public QRadioButton {
 public:
  explicit OptionButton(const QString& text, QWidget* parent);
  void SetValue(bool selected) { setChecked(selected); }
  std::function<void()> onClick;
  std::function<void(int button, int shift, int x, int y)> onMouseUp;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A check box valued 0 (clear), 1 (ticked) or 2 (grey). Qt numbers a ticked
// box 2, so the values are translated here and nowhere else.
class CheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;
  int Value() const;
  void SetValue(int value);

 protected:
  void nextCheckState() override;  // a click ticks or clears; grey only from code
};

// The query box. onKeyDown sees every key first; onKeyPress then sees each
// typed character and may set it to 0 to discard it. Keys that type nothing
// (arrows, Delete, Home, End) never reach onKeyPress.
// The box takes text of any length. QLineEdit keeps one undo record per
// character inserted or removed, so repeated huge pastes would pile up
// hundreds of megabytes; once the history holds more than kUndoBudgetChars
// characters it is dropped, keeping text, cursor, selection and the modified
// flag. Ordinary typing stays undoable.
class QueryBox : public QLineEdit {
 public:
  explicit QueryBox(QWidget* parent);
  void SetImeMode(int mode);  // 3 off and locked, 4 on
  int ImeMode() const { return imeMode_; }
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  std::function<void()> onGotFocus;
  std::function<void(int keyCode, int shift)> onKeyDown;
  std::function<void(int& keyAscii)> onKeyPress;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  QString filterTyped(const QString& typed);
  void boundUndoHistory();
  int imeMode_ = 0;
  QString lastText_;
  std::size_t lastSelected_ = 0;  // textChanged comes before selectionChanged
  std::size_t historyChars_ = 0;
  bool resetting_ = false;
};

// Pointer codes: 0 default, 11 busy.
void SetWidgetPointer(QWidget* widget, int code);
// The application-wide pointer, over every window of the program.
void SetScreenPointer(int code);
int ScreenPointer();

}  // namespace telvara
