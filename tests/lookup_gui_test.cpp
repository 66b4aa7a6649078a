#include <QTemporaryDir>

#include "gui_fixture.h"
#include "resultlist/DesktopBrowser.h"

namespace telvara::testing {
namespace {

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
