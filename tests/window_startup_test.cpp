#include <QFontInfo>
#include <QFontMetrics>
#include <QInputMethodQueryEvent>

#include "app/Caption.h"
#include "gui_fixture.h"

namespace telvara::testing {
namespace {

using StartUp = WindowTest;

TEST_F(StartUp, StateWhenStartUpHasFinished) {
  TelvaraMain& w = *window;
  EXPECT_EQ(w.Text1->text(), "");
  EXPECT_EQ(window->focusWidget(), w.Text1);
  EXPECT_EQ(w.Text1->ImeMode(), 3);
  EXPECT_EQ(w.Label2->text(), "");
  EXPECT_EQ(w.Label1[1]->text(), "検索 (市外局番)");
  EXPECT_EQ(w.Label1[0]->text(), "都道府県");
  EXPECT_TRUE(w.Option1[0]->isChecked());
  EXPECT_FALSE(w.Option1[1]->isChecked());
  EXPECT_EQ(w.Check1->Value(), 0);
  EXPECT_EQ(w.Combo1->currentText(), QString::fromUtf16(u"\u5168\u0020\u0020\u56fd"));
  EXPECT_EQ(w.Combo1->currentIndex(), 0);
  EXPECT_EQ(w.ListView1->View(), 3);
  EXPECT_EQ(w.ListView1->Count(), 0);
  EXPECT_EQ(w.Store.LastIndex, 1816);
  EXPECT_EQ(w.windowTitle(), ToQString(ComposeCaption(1, 0, 0)));
  EXPECT_EQ(w.windowTitle(), QString::fromUtf16(u" Telvara (045)    Ver1.00\u3000     2005.11      ") +
                                 QString(20, u' '));
  EXPECT_EQ(w.Mouse.MouseButton, 0);
  EXPECT_EQ(w.Mouse.MouseShift, 0);
  EXPECT_EQ(app.ended, 0);
}

TEST_F(StartUp, FilterOffersFiftyChoices) {
  QComboBox* c = window->Combo1;
  ASSERT_EQ(c->count(), 50);
  EXPECT_EQ(c->itemText(0), "全  国");
  EXPECT_EQ(c->itemText(1), "北海道");
  EXPECT_EQ(c->itemText(13), "東京都");
  EXPECT_EQ(c->itemText(47), "沖縄県");
  EXPECT_EQ(c->itemText(48), "共  通");
  EXPECT_EQ(c->itemText(49), "全  国");
}

TEST_F(StartUp, ListColumns) {
  ReportList* list = window->ListView1;
  const QStringList headers = {"No", "局番", "都道府県", "対象区域", "旧", "CD"};
  const int widths[] = {40, 60, 80, 2133, 1, 1};
  ASSERT_EQ(list->model()->columnCount(), 6);
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
    EXPECT_EQ(list->header()->sectionSize(c), widths[c]) << c;
    EXPECT_FALSE(list->header()->isSectionHidden(c));
  }
  EXPECT_FALSE(list->header()->isSortIndicatorShown());
}

struct Geometry {
  const char* name;
  QRect rect;  // in pixels, relative to the parent
};

TEST_F(StartUp, ControlsStandWhereTheLayoutPutsThem) {
  const Geometry controls[] = {
      {"Command2", {632, 40, 41, 33}},  {"Frame1", {312, 11, 233, 41}},   {"Check1", {176, 16, 49, 17}},
      {"Option1_1", {88, 16, 73, 17}},  {"Option1_0", {8, 16, 73, 17}},   {"Text1", {120, 24, 177, 22}},
      {"Combo1", {16, 24, 89, 23}},     {"ListView1", {8, 64, 641, 377}}, {"Command1", {552, 11, 97, 41}},
  };
  EXPECT_EQ(window->size(), QSize(658, 453));
  EXPECT_EQ(window->objectName(), "Telvara_Main");
  for (const Geometry& g : controls) {
    auto* w = window->findChild<QWidget*>(g.name);
    ASSERT_NE(w, nullptr) << g.name;
    EXPECT_EQ(w->geometry(), g.rect) << g.name;
  }
  // Labels keep their top-left corner and fit their caption.
  const std::pair<const char*, QPoint> labels[] = {
      {"Label2", {16, 51}}, {"Label1_1", {120, 8}}, {"Label1_0", {16, 8}}};
  for (const auto& [name, pos] : labels) {
    auto* l = window->findChild<QLabel*>(name);
    ASSERT_NE(l, nullptr) << name;
    EXPECT_EQ(l->pos(), pos) << name;
    if (!l->text().isEmpty()) {
      EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
    }
  }
  // Stacking, bottom to top among the window's own children.
  QStringList order;
  for (QObject* o : window->children())
    if (auto* w = qobject_cast<QWidget*>(o)) order << w->objectName();
  EXPECT_EQ(order, (QStringList{"Command2", "Frame1", "Text1", "Combo1", "ListView1", "Command1", "Label2",
                                "Label1_1", "Label1_0"}));
}

TEST_F(StartUp, LabelsFollowTheirCaption) {
  const int narrow = window->Label1[1]->width();
  SetAreaMode(true);
  EXPECT_EQ(window->Label1[1]->text(), "検索 (対象区域名)");
  EXPECT_GT(window->Label1[1]->width(), narrow);
  EXPECT_EQ(window->Label1[1]->pos(), QPoint(120, 8));
}

TEST_F(StartUp, FontsRenderJapanese) {
  const std::pair<QWidget*, double> fonts[] = {
      {window->Text1, 12}, {window->Combo1, 11.25}, {window->ListView1, 11.25}, {window->Label2, 9}};
  for (const auto& [w, size] : fonts) {
    EXPECT_DOUBLE_EQ(w->font().pointSizeF(), size) << w->objectName().toStdString();
    const QFontMetrics metrics(w->font());
    for (char16_t c : std::u16string_view(u"東京都北海道検索市外局番")) EXPECT_TRUE(metrics.inFont(QChar(c)));
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
  window->Form_Activate();
  EXPECT_EQ(window->Store.LastIndex, 1816);
  EXPECT_EQ(window->Store.Directory.Area(100), before);
}

TEST(StartUpAlone, NothingIsLoadedBeforeTheFirstActivation) {
  FakeApp app;
  RecordingFactory browsers;
  TelvaraMain w(app, browsers);
  EXPECT_EQ(w.Store.LastIndex, 0);
  EXPECT_TRUE(w.Store.Directory.Code(0).empty());
  EXPECT_NE(w.windowTitle(), "Form1");
  EXPECT_EQ(w.Text1->text(), "");
  EXPECT_EQ(w.Label2->text(), "");
}

TEST(StartUpAlone, AnotherInstanceEndsTheProgramBeforeTheCaption) {
  FakeApp app;
  app.prev = true;
  RecordingFactory browsers;
  TelvaraMain w(app, browsers);
  EXPECT_EQ(app.ended, 1);
  EXPECT_TRUE(w.Ended());
  EXPECT_EQ(w.windowTitle(), "Form1");  // never shown: the design caption stays
  EXPECT_EQ(w.Combo1->count(), 0);
}

}  // namespace
}  // namespace telvara::testing
