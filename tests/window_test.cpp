// The window as a user meets it: start-up state and layout, the query box and
// its modes, and what it tells assistive technology.
#include <QAccessible>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <functional>

#include "gui_fixture.h"

namespace telvara::testing {
namespace {

using StartUp = WindowTest;

TEST_F(StartUp, StateWhenStartUpHasFinished) {
  TelvaraMain& w = *window;
  EXPECT_EQ((QStringList{w.Text1->text(), w.Label2->text(), w.Label1[1]->text(), w.Label1[0]->text()}),
            (QStringList{"", "", "検索 (市外局番)", "都道府県"}));
  EXPECT_EQ(w.windowTitle(), QString::fromUtf16(u" Telvara (045)    Ver1.00\u3000     2005.11      ") + QString(20, u' '));
  EXPECT_EQ(w.focusWidget(), w.Text1);
  EXPECT_TRUE(w.Option1[0]->isChecked() && !w.Option1[1]->isChecked());
  EXPECT_EQ(std::tuple(w.Text1->ImeMode(), w.Check1->Value(), w.ListView1->View(), w.ListView1->Count()),
            std::tuple(3, 0, 3, 0));
  EXPECT_EQ(std::tuple(w.Store.LastIndex, w.Mouse.MouseButton, w.Mouse.MouseShift, app.ended), std::tuple(1816, 0, 0, 0));

  // Fifty filter choices: the whole country, 47 prefectures, the nationwide group, the whole country.
  ASSERT_EQ(w.Combo1->count(), 50);
  EXPECT_EQ(w.Combo1->currentIndex(), 0);
  const std::pair<int, const char16_t*> items[] = {
      {0, u"\u5168\u0020\u0020\u56fd"}, {1, u"北海道"}, {13, u"東京都"}, {47, u"沖縄県"}, {48, u"共  通"}, {49, u"全  国"}};
  for (auto [i, text] : items) EXPECT_EQ(w.Combo1->itemText(i), QString::fromUtf16(text)) << i;

  const QStringList headers = {"No", "局番", "都道府県", "対象区域", "旧", "CD"};
  const int widths[] = {40, 60, 80, 2133, 1, 1};
  ASSERT_EQ(w.ListView1->model()->columnCount(), 6);
  for (int col = 0; col < 6; ++col) {
    EXPECT_EQ(w.ListView1->model()->headerData(col, Qt::Horizontal).toString(), headers[col]);
    EXPECT_EQ(w.ListView1->header()->sectionSize(col), widths[col]) << col;
    EXPECT_EQ(w.ListView1->model()->headerData(col, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              col >= 4 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter)) << col;
  }
  EXPECT_FALSE(w.ListView1->header()->isSortIndicatorShown());
}

TEST_F(StartUp, ControlsStandWhereTheLayoutPutsThemStackedInOrder) {
  const std::pair<const char*, QRect> controls[] = {
      {"Command2", {632, 40, 41, 33}},  {"Frame1", {312, 11, 233, 41}},   {"Check1", {176, 16, 49, 17}},
      {"Option1_1", {88, 16, 73, 17}},  {"Option1_0", {8, 16, 73, 17}},   {"Text1", {120, 24, 177, 22}},
      {"Combo1", {16, 24, 89, 23}},     {"ListView1", {8, 64, 641, 377}}, {"Command1", {552, 11, 97, 41}},
  };
  EXPECT_EQ(window->size(), QSize(658, 453));
  EXPECT_EQ(window->objectName(), "Telvara_Main");
  for (const auto& [name, rect] : controls) {
    auto* w = window->findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name;
    EXPECT_EQ(w->geometry(), rect) << name;
  }
  // Labels keep their top-left corner and fit their caption, also when it changes.
  const std::pair<const char*, QPoint> labels[] = {{"Label2", {16, 51}}, {"Label1_1", {120, 8}}, {"Label1_0", {16, 8}}};
  int headingWidth[2] = {};
  for (bool area : {false, true}) {
    SetAreaMode(area);
    headingWidth[area] = window->Label1[1]->width();
    for (const auto& [name, pos] : labels) {
      auto* l = window->findChild<QLabel*>(name);
      ASSERT_NE(l, nullptr) << name;
      EXPECT_EQ(l->pos(), pos) << name;
      EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
    }
  }
  EXPECT_LT(headingWidth[0], headingWidth[1]);
  QStringList order;
  for (QObject* o : window->children())
    if (auto* w = qobject_cast<QWidget*>(o)) order << w->objectName();
  EXPECT_EQ(order, (QStringList{"Command2", "Frame1", "Text1", "Combo1", "ListView1", "Command1", "Label2",
                                "Label1_1", "Label1_0"}));
}

TEST_F(StartUp, FontsRenderJapanese) {
  const std::pair<QWidget*, double> fonts[] = {
      {window->Text1, 12}, {window->Combo1, 11.25}, {window->ListView1, 11.25}, {window->Label2, 9}};
  for (const auto& [w, size] : fonts) {
    EXPECT_DOUBLE_EQ(w->font().pointSizeF(), size) << w->objectName().toStdString();
    for (char16_t c : std::u16string_view(u"東京都北海道検索市外局番")) EXPECT_TRUE(QFontMetrics(w->font()).inFont(QChar(c)));
    EXPECT_FALSE(QFontInfo(w->font()).family().contains("DejaVu")) << QFontInfo(w->font()).family().toStdString();
  }
  EXPECT_TRUE(window->font().families().contains("IPAPGothic"));  // the proportional face for the rest
}

TEST_F(StartUp, TabVisitsTheControlsInLayoutOrder) {
  QStringList visited;
  for (int i = 0; i < 7; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, (QStringList{"Option1_0", "Check1", "Command1", "ListView1", "Combo1", "Text1", "Option1_0"}));
}

TEST(StartUpAlone, TheDirectoryIsLoadedAtStartAndOnEveryActivationAndAnotherInstanceEndsBeforeTheCaption) {
  for (bool another : {false, true}) {
    FakeApp app;
    app.prev = another;
    RecordingFactory browsers;
    TelvaraMain w(app, browsers);
    EXPECT_EQ(std::tuple(w.Store.LastIndex, w.Store.Directory.Code(0).empty(), w.Text1->text(), w.Label2->text()),
              std::tuple(another ? 0 : 1816, another, QString(), QString()));
    EXPECT_EQ(std::tuple(app.ended, w.Ended(), w.windowTitle() == "Form1", w.Combo1->count()),
              another ? std::tuple(1, true, true, 0) : std::tuple(0, false, false, 50))
        << another;  // a second instance is never shown: the design caption stays
    w.Store.LastIndex = 5;
    QEvent activate(QEvent::WindowActivate);  // every activation loads the directory again
    QApplication::sendEvent(&w, &activate);
    EXPECT_EQ(w.Store.LastIndex, 1816);
  }
}

using QueryInput = WindowTest;

TEST_F(QueryInput, CodeModeLetsOnlyDigitsAndBackspaceThrough) {
  Type(window->Text1, "0a4 -5Ｘ");
  EXPECT_EQ(window->Text1->text(), "045");
  QTest::keyClick(window->Text1, Qt::Key_Backspace);
  EXPECT_EQ(window->Text1->text(), "04");
  for (Qt::Key key : {Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Left, Qt::Key_1})  // keys that type nothing still work
    QTest::keyClick(window->Text1, key);
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

TEST_F(QueryInput, ModeClickSwitchesHeadingAndReturnsFocusWithSelection) {
  Search("0123");
  QTest::mouseClick(window->Option1[1], Qt::LeftButton);
  EXPECT_EQ((QStringList{window->Label1[1]->text(), window->Text1->selectedText()}),
            (QStringList{"検索 (対象区域名)", "0123"}));
  EXPECT_EQ(window->focusWidget(), window->Text1);
  EXPECT_EQ(Count(), 7);  // a mode switch keeps the rows
  QTest::mouseClick(window->Option1[0], Qt::LeftButton);
  EXPECT_EQ((QStringList{window->Label1[1]->text(), window->Text1->text()}), (QStringList{"検索 (市外局番)", "0123"}));

  // From the keyboard the focus stays on the buttons.
  window->Option1[0]->setFocus();
  QTest::keyClick(window->Option1[0], Qt::Key_Right);
  EXPECT_TRUE(window->Option1[1]->isChecked() && window->focusWidget() == window->Option1[1]);
  EXPECT_EQ(window->Label1[1]->text(), "検索 (対象区域名)");
  QTest::keyClick(window->Option1[1], Qt::Key_Left);
  // A right-button release over a mode focuses the box without switching.
  window->Combo1->setFocus();
  QTest::mouseClick(window->Option1[1], Qt::RightButton);
  EXPECT_TRUE(window->Option1[0]->isChecked());
  EXPECT_EQ(window->focusWidget(), window->Text1);
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

// Huge pastes into the query box: taken whole, undo of short edits intact.
class QueryBoxPaste : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetAreaMode(true);  // every character reaches the box
    box = window->Text1;
    box->setFocus();
  }
  void Paste() { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); }
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
  EXPECT_EQ(std::pair(box->cursorPosition(), box->isModified()), std::pair(int(huge.size()), true));

