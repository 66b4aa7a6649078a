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
  EXPECT_EQ(window->Text1->text(), "4");
  QTest::keyClick(window->Text1, Qt::Key_End);
  QTest::keyClick(window->Text1, Qt::Key_Left);
  QTest::keyClick(window->Text1, Qt::Key_1);
  EXPECT_EQ(window->Text1->text(), "14");
}

TEST_F(QueryInput, ControlCharactersDoNothingInCodeMode) {
  QApplication::clipboard()->setText("999");
  window->Text1->setText("12");
  window->Text1->selectAll();
  // As the X keyboard delivers them: Ctrl+V types U+0016, Ctrl+X U+0018.
  QTest::keyClick(window->Text1, Qt::Key_V, Qt::ControlModifier);
  QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  QApplication::sendEvent(window->Text1, &paste);
  QKeyEvent cut(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18"));
  QApplication::sendEvent(window->Text1, &cut);
  EXPECT_EQ(window->Text1->text(), "12");
  EXPECT_EQ(QApplication::clipboard()->text(), "999");
}

TEST_F(QueryInput, AreaModeTakesEveryCharacterAndPastes) {
  SetAreaMode(true);
  window->Text1->setFocus();
  QTest::keyClicks(window->Text1, "ab-1");
  EXPECT_EQ(window->Text1->text(), "ab-1");
  QApplication::clipboard()->setText("札幌");
  QTest::keyClick(window->Text1, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window->Text1->text(), "ab-1札幌");
}

TEST_F(QueryInput, TextThatArrivesWithoutTypingStays) {
  SetAreaMode(true);
  window->Text1->setText("札幌");
  SetAreaMode(false);
  EXPECT_EQ(window->Text1->text(), "札幌");
  QApplication::clipboard()->setText("abc");
  window->Text1->paste();
  EXPECT_EQ(window->Text1->text(), "abc");
}

TEST_F(QueryInput, InputMethodIsLockedOffInCodeModeOnly) {
  EXPECT_FALSE(window->Text1->inputMethodQuery(Qt::ImEnabled).toBool());
  EXPECT_FALSE(window->Text1->testAttribute(Qt::WA_InputMethodEnabled));
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("あ7"));
  QApplication::sendEvent(window->Text1, &commit);
  EXPECT_EQ(window->Text1->text(), "7");
  SetAreaMode(true);
  EXPECT_TRUE(window->Text1->inputMethodQuery(Qt::ImEnabled).toBool());
  EXPECT_EQ(window->Text1->ImeMode(), 4);
  QApplication::sendEvent(window->Text1, &commit);
  EXPECT_EQ(window->Text1->text(), "あ7");  // the mode click selected the old text
}

TEST_F(QueryInput, EnterInAnEmptyBoxDoesNothing) {
  auto seen = ExpectMessageBox();
  QTest::keyClick(window->Text1, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_FALSE(seen->shown);
  EXPECT_EQ(window->Label2->text(), "");
}

TEST_F(QueryInput, EnterWithModifiersStillSearches) {
  QTest::keyClicks(window->Text1, "0123");
  QTest::keyClick(window->Text1, Qt::Key_Enter, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(window->Label2->text(), "7 件");
  EXPECT_EQ(window->Text1->text(), "0123");
}

TEST_F(QueryInput, ModeClickSwitchesHeadingAndReturnsFocusWithSelection) {
  window->Text1->setText("0123");
  Search("0123");
  QTest::mouseClick(window->Option1[1], Qt::LeftButton);
  EXPECT_EQ(window->Label1[1]->text(), "検索 (対象区域名)");
  EXPECT_EQ(window->focusWidget(), window->Text1);
  EXPECT_EQ(window->Text1->selectedText(), "0123");
  EXPECT_EQ(window->ListView1->Count(), 7);  // a mode switch keeps the rows
  QTest::mouseClick(window->Option1[0], Qt::LeftButton);
  EXPECT_EQ(window->Label1[1]->text(), "検索 (市外局番)");
  EXPECT_EQ(window->Text1->text(), "0123");
}

TEST_F(QueryInput, RightButtonReleaseOnAModeFocusesTheBoxWithoutSwitching) {
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

TEST_F(QueryInput, SecondButtonDoesNothing) {
  Search("0123");
  window->Command2_Click();
  QTest::mouseClick(window->Command2, Qt::LeftButton);
  EXPECT_EQ(window->ListView1->Count(), 7);
  EXPECT_EQ(window->Label2->text(), "7 件");
}

TEST_F(QueryInput, CheckBoxCyclesTickedAndClearOnly) {
  QTest::mouseClick(window->Check1, Qt::LeftButton);
  EXPECT_EQ(window->Check1->Value(), 1);
  QTest::mouseClick(window->Check1, Qt::LeftButton);
  EXPECT_EQ(window->Check1->Value(), 0);
  window->Check1->SetValue(2);
  EXPECT_EQ(window->Check1->Value(), 2);
}

}  // namespace
}  // namespace telvara::testing
