#include "gui_fixture.h"

namespace telvara::testing {
namespace {

using SearchWindow = WindowTest;

TEST_F(SearchWindow, EnterRunsTheSearchAndWritesRowsAndCount) {
  Search("0123");
  ASSERT_EQ(window->ListView1->Count(), 7);
  EXPECT_EQ(window->Label2->text(), "7 件");
  EXPECT_EQ(window->ListView1->Text(1), "0001");
  EXPECT_EQ(window->ListView1->Text(7), "0007");
  EXPECT_EQ(Column(1), (QStringList{"0123", "0123", "01235", "01237", "01237", "01238", "01238"}));
  EXPECT_EQ(window->ListView1->SubItem(1, 3), "恵庭市");
  EXPECT_EQ(window->ListView1->SubItem(1, 2), "北海道");
  EXPECT_EQ(window->ListView1->SubItem(1, 4), "");
  EXPECT_EQ(window->ListView1->SubItem(1, 5), "01");
  EXPECT_EQ(window->focusWidget(), window->Text1);
  EXPECT_EQ(window->MousePointer(), 0);
}

TEST_F(SearchWindow, QueryIsTrimmedAndWrittenBack) {
  SetExact(true);
  window->Text1->setText("  011 ");
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  EXPECT_EQ(window->Text1->text(), "011");
  EXPECT_EQ(Column(3), (QStringList{"江別市", "札幌市", "北広島市", "空知郡南幌町"}));
}

TEST_F(SearchWindow, SpacesOnlyShowsTheMessageAndKeepsTheRows) {
  Search("0123");
  window->Text1->setText("   ");
  auto seen = ExpectMessageBox();
  QTest::keyClick(window->Text1, Qt::Key_Return);
  ASSERT_TRUE(seen->shown);
  EXPECT_EQ(seen->text, QString::fromUtf16(u"市外局番または対象区域名を入力してください。\u0020\u0020\u0020\u0020\u0020"));
  EXPECT_EQ(seen->title, "Telvara");
  EXPECT_EQ(seen->icon, QMessageBox::Warning);
  EXPECT_EQ(seen->buttons, 1);
  EXPECT_EQ(window->Text1->text(), "");
  EXPECT_EQ(window->ListView1->Count(), 7);
  EXPECT_EQ(window->Label2->text(), "7 件");
  EXPECT_EQ(window->focusWidget(), window->Text1);
}

TEST_F(SearchWindow, ZeroPartialListsAllCodesAndExactNone) {
  Search("0");
  EXPECT_EQ(window->ListView1->Count(), 1790);
  EXPECT_EQ(window->Label2->text(), "1790 件");
  EXPECT_EQ(window->ListView1->Text(1790), "1790");
  SetExact(true);
  Search("0");
  EXPECT_EQ(window->ListView1->Count(), 0);
  EXPECT_EQ(window->Label2->text(), "0 件");
}

TEST_F(SearchWindow, PrefectureChoiceRestricts) {
  ChoosePref("共  通");
  Search("11");
  EXPECT_EQ(Column(1), (QStringList{"110", "117", "115", "113", "114", "116", "118", "119"}));
  EXPECT_EQ(Column(5), QStringList(8, "48"));
  SetExact(true);
  ChoosePref("東京都");
  Search("03");
  EXPECT_EQ(window->ListView1->Count(), 4);
  EXPECT_EQ(window->ListView1->SubItem(1, 5), "13");
  ChoosePref("大阪府");
  Search("03");
  EXPECT_EQ(window->ListView1->Count(), 0);
}

TEST_F(SearchWindow, AreaModeMarksOldNames) {
  SetAreaMode(true);
  Search("八雲");
  ASSERT_EQ(window->ListView1->Count(), 3);
  EXPECT_EQ(Column(3).filter("(旧)"), QStringList{"(旧)山越郡八雲町"});
  SetExact(true);
  Search("山越郡八雲町");
  EXPECT_EQ(Column(3), QStringList{"(旧)山越郡八雲町"});
  window->Check1->SetValue(2);  // grey searches partially
  Search("八雲");
  EXPECT_EQ(window->ListView1->Count(), 3);
}

TEST_F(SearchWindow, HostileQueriesAreHarmless) {
  SetAreaMode(true);
  const QString huge(100000, QChar(u'町'));
  const QString odd[] = {huge, QString(QChar(0)), QString(QChar(0xD800)), QString::fromUtf16(u"\u3000"),
                         "\t\x01\x1b", huge + "札幌市"};
  for (const QString& q : odd) {
    window->Text1->setText(q);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    EXPECT_EQ(window->ListView1->Count(), 0);
    EXPECT_EQ(window->Label2->text(), "0 件");
  }
}

TEST_F(SearchWindow, RepeatedEnterGivesTheSameResult) {
  Search("0123");
  for (int i = 0; i < 10; ++i) QTest::keyClick(window->Text1, Qt::Key_Return);
  EXPECT_EQ(window->ListView1->Count(), 7);
  EXPECT_EQ(window->Label2->text(), "7 件");
  EXPECT_EQ(window->ListView1->Text(7), "0007");
}

TEST_F(SearchWindow, AFailureMidWalkKeepsRowsAndRestoresPointerAndFocus) {
  window->Store.LastIndex = 1900;  // walks past the last slot: the directory refuses index 1851
  window->Combo1->setFocus();
  window->Text1->setText("0");
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  EXPECT_EQ(window->ListView1->Count(), 1790);
  EXPECT_EQ(window->Label2->text(), "");
  EXPECT_EQ(window->MousePointer(), 0);
  EXPECT_EQ(window->focusWidget(), window->Text1);
}

TEST_F(SearchWindow, LabelDoubleClickListsThePrefecture) {
  window->Text1->setText("999");
  ChoosePref("東京都");
  window->Combo1->setFocus();
  QTest::mouseDClick(window->Label1[0], Qt::LeftButton);
  ASSERT_EQ(window->ListView1->Count(), 50);
  EXPECT_EQ(window->ListView1->Text(1), "0001");
  EXPECT_EQ(window->ListView1->Text(50), "0050");
  EXPECT_EQ(Column(2), QStringList(50, "東京都"));
  EXPECT_EQ(Column(5), QStringList(50, ""));
  EXPECT_EQ(window->Label2->text(), "50 件");
  EXPECT_EQ(window->Text1->text(), "999");
  EXPECT_EQ(window->focusWidget(), window->Combo1);  // focus stays

  const QStringList tokyo = Column(3);
  SetAreaMode(true);
  SetExact(true);
  QTest::mouseDClick(window->Label1[1], Qt::LeftButton);
  EXPECT_EQ(Column(3), tokyo);

  ChoosePref("共  通");
  QTest::mouseDClick(window->Label1[1], Qt::LeftButton);
  ASSERT_EQ(window->ListView1->Count(), 43);
  EXPECT_EQ(window->ListView1->SubItem(1, 3), "警察");
  EXPECT_EQ(window->ListView1->SubItem(43, 3), "あいたらお知らせ");

  ChoosePref("北海道");
  QTest::mouseDClick(window->Label1[0], Qt::LeftButton);
  EXPECT_EQ(window->ListView1->Count(), 151);
  EXPECT_EQ(Column(3).filter(QRegularExpression("^\\(旧\\)")).size(), 8);
}

TEST_F(SearchWindow, WholeCountryListingChangesNothing) {
  Search("0123");
  window->Combo1->setCurrentIndex(49);  // the second whole-country entry
  QTest::mouseDClick(window->Label1[0], Qt::LeftButton);
  QTest::mouseDClick(window->Label1[1], Qt::LeftButton);
  EXPECT_EQ(window->ListView1->Count(), 7);
  EXPECT_EQ(window->Label2->text(), "7 件");
}

TEST_F(SearchWindow, HeaderClicksSort) {
  Search("0123");
  ClickHeader(0);  // No: descending
  EXPECT_EQ(Column(0).first(3), (QStringList{"0007", "0006", "0005"}));
  ClickHeader(1);  // 局番: descending, ties keep their order
  EXPECT_EQ(Column(1), (QStringList{"01238", "01238", "01237", "01237", "01235", "0123", "0123"}));
  EXPECT_EQ(Column(0), (QStringList{"0007", "0006", "0005", "0004", "0003", "0002", "0001"}));
  ClickHeader(0);  // No again: its count is 2, ascending
  EXPECT_EQ(Column(0), (QStringList{"0001", "0002", "0003", "0004", "0005", "0006", "0007"}));
  ClickHeader(5);  // CD: nothing at all
  EXPECT_EQ(Column(0).first(2), (QStringList{"0001", "0002"}));
  EXPECT_EQ(window->Sort.Count(5), 0);
  EXPECT_EQ(window->ListView1->model()->headerData(0, Qt::Horizontal).toString(), "No");
}

TEST_F(SearchWindow, PrefectureHeaderOrdersByNumberAndLaterRowsFollowTheOrder) {
  ChoosePref("全  国");
  Search("11");  // regional rows and nationwide numbers
  ClickHeader(2);
  EXPECT_EQ(window->ListView1->SubItem(1, 5), "48");
  EXPECT_EQ(window->ListView1->SubItem(window->ListView1->Count(), 5), "01");
  ClickHeader(2);
  EXPECT_EQ(window->ListView1->SubItem(1, 5), "01");
  EXPECT_EQ(window->ListView1->SubItem(window->ListView1->Count(), 5), "48");
  // The order chosen last stays in force for the rows of the next search.
  ClickHeader(0);
  Search("0123");
  EXPECT_EQ(Column(0), (QStringList{"0007", "0006", "0005", "0004", "0003", "0002", "0001"}));
}

TEST_F(SearchWindow, AreaHeadersSortByTheirOwnColumns) {
  ChoosePref("北海道");
  QTest::mouseDClick(window->Label1[0], Qt::LeftButton);
  ClickHeader(3);
  QStringList areas = Column(3);
  QStringList sorted = areas;
  std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return b < a; });
  EXPECT_EQ(areas, sorted);
  ClickHeader(4);  // 旧: every cell is empty, so rows keep their order
  EXPECT_EQ(Column(3), areas);
  EXPECT_EQ(window->ListView1->SortKey(), 4);
  EXPECT_EQ(window->Sort.Count(3), 1);
  EXPECT_EQ(window->Sort.Count(4), 1);
}

TEST_F(SearchWindow, HeaderClickOnAnEmptyListStillCounts) {
  ClickHeader(1);
  EXPECT_EQ(window->Sort.Count(1), 1);
  EXPECT_EQ(window->ListView1->SortKey(), 1);
  EXPECT_EQ(window->ListView1->SortOrder(), 1);
  EXPECT_EQ(window->ListView1->Count(), 0);
}

}  // namespace
}  // namespace telvara::testing