  // Into the middle: the cursor stays behind the pasted text.
  box->setCursorPosition(1);
  Paste();
  EXPECT_EQ(box->text(), huge.first(1) + huge + huge.mid(1));
  EXPECT_EQ(box->cursorPosition(), 1 + huge.size());
}

TEST_F(QueryBoxPaste, ShortEditsStayUndoableAfterAHugePaste) {
  QGuiApplication::clipboard()->setText(QString(200000, QChar(u'x')));
  Paste();
  box->clear();
  Type(box, "Sapporo");
  QStringList seen;
  for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Z, Qt::Key_Z}) {
    QTest::keyClick(box, key, key == Qt::Key_Z ? Qt::ControlModifier : Qt::NoModifier);
    seen << box->text();
  }
  EXPECT_EQ(seen, (QStringList{"Sappor", "Sappo", "Sapporo", ""}));
}

using Accessible = WindowTest;

QAccessibleInterface* Iface(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
QString Read(QObject* o, QAccessible::Text t) { return Iface(o)->text(t); }

// The names of the captions that label a control, as a reader finds them.
QStringList LabelledBy(QObject* o) {
  QStringList names;
  for (const auto& [other, relation] : Iface(o)->relations(QAccessible::Label)) names << other->text(QAccessible::Name);
  return names;
}

TEST_F(Accessible, NamesAndCountFollowWhatTheWindowShows) {
  TelvaraMain& w = *window;
  EXPECT_EQ(std::tuple(Iface(w.Text1)->role(), Iface(w.Label1[1])->role()),
            std::tuple(QAccessible::EditableText, QAccessible::StaticText));
  EXPECT_EQ(LabelledBy(w.Text1), QStringList{w.Label1[1]->text()});
  EXPECT_EQ(LabelledBy(w.Combo1), QStringList{"都道府県"});
  EXPECT_EQ(w.Combo1->accessibleName(), "都道府県");

  struct Step {
    const char* what;
    std::function<void()> act;
    QString heading, pref, count;
  };
  const QString code = "検索 (市外局番)", area = "検索 (対象区域名)", whole = "全  国";
  const Step steps[] = {
      {"start", [] {}, code, whole, ""},
      {"area mode", [&] { SetAreaMode(true); }, area, whole, ""},
      {"code mode", [&] { SetAreaMode(false); }, code, whole, ""},
      {"search", [&] { Search("0123"); }, code, whole, "7 件"},
      {"area mode keeps the count", [&] { SetAreaMode(true); }, area, whole, "7 件"},
      {"listing", [&] { ChoosePref("東京都"); QTest::mouseDClick(w.Label1[0], Qt::LeftButton); }, area, "東京都",
       "50 件"},
      {"search with no hits", [&] { Search("該当なし"); }, area, "東京都", "0 件"},
      {"failed search leaves the count line empty", [&] {
         SetAreaMode(false);
         w.Store.LastIndex = 1900;  // the walk fails past the last slot
         Search("0");
       }, code, "東京都", ""},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    ASSERT_EQ((QStringList{w.Label1[1]->text(), w.Label2->text()}), (QStringList{s.heading, s.count}));
    EXPECT_EQ((QStringList{Read(w.Text1, QAccessible::Name), Read(w.Combo1, QAccessible::Value),
                           Read(w.ListView1, QAccessible::Name), Read(w.ListView1, QAccessible::Description),
                           Read(w.Label2, QAccessible::Name)}),
              (QStringList{s.heading, s.pref, "検索結果", s.count, s.count}));
    EXPECT_EQ(Iface(w.Label2)->role(), QAccessible::StatusBar);
  }
}

}  // namespace
}  // namespace telvara::testing
