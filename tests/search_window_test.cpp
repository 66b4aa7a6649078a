// Searches, listings, header sorting and the web lookup, driven through the
// real controls.
#include <QRegularExpression>
#include <QTemporaryDir>

#include "gui_fixture.h"
#include "resultlist/DesktopBrowser.h"

namespace telvara::testing {
namespace {

using SearchWindow = WindowTest;

// What the window's own controls ask for, as a user sets them.
struct WindowSearch {
  const char* name;
  bool area;
  int exact;  // the check box: 0 clear, 1 ticked, 2 grey (grey searches partially)
  const char16_t* pref;
  const char16_t* query;
  int count;
  const char16_t* firstArea;  // 対象区域 and CD of the first row, when there is one
  const char16_t* firstCd;
};

// On a window no activation ever reached, as on a display without a window manager.
class WindowSearches : public WindowTest, public ::testing::WithParamInterface<WindowSearch> {
 public:
  WindowSearches() { activate = false; }
};

TEST_P(WindowSearches, RowsAndCountLine) {
  const WindowSearch& c = GetParam();
  SetAreaMode(c.area);
  if (c.exact == 2)
    window->Check1->SetValue(2);
  else
    SetExact(c.exact == 1);
  ChoosePref(QString::fromUtf16(c.pref));
  Search(QString::fromUtf16(c.query));
  ASSERT_EQ(Count(), c.count);
  EXPECT_EQ(CountLine(), QString::number(c.count) + " 件");
  if (c.count == 0) return;
  EXPECT_EQ(window->ListView1->Text(1), "0001");
  EXPECT_EQ(window->ListView1->Text(c.count), QString::number(c.count).rightJustified(4, '0'));
  EXPECT_EQ(window->ListView1->SubItem(1, 3), QString::fromUtf16(c.firstArea));
  EXPECT_EQ(window->ListView1->SubItem(1, 5), QString::fromUtf16(c.firstCd));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, WindowSearches,
    ::testing::Values(WindowSearch{"code_0123", false, 0, u"全  国", u"0123", 7, u"恵庭市", u"01"},
                      WindowSearch{"code_exact_0_none", false, 1, u"全  国", u"0", 0, nullptr, nullptr},
                      WindowSearch{"common_11", false, 0, u"共  通", u"11", 8, u"警察", u"48"},
                      WindowSearch{"tokyo_exact_03", false, 1, u"東京都", u"03", 4, u"東京都内２３区", u"13"},
                      WindowSearch{"area_yakumo", true, 0, u"全  国", u"八雲", 3, u"二海郡八雲町", u"01"},
                      WindowSearch{"area_exact_old_name", true, 1, u"全  国", u"山越郡八雲町", 1,
                                   u"(旧)山越郡八雲町", u"01"},
                      WindowSearch{"area_grey_is_partial", true, 2, u"全  国", u"八雲", 3, u"二海郡八雲町", u"01"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchWindow, EnterSearchesAgainAndLeavesFocusInTheBox) {
  Search("0123");
  for (int i = 0; i < 3; ++i) QTest::keyClick(window->Text1, Qt::Key_Return);
  ASSERT_EQ(Count(), 7);
  EXPECT_EQ(CountLine(), "7 件");
  EXPECT_EQ(Column(1), (QStringList{"0123", "0123", "01235", "01237", "01237", "01238", "01238"}));
  EXPECT_EQ(Column(2) + Column(4), QStringList(7, "北海道") + QStringList(7, ""));
  EXPECT_EQ(window->focusWidget(), window->Text1);
  EXPECT_EQ(window->MousePointer(), 0);
}

TEST_F(SearchWindow, QueryIsTrimmedAndWrittenBack) {
  SetExact(true);
  window->Text1->setText("  011 ");
  QTest::mouseClick(window->Command1, Qt::LeftButton);  // the button takes the focus, the search gives it back
  EXPECT_EQ(window->Text1->text(), "011");
  EXPECT_EQ(window->focusWidget(), window->Text1);
  EXPECT_EQ(Column(3), (QStringList{"江別市", "札幌市", "北広島市", "空知郡南幌町"}));
}

TEST_F(SearchWindow, SpacesOnlyShowsTheMessageAndKeepsTheRows) {
  Search("0123");
  window->Text1->setText("   ");
  auto seen = ExpectMessageBox();
  QTest::mouseClick(window->Command1, Qt::LeftButton);  // the button takes the focus; the box gets it back
  EXPECT_EQ(*seen, (QStringList{QString::fromUtf16(u"市外局番または対象区域名を入力してください。\u0020\u0020\u0020\u0020\u0020"),
                                "Telvara", QString::number(QMessageBox::Warning), "1"}));
  EXPECT_EQ((QStringList{window->Text1->text(), CountLine()}), (QStringList{"", "7 件"}));
  EXPECT_EQ(Count(), 7);
  EXPECT_EQ(window->focusWidget(), window->Text1);
}

TEST_F(SearchWindow, HostileQueriesFindNothingAndAFailureMidWalkKeepsRowsPointerAndFocus) {
  SetAreaMode(true);
  const QString huge(100000, QChar(u'町'));
  for (const QString& q : {huge, QString(QChar(0)), QString(QChar(0xD800)), QString::fromUtf16(u"\u3000"),
                           QString("\t\x01\x1b"), huge + "札幌市"}) {
    window->Text1->setText(q);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    EXPECT_EQ(std::tuple(Count(), CountLine()), std::tuple(0, QString("0 件")));
  }
  SetAreaMode(false);
  window->Store.LastIndex = 1900;  // walks past the last slot: the directory refuses index 1851
  window->Combo1->setFocus();
  window->Text1->setText("0");
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  EXPECT_EQ(std::tuple(Count(), CountLine(), window->MousePointer()), std::tuple(1790, QString(), 0));
  EXPECT_EQ(window->focusWidget(), window->Text1);
}

TEST_F(SearchWindow, LabelDoubleClickListsThePrefectureWithoutCd) {
  window->Text1->setText("999");
  window->Combo1->setFocus();
  ListPref("東京都");
  ASSERT_EQ(Count(), 50);
  EXPECT_EQ(Column(2) + Column(5), QStringList(50, "東京都") + QStringList(50, ""));
  EXPECT_EQ((QStringList{window->ListView1->Text(50), CountLine(), window->Text1->text()}),
            (QStringList{"0050", "50 件", "999"}));
  EXPECT_EQ(window->focusWidget(), window->Combo1);  // focus stays

  // Mode and exact match play no part, and either label lists.
  const QStringList tokyo = Column(3);
  SetAreaMode(true);
  SetExact(true);
  DoubleClick(window->Label1[1]);
  EXPECT_EQ(Column(3), tokyo);
  ListPref("共  通");
  ASSERT_EQ(Count(), 43);
  EXPECT_EQ(window->ListView1->SubItem(43, 3), "あいたらお知らせ");
  ListPref("北海道");
  EXPECT_EQ(Count(), 151);
  EXPECT_EQ(Column(3).filter(QRegularExpression("^\\(旧\\)")).size(), 8);

  SetAreaMode(false);
  SetExact(false);
  ChoosePref("全  国");
  Search("0123");
  window->Combo1->setCurrentIndex(49);  // the whole country lists nothing and changes nothing
  DoubleClick(window->Label1[0]);
  EXPECT_EQ(std::tuple(Count(), CountLine()), std::tuple(7, QString("7 件")));
}

TEST_F(SearchWindow, HeaderClicksAlternatePerColumnAndLaterRowsFollowTheOrder) {
  const QStringList up = {"0001", "0002", "0003", "0004", "0005", "0006", "0007"};
  QStringList down = up;
  std::reverse(down.begin(), down.end());
  Search("0123");
  ClickHeader(0);  // No: descending
  EXPECT_EQ(Column(0), down);
  ClickHeader(1);  // 局番: descending, ties keep their order
  EXPECT_EQ(Column(1), (QStringList{"01238", "01238", "01237", "01237", "01235", "0123", "0123"}));
  EXPECT_EQ(Column(0), down);
  ClickHeader(0);  // No again: its second click, ascending
  EXPECT_EQ(Column(0), up);
  ClickHeader(5);  // CD sorts nothing and is not counted
  EXPECT_EQ(Column(0), up);
  EXPECT_EQ(window->Sort.Count(5), 0);

  Search("11");  // regional rows and nationwide numbers
  for (auto [first, last] : {std::pair{"48", "01"}, std::pair{"01", "48"}}) {
    ClickHeader(2);  // 都道府県 orders by the prefecture's number
    EXPECT_EQ((QStringList{window->ListView1->SubItem(1, 5), window->ListView1->SubItem(Count(), 5)}),
              (QStringList{first, last}));
  }
  ClickHeader(0);
  Search("0123");
  EXPECT_EQ(Column(0), down);
  ClickHeader(1);  // 局番 ascending: rows of one code keep the order they stand in, in a new fill too
  EXPECT_EQ(Column(0), (QStringList{"0002", "0001", "0003", "0005", "0004", "0007", "0006"}));
  Search("0123");
  EXPECT_EQ(Column(0), up);
}

TEST_F(SearchWindow, AreaHeadersSortByTheirOwnColumns) {
  ClickHeader(1);  // an empty list still counts the click
  EXPECT_EQ(window->Sort.Count(1), 1);
  ListPref("北海道");
  ClickHeader(3);
  const QStringList areas = Column(3);
  QStringList sorted = areas;
  std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return b < a; });
  EXPECT_EQ(areas, sorted);
  ClickHeader(4);  // 旧: every cell is empty, so rows keep their order
  EXPECT_EQ(Column(3), areas);
  EXPECT_EQ(std::tuple(window->ListView1->SortKey(), window->ListView1->SortOrder()), std::tuple(4, 1));
}

class Lookup : public WindowTest {
 protected:
  QPoint RowCentre(int position) {
    return window->ListView1->visualRect(window->ListView1->model()->index(position - 1, 1)).center();
  }
  void CtrlRightDoubleClick(int position) {
    DoubleClick(window->ListView1->viewport(), RowCentre(position), Qt::RightButton, Qt::ControlModifier);
  }
  static std::u16string AddressFor(std::u16string_view text) {
    return u"https://www.google.co.jp/search?hl=ja&q=" + EncodeQuery(text) + u"&hl=ja&ie=Shift_JIS&oe=Shift_JIS";
  }
};

TEST_F(Lookup, CtrlRightDoubleClickOpensTheSearchForTheRowUnderThePointer) {
  SetExact(true);
  Search("0138");
  ASSERT_EQ(Count(), 4);
  CtrlRightDoubleClick(2);
  EXPECT_EQ(std::tuple(window->Mouse.MouseButton, window->Mouse.MouseShift, window->ListView1->Selected(2)),
            std::tuple(2, 2, true));
  EXPECT_EQ(browsers.addresses, std::vector{AddressFor(window->ListView1->SubItem(2, 3).toStdU16String())});
  EXPECT_EQ(std::tuple(browsers.pointerDuringOpen, ScreenPointer(), QApplication::overrideCursor()),
            std::tuple(11, 0, nullptr));
  // The selected row stays selected through a re-sort, and the arrow keys move on from it.
  ClickHeader(0);
  EXPECT_TRUE(window->ListView1->Selected(3));
  QTest::keyClick(window->ListView1, Qt::Key_Down);
  EXPECT_TRUE(window->ListView1->Selected(4));
}

TEST_F(Lookup, OldNamesAreLookedUpWithoutTheirMarkAndListingRowsOfNationwideNumbersToo) {
  SetAreaMode(true);
  SetExact(true);
  Search("山越郡八雲町");
  CtrlRightDoubleClick(1);
  // A search row of a nationwide number carries CD 48 and is not looked up;
  // a listing row has no CD, so it is.
  ChoosePref("共  通");
  SetAreaMode(false);
  Search("110");
  CtrlRightDoubleClick(1);
  ListPref("共  通");
  CtrlRightDoubleClick(1);
  EXPECT_EQ(browsers.addresses, (std::vector{AddressFor(u"山越郡八雲町"), AddressFor(u"警察")}));
}

struct Gesture {
  const char* name;
  Qt::MouseButton button;
  Qt::KeyboardModifiers mods;
};

class LookupGate : public Lookup, public ::testing::WithParamInterface<Gesture> {};

TEST_P(LookupGate, OtherDoubleClicksOpenNothing) {
  Search("0123");
  DoubleClick(window->ListView1->viewport(), RowCentre(1), GetParam().button, GetParam().mods);
  EXPECT_TRUE(browsers.addresses.empty());
  EXPECT_EQ(ScreenPointer(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, LookupGate,
    ::testing::Values(Gesture{"left", Qt::LeftButton, {}}, Gesture{"ctrl_left", Qt::LeftButton, Qt::ControlModifier},
                      Gesture{"right", Qt::RightButton, {}}, Gesture{"ctrl_middle", Qt::MiddleButton, Qt::ControlModifier},
                      Gesture{"ctrl_shift_right", Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier},
                      Gesture{"ctrl_alt_right", Qt::RightButton, Qt::ControlModifier | Qt::AltModifier}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lookup, NothingBeforeAnyPressOnAnEmptyListOrWithoutABrowser) {
  Search("0123");
  window->ListView1->SetSelected(1, true);
  window->ListView1_DblClick();  // no press recorded yet: 0, 0
  window->Text1->setText("9999999");
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  ASSERT_EQ(Count(), 0);
  DoubleClick(window->ListView1->viewport(), QPoint(50, 50), Qt::RightButton, Qt::ControlModifier);
  EXPECT_EQ(window->Mouse.MouseButton, 2);  // presses on empty space are recorded too
  EXPECT_TRUE(browsers.addresses.empty());

  browsers.failCreate = true;
  Search("0123");
  CtrlRightDoubleClick(1);
  EXPECT_EQ(std::tuple(browsers.addresses.size(), ScreenPointer(), QApplication::overrideCursor()),
            std::tuple(0, 0, nullptr));
}

TEST(DesktopBrowserTest, HandsTheExactAddressToTheOpenerAsItsOneArgument) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString opener = dir.filePath("opener"), out = dir.filePath("argument");
  {
    QFile f(opener);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(out).toUtf8());
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  DesktopBrowserFactory factory(opener);
  const std::u16string address = SearchAddress(EncodeQuery(u"札幌市 &(x)"));
  OpenInBrowser(factory, address);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 10000)) << "the opener never ran";
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()), "1|" + ToQString(address));

  DesktopBrowserFactory missing(QStringLiteral("telvara-no-such-opener"));
  EXPECT_THROW(missing.Create(), std::runtime_error);
}

}  // namespace
}  // namespace telvara::testing
