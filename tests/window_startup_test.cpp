#include <QFontInfo>
#include <QFontMetrics>

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
  EXPECT_TRUE(QFontMetrics(window->font()).inFont(QChar(u'都')));
}

TEST_F(StartUp, TabVisitsTheControlsInLayoutOrder) {
  QStringList visited;
  for (int i = 0; i < 7; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, (QStringList{"Option1_0", "Check1", "Command1", "ListView1", "Combo1", "Text1", "Option1_0"}));
}

TEST_F(StartUp, EveryActivationReloadsTheSameDirectory) {
  const std::u16string before(window->Store.Directory.Area(100));
  window->Store.LastIndex = 5;
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(window.get(), &activate);
  EXPECT_EQ(window->Store.LastIndex, 1816);
  EXPECT_EQ(window->Store.Directory.Area(100), before);
}

TEST(StartUpAlone, NothingIsLoadedBeforeTheFirstActivationAndAnotherInstanceEndsBeforeTheCaption) {
  for (bool another : {false, true}) {
    FakeApp app;
    app.prev = another;
    RecordingFactory browsers;
    TelvaraMain w(app, browsers);
    EXPECT_EQ(std::tuple(w.Store.LastIndex, w.Store.Directory.Code(0).empty(), w.Text1->text(), w.Label2->text()),
              std::tuple(0, true, QString(), QString()));
    EXPECT_EQ(std::tuple(app.ended, w.Ended(), w.windowTitle() == "Form1", w.Combo1->count()),
              another ? std::tuple(1, true, true, 0) : std::tuple(0, false, false, 50))
        << another;  // a second instance is never shown: the design caption stays
  }
}

}  // namespace
}  // namespace telvara::testing
