// Searches, listings, header sorting and the web lookup, driven through the
// real controls.
#include <QAccessible>
#include <QClipboard>
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

TEST_F(SearchWindow, EnterSearchesOnlyWithTextWhateverModifiersAreHeldAndLeavesFocusInTheBox) {
  auto seen = ExpectMessageBox();
  QTest::keyClick(window->Text1, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(std::tuple(seen->size(), CountLine()), std::tuple(0, QString()));
  Type(window->Text1, "0123");
  for (Qt::Key key : {Qt::Key_Enter, Qt::Key_Return, Qt::Key_Return})
    QTest::keyClick(window->Text1, key, Qt::ShiftModifier | Qt::ControlModifier);
  ASSERT_EQ(Count(), 7);
  EXPECT_EQ((QStringList{CountLine(), window->Text1->text()}), (QStringList{"7 件", "0123"}));
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
  Click(window->Label1[1], 2);
  EXPECT_EQ(Column(3), tokyo);

  SetAreaMode(false);
  SetExact(false);
  ChoosePref("全  国");
  Search("0123");
  window->Combo1->setCurrentIndex(49);  // the whole country lists nothing and changes nothing
  Click(window->Label1[0], 2);
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
  Click(window->ListView1->viewport(), 1, RowCentre(1));  // stays selected through a re-sort
  ClickHeader(1);  // 局番, third click: descending
  EXPECT_TRUE(window->ListView1->Selected(6));
  QTest::keyClick(window->ListView1, Qt::Key_Down);  // and the arrow keys move on from it
  EXPECT_TRUE(window->ListView1->Selected(7));
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

std::u16string AddressFor(std::u16string_view text) {
  return u"https://www.google.co.jp/search?hl=ja&q=" + EncodeQuery(text) + u"&hl=ja&ie=Shift_JIS&oe=Shift_JIS";
}
using Lookup = WindowTest;

// What leaves the window for a row: the clipboard line and the web search.
// The mouse acts on the row first; the keys go to the window, and so to the
// menu once it is open.
struct RowOut {
  const char* name;
  const char16_t* pref;
  const char16_t* query;  // an exact code search; none: the prefecture's listing
  int row;
  Qt::MouseButton button;
  Qt::KeyboardModifiers mods;
  int clicks;
  std::vector<QKeyCombination> keys;
  const char16_t* copied;       // none: the clipboard keeps what it had
  const char16_t* lookedUp;     // none: no search opened
  bool searchDisabled = false;  // in the menu
};

class RowOutput : public Lookup, public ::testing::WithParamInterface<RowOut> {};

TEST_P(RowOutput, ClipboardAndWebSearch) {
  const RowOut& c = GetParam();
  ChoosePref(QString::fromUtf16(c.pref));
  SetExact(true);
  c.query ? Search(QString::fromUtf16(c.query)) : ListPref(QString::fromUtf16(c.pref));
  QApplication::clipboard()->setText("before");
  Click(window->ListView1->viewport(), c.clicks, RowCentre(c.row), c.button, c.mods);
  for (QKeyCombination key : c.keys) {
    QTest::keyClick(window->windowHandle(), key.key(), key.keyboardModifiers());
    if (auto* menu = QAccessible::queryAccessibleInterface(QApplication::activePopupWidget())) {  // as readers see it
      EXPECT_EQ((QStringList{menu->child(0)->text(QAccessible::Name), menu->child(1)->text(QAccessible::Name),
                             menu->child(1)->state().disabled ? "disabled" : ""}),
                (QStringList{"コピー", "対象区域を Web で検索", c.searchDisabled ? "disabled" : ""}));
    }
  }
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);  // closed, and a right click opens none
  EXPECT_EQ(QApplication::clipboard()->text(), c.copied ? QString::fromUtf16(c.copied) : "before");
  EXPECT_EQ(browsers.addresses, c.lookedUp ? std::vector{AddressFor(c.lookedUp)} : std::vector<std::u16string>{});
  EXPECT_EQ(std::tuple(browsers.pointerDuringOpen, ScreenPointer(), QApplication::overrideCursor()),
            std::tuple(c.lookedUp ? 11 : -1, 0, nullptr));
}

constexpr Qt::MouseButton L = Qt::LeftButton, R = Qt::RightButton;
constexpr Qt::KeyboardModifier Ctrl = Qt::ControlModifier;
const QKeyCombination kMenu = Qt::Key_Menu, kShiftF10 = Qt::ShiftModifier | Qt::Key_F10, kDown = Qt::Key_Down,
                      kReturn = Qt::Key_Return;
INSTANTIATE_TEST_SUITE_P(
    Rows, RowOutput,
    ::testing::Values(
        RowOut{"ctrl_c", u"全  国", u"0138", 2, L, {}, 1, {Ctrl | Qt::Key_C}, u"0002\t0138\t北海道\t北斗市", nullptr},
        RowOut{"menu_copy", u"全  国", u"0138", 3, L, {}, 1, {kMenu, kReturn}, u"0003\t0138\t北海道\t(旧)上磯郡上磯町", nullptr},
        RowOut{"shift_f10_search_without_the_old_mark", u"全  国", u"0138", 3, L, {}, 1, {kShiftF10, kDown, kReturn},
               nullptr, u"上磯郡上磯町"},
        RowOut{"menu_no_search_for_nationwide_numbers", u"共  通", u"110", 1, L, {}, 1, {kMenu, kDown, kReturn},
               u"0001\t110\t共  通\t警察", nullptr, true},
        RowOut{"menu_search_in_a_listing", u"共  通", nullptr, 1, L, {}, 1, {kShiftF10, kDown, kReturn}, nullptr, u"警察"},
        RowOut{"right_click_opens_no_menu", u"全  国", u"0138", 1, R, {}, 1, {}, nullptr, nullptr},
        RowOut{"ctrl_right_double_click", u"全  国", u"0138", 3, R, Ctrl, 2, {}, nullptr, u"上磯郡上磯町"},
        RowOut{"ctrl_right_double_click_nationwide", u"共  通", u"110", 1, R, Ctrl, 2, {}, nullptr, nullptr},
        RowOut{"ctrl_right_double_click_listing", u"共  通", nullptr, 1, R, Ctrl, 2, {}, nullptr, u"警察"},
        RowOut{"left_double_click", u"全  国", u"0138", 1, L, {}, 2, {}, nullptr, nullptr},
        RowOut{"ctrl_left_double_click", u"全  国", u"0138", 1, L, Ctrl, 2, {}, nullptr, nullptr},
        RowOut{"right_double_click", u"全  国", u"0138", 1, R, {}, 2, {}, nullptr, nullptr},
        RowOut{"ctrl_middle_double_click", u"全  国", u"0138", 1, Qt::MiddleButton, Ctrl, 2, {}, nullptr, nullptr},
        RowOut{"ctrl_shift_right_double_click", u"全  国", u"0138", 1, R, Ctrl | Qt::ShiftModifier, 2, {}, nullptr, nullptr},
        RowOut{"ctrl_alt_right_double_click", u"全  国", u"0138", 1, R, Ctrl | Qt::AltModifier, 2, {}, nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lookup, NothingBeforeAnyPressOnAnEmptyListOrWithoutABrowser) {
  Search("0123");
  window->ListView1->SetSelected(1, true);
  window->ListView1_DblClick();  // no press recorded yet: 0, 0
  window->Text1->setText("9999999");
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  ASSERT_EQ(Count(), 0);
  Click(window->ListView1->viewport(), 2, QPoint(50, 50), Qt::RightButton, Qt::ControlModifier);
  EXPECT_EQ(window->Mouse.MouseButton, 2);  // presses on empty space are recorded too
  EXPECT_TRUE(browsers.addresses.empty());

  browsers.failCreate = true;
  Search("0123");
  Click(window->ListView1->viewport(), 2, RowCentre(1), Qt::RightButton, Qt::ControlModifier);
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
