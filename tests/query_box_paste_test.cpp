// Huge pastes into the query box: taken whole, undo of short edits intact.
#include <QClipboard>

#include "gui_fixture.h"

namespace telvara::testing {
namespace {

class QueryBoxPaste : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetAreaMode(true);  // every character reaches the box
    box = window->Text1;
    box->setFocus();
  }
  void Paste() { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); }
  void Undo() { QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier); }
  QueryBox* box = nullptr;
};

TEST_F(QueryBoxPaste, HugePastesAreTakenWholeAndKeepTheCursor) {
  QString huge(300000, QChar(u'区'));
  huge[0] = u'札';
  QGuiApplication::clipboard()->setText(huge);
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    Paste();
  }
  EXPECT_EQ(box->text(), huge);
  EXPECT_EQ(box->cursorPosition(), huge.size());
  EXPECT_TRUE(box->isModified());

  // Into the middle: the cursor stays behind the pasted text.
  box->setCursorPosition(1);
  Paste();
  EXPECT_EQ(box->text().size(), 2 * huge.size());
  EXPECT_EQ(box->text().mid(1, huge.size()), huge);
  EXPECT_EQ(box->cursorPosition(), 1 + huge.size());
}

TEST_F(QueryBoxPaste, ShortEditsStayUndoableAfterAHugePaste) {
  QGuiApplication::clipboard()->setText(QString(200000, QChar(u'x')));
  Paste();
  box->clear();
  Type(box, "Sapporo");
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "Sappo");
  Undo();
  EXPECT_EQ(box->text(), "Sapporo");
  Undo();
  EXPECT_EQ(box->text(), "");
}

}  // namespace
}  // namespace telvara::testing
