#include <gtest/gtest.h>

#include "app/Caption.h"
#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"
#include "search/ResultRows.h"

using namespace telvara;

namespace {

TEST(RowTexts, CellsOfSearchAndListingRows) {
  PrefList prefs;
  prefs.Fill();
  const std::tuple<int, int, bool, std::array<std::u16string_view, 6>> rows[] = {
      {45, 0, true, {u"0001", u"01376", u"北海道", u"(旧)山越郡八雲町", u"", u"01"}},
      {569, 1812, true, {u"1813", u"03", u"東京都", u"東京都内２３区", u"", u"13"}},
      {45, 9, false, {u"0010", u"01376", u"北海道", u"(旧)山越郡八雲町", u"", u""}}};
  for (const auto& [slot, counter, withCd, want] : rows) {
    const auto cells = ResultRowTexts(LoadedStore().Directory, prefs, slot, counter, withCd);
    for (size_t c = 0; c < 6; ++c) EXPECT_EQ(cells[c], want[c]) << "slot " << slot << " column " << c;
  }
}

TEST(RowTexts, PaddingCountLineAndAnUnlistedPrefecture) {
  const std::tuple<int, int, std::u16string_view> pads[] = {
      {1, 4, u"0001"}, {10, 4, u"0010"}, {1813, 4, u"1813"}, {12345, 4, u"2345"}, {48, 2, u"48"}, {0, 2, u"00"}};
  for (auto [n, width, text] : pads) EXPECT_EQ(ZeroPad(n, width), text);
  EXPECT_EQ(CountLineText(0), u"0 件");
  EXPECT_EQ(CountLineText(1790), u"1790 件");
  PrefList unfilled;
  EXPECT_EQ(ResultRowTexts(LoadedStore().Directory, unfilled, 0, 0, true)[5], u"");
}

TEST(Caption, ComposedFromTheVersion) {
  EXPECT_EQ(ComposeCaption(1, 0, 0), u" Telvara (045)    Ver1.00\u3000     2005.11      " + std::u16string(20, u' '));
  EXPECT_NE(ComposeCaption(1, 2, 3).find(u"Ver1.23\u3000"), std::u16string::npos);
}

}  // namespace
