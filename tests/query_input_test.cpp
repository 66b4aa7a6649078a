#include <QClipboard>
#include <QInputMethodEvent>

#include "gui_fixture.h"

namespace telvara::testing {
namespace {

using QueryInput = WindowTest;

TEST_F(QueryInput, CodeModeLetsOnlyDigitsAndBackspaceThrough) {
  Type(window->Text1, "0a4 -5Ｘ");
  EXPECT_EQ(window->Text1->text(), "045");
  QTest::keyClick(window->Text1, Qt::Key_Backspace);
  EXPECT_EQ(window->Text1->text(), "04");
  QTest::keyClick(window->Text1, Qt::Key_Home);
  QTest::keyClick(window->Text1, Qt::Key_Delete);  // keys that type nothing still work
  QTest::keyClick(window->Text1, Qt::Key_End);
  QTest::keyClick(window->Text1, Qt::Key_Left);
  QTest::keyClick(window->Text1, Qt::Key_1);
  EXPECT_EQ(window->Text1->text(), "14");

  // Control characters do nothing, as the X keyboard delivers them: Ctrl+V
  // types U+0016 and Ctrl+X U+0018.
  QApplication::clipboard()->setText("999");
  window->Text1->selectAll();
  QTest::keyClick(window->Text1, Qt::Key_V, Qt::ControlModifier);
  for (auto [key, text] : {std::pair{Qt::Key_V, "\x16"}, std::pair{Qt::Key_X, "\x18"}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier, QString::fromLatin1(text));
    QApplication::sendEvent(window->Text1, &press);
  }
  EXPECT_EQ(window->Text1->text(), "14");
  EXPECT_EQ(QApplication::clipboard()->text(), "999");
}

TEST_F(QueryInput, AreaModeTakesEveryCharacterAndPastes) {
  SetAreaMode(true);
  QTest::keyClicks(window->Text1, "ab-1");
  QApplication::clipboard()->setText("札幌");
  QTest::keyClick(window->Text1, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window->Text1->text(), "ab-1札幌");
  // Text that arrives without typing stays, whatever the mode.
  SetAreaMode(false);
  EXPECT_EQ(window->Text1->text(), "ab-1札幌");
  QApplication::clipboard()->setText("abc");
  window->Text1->paste();
  EXPECT_EQ(window->Text1->text(), "abc");
}

TEST_F(QueryInput, InputMethodIsLockedOffInCodeModeOnly) {
  EXPECT_FALSE(window->Text1->inputMethodQuery(Qt::ImEnabled).toBool() ||
               window->Text1->testAttribute(Qt::WA_InputMethodEnabled));
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("あ7"));
  QApplication::sendEvent(window->Text1, &commit);
  EXPECT_EQ(window->Text1->text(), "7");
  SetAreaMode(true);
  EXPECT_TRUE(window->Text1->inputMethodQuery(Qt::ImEnabled).toBool() && window->Text1->ImeMode() == 4);
  QApplication::sendEvent(window->Text1, &commit);
  EXPECT_EQ(window->Text1->text(), "あ7");  // the mode click selected the old text
}

TEST_F(QueryInput, EnterSearchesOnlyWithTextAndWhateverModifiersAreHeld) {
  auto seen = ExpectMessageBox();
  QTest::keyClick(window->Text1, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(std::tuple(seen->size(), CountLine()), std::tuple(0, QString()));
  QTest::keyClicks(window->Text1, "0123");
  QTest::keyClick(window->Text1, Qt::Key_Enter, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ((QStringList{CountLine(), window->Text1->text()}), (QStringList{"7 件", "0123"}));
}

TEST_F(QueryInput, ModeClickSwitchesHeadingAndReturnsFocusWithSelection) {
  Search("0123");
  QTest::mouseClick(window->Option1[1], Qt::LeftButton);
  EXPECT_EQ((QStringList{window->Label1[1]->text(), window->Text1->selectedText()}),
            (QStringList{"検索 (対象区域名)", "0123"}));
  EXPECT_EQ(window->focusWidget(), window->Text1);
  EXPECT_EQ(Count(), 7);  // a mode switch keeps the rows
  QTest::mouseClick(window->Option1[0], Qt::LeftButton);
  EXPECT_EQ((QStringList{window->Label1[1]->text(), window->Text1->text()}), (QStringList{"検索 (市外局番)", "0123"}));

  // A right-button release over a mode focuses the box without switching.
  window->Combo1->setFocus();
  QTest::mouseClick(window->Option1[1], Qt::RightButton);
  EXPECT_TRUE(window->Option1[0]->isChecked());
  EXPECT_EQ(window->focusWidget(), window->Text1);
}

TEST_F(QueryInput, KeyboardModeChangeKeepsFocusOnTheButton) {
  window->Option1[0]->setFocus();
  QTest::keyClick(window->Option1[0], Qt::Key_Right);
  EXPECT_TRUE(window->Option1[1]->isChecked());
  EXPECT_EQ(window->Label1[1]->text(), "検索 (対象区域名)");
  EXPECT_EQ(window->focusWidget(), window->Option1[1]);
}

TEST_F(QueryInput, SecondButtonDoesNothingAndTheCheckBoxCyclesTickedAndClear) {
  Search("0123");
  QTest::mouseClick(window->Command2, Qt::LeftButton);
  EXPECT_EQ(std::tuple(Count(), CountLine()), std::tuple(7, QString("7 件")));
  for (int want : {1, 0, 1}) {
    QTest::mouseClick(window->Check1, Qt::LeftButton);
    EXPECT_EQ(window->Check1->Value(), want);
  }
  window->Check1->SetValue(2);
  EXPECT_EQ(window->Check1->Value(), 2);
}

}  // namespace
}  // namespace telvara::testing
