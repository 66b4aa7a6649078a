#include <QAccessible>
#include <functional>

#include "gui_fixture.h"

namespace telvara::testing {
namespace {

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
  ASSERT_EQ(Iface(w.Label2)->role(), QAccessible::StatusBar);
  EXPECT_EQ(Iface(w.Text1)->role(), QAccessible::EditableText);
  EXPECT_EQ(Iface(w.Label1[1])->role(), QAccessible::StaticText);
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
    ASSERT_EQ(w.Label1[1]->text(), s.heading);
    ASSERT_EQ(w.Label2->text(), s.count);
    EXPECT_EQ(Read(w.Text1, QAccessible::Name), s.heading);
    EXPECT_EQ(Read(w.Combo1, QAccessible::Value), s.pref);
    EXPECT_EQ(Read(w.ListView1, QAccessible::Name), "検索結果");
    EXPECT_EQ(Read(w.ListView1, QAccessible::Description), s.count);
    EXPECT_EQ(Read(w.Label2, QAccessible::Name), s.count);
    EXPECT_EQ(Iface(w.Label2)->role(), QAccessible::StatusBar);
  }
}

}  // namespace
}  // namespace telvara::testing
