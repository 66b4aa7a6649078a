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
  // A real double-click: press, release, double-click, release.
  void DoubleClick(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
    QWidget* vp = window->ListView1->viewport();
    QTest::mousePress(vp, button, mods, at);
    QTest::mouseRelease(vp, button, mods, at);
    QTest::mouseDClick(vp, button, mods, at);
    QTest::mouseRelease(vp, button, mods, at);
  }
  void ListPref(const QString& pref) {
    ChoosePref(pref);
    QTest::mouseDClick(window->Label1[0], Qt::LeftButton);
  }
};

TEST_F(Lookup, CtrlRightDoubleClickOpensTheSearchForTheRow) {
  SetExact(true);
  Search("0138");
  ASSERT_EQ(window->ListView1->Count(), 4);
  DoubleClick(RowCentre(2), Qt::RightButton, Qt::ControlModifier);
  EXPECT_EQ(window->Mouse.MouseButton, 2);
  EXPECT_EQ(window->Mouse.MouseShift, 2);
  EXPECT_TRUE(window->ListView1->Selected(2));
  ASSERT_EQ(browsers.log.addresses.size(), 1u);
  const std::u16string want = u"https://www.google.co.jp/search?hl=ja&q=" +
                              EncodeQuery(window->ListView1->SubItem(2, 3).toStdU16String()) +
                              u"&hl=ja&ie=Shift_JIS&oe=Shift_JIS";
  EXPECT_EQ(browsers.log.addresses[0], want);
  EXPECT_EQ(browsers.log.calls, (std::vector<std::string>{"navigate", "visible", "status", "release"}));
  EXPECT_EQ(browsers.log.pointerDuringOpen, 11);
  EXPECT_EQ(ScreenPointer(), 0);
}

TEST_F(Lookup, OldNamesAreLookedUpWithoutTheirMark) {
  SetAreaMode(true);
  SetExact(true);
  Search("山越郡八雲町");
  DoubleClick(RowCentre(1), Qt::RightButton, Qt::ControlModifier);
  ASSERT_EQ(browsers.log.addresses.size(), 1u);
  EXPECT_NE(browsers.log.addresses[0].find(u"q=" + EncodeQuery(u"山越郡八雲町") + u"&hl"), std::u16string::npos);
}

struct Gesture {
  const char* name;
  Qt::MouseButton button;
  Qt::KeyboardModifiers mods;
};

class LookupGate : public Lookup, public ::testing::WithParamInterface<Gesture> {};

TEST_P(LookupGate, OtherDoubleClicksOpenNothing) {
  Search("0123");
  DoubleClick(RowCentre(1), GetParam().button, GetParam().mods);
  EXPECT_TRUE(browsers.log.addresses.empty());
  EXPECT_EQ(ScreenPointer(), 0);
}

INSTANTIATE_TEST_SUITE_P(Gestures, LookupGate,
                         ::testing::Values(Gesture{"left", Qt::LeftButton, {}},
                                           Gesture{"ctrl_left", Qt::LeftButton, Qt::ControlModifier},
                                           Gesture{"right", Qt::RightButton, {}},
                                           Gesture{"ctrl_shift_right", Qt::RightButton,
                                                   Qt::ControlModifier | Qt::ShiftModifier},
                                           Gesture{"ctrl_alt_right", Qt::RightButton,
                                                   Qt::ControlModifier | Qt::AltModifier},
                                           Gesture{"ctrl_middle", Qt::MiddleButton, Qt::ControlModifier}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lookup, NothingBeforeAnyPressOrOnAnEmptyList) {
  Search("0123");
  window->ListView1->SetSelected(1, true);
  window->ListView1_DblClick();  // no press recorded yet: 0, 0
  EXPECT_TRUE(browsers.log.addresses.empty());
  window->Text1->setText("9999999");
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  ASSERT_EQ(window->ListView1->Count(), 0);
  DoubleClick(QPoint(50, 50), Qt::RightButton, Qt::ControlModifier);
  EXPECT_EQ(window->Mouse.MouseButton, 2);  // presses on empty space are recorded too
  EXPECT_TRUE(browsers.log.addresses.empty());
}

TEST_F(Lookup, NationwideRowsOfASearchAreNotLookedUpButListingRowsAre) {
  ChoosePref("共  通");
  Search("110");
  DoubleClick(RowCentre(1), Qt::RightButton, Qt::ControlModifier);
  EXPECT_TRUE(browsers.log.addresses.empty());
  ListPref("共  通");
  DoubleClick(RowCentre(1), Qt::RightButton, Qt::ControlModifier);
  ASSERT_EQ(browsers.log.addresses.size(), 1u);
  EXPECT_NE(browsers.log.addresses[0].find(EncodeQuery(u"警察")), std::u16string::npos);
}

TEST_F(Lookup, AFailingBrowserEndsSilentlyWithThePointerBack) {
  browsers.log.failCreate = true;
  Search("0123");
  DoubleClick(RowCentre(1), Qt::RightButton, Qt::ControlModifier);
  EXPECT_TRUE(browsers.log.addresses.empty());
  EXPECT_EQ(ScreenPointer(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(DesktopBrowserTest, HandsTheExactAddressToTheOpener) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString opener = dir.filePath("opener");
  const QString out = dir.filePath("argument");
  {
    QFile f(opener);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(out).toUtf8());
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  DesktopBrowserFactory factory(opener);
  const std::u16string address = SearchAddress(EncodeQuery(u"札幌市 &(x)"));
  OpenInBrowser(factory, address);
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()), "1|" + ToQString(address));

  DesktopBrowserFactory missing(QStringLiteral("telvara-no-such-opener"));
  EXPECT_THROW(missing.Create(), std::runtime_error);
}

}  // namespace
}  // namespace telvara::testing
