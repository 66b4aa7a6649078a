#include <gtest/gtest.h>

#include "app/Caption.h"
#include "app/QueryRules.h"
#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"
#include "resultlist/MouseState.h"
#include "resultlist/Sorting.h"
#include "search/ResultRows.h"

using namespace telvara;

namespace {

struct Fixture : ::testing::Test {
  void SetUp() override { prefs.Fill(); }
  const DirectoryStore& store = LoadedStore();
  PrefList prefs;
};

using ResultRows = Fixture;

TEST_F(ResultRows, CellsOfSearchAndListingRows) {
  auto row = ResultRowTexts(store.Directory, prefs, 45, 0, true);  // 山越郡八雲町, old name
  EXPECT_EQ(row[0], u"0001");
  EXPECT_EQ(row[1], u"01376");
  EXPECT_EQ(row[2], u"北海道");
  EXPECT_EQ(row[3], u"(旧)山越郡八雲町");
  EXPECT_EQ(row[4], u"");
  EXPECT_EQ(row[5], u"01");

  row = ResultRowTexts(store.Directory, prefs, 44, 9, true);  // new name: no mark
  EXPECT_EQ(row[0], u"0010");
  EXPECT_EQ(row[3], u"二海郡八雲町");

  row = ResultRowTexts(store.Directory, prefs, 1772, 0, true);
  EXPECT_EQ(row[2], u"共  通");
  EXPECT_EQ(row[5], u"48");
  row = ResultRowTexts(store.Directory, prefs, 569, 1812, true);
  EXPECT_EQ(row[0], u"1813");
  EXPECT_EQ(row[3], u"東京都内２３区");
  EXPECT_EQ(row[5], u"13");

  row = ResultRowTexts(store.Directory, prefs, 45, 0, false);  // listing: no CD
  EXPECT_EQ(row[3], u"(旧)山越郡八雲町");
  EXPECT_EQ(row[5], u"");
}

TEST_F(ResultRows, CdIsEmptyWhenThePrefectureIsNotListed) {
  PrefList unfilled;
  EXPECT_EQ(ResultRowTexts(store.Directory, unfilled, 0, 0, true)[5], u"");
}

TEST(RowTexts, PaddingAndCountLine) {
  EXPECT_EQ(ZeroPad(1, 4), u"0001");
  EXPECT_EQ(ZeroPad(10, 4), u"0010");
  EXPECT_EQ(ZeroPad(1813, 4), u"1813");
  EXPECT_EQ(ZeroPad(12345, 4), u"2345");
  EXPECT_EQ(ZeroPad(48, 2), u"48");
  EXPECT_EQ(ZeroPad(0, 2), u"00");
  EXPECT_EQ(CountLineText(0), u"0 件");
  EXPECT_EQ(CountLineText(1790), u"1790 件");
}

TEST(HeaderSortTest, KeysOfTheHeaders) {
  EXPECT_EQ(SortKeyForHeader(u"No"), 0);
  EXPECT_EQ(SortKeyForHeader(u"局番"), 1);
  EXPECT_EQ(SortKeyForHeader(u"都道府県"), 5);
  EXPECT_EQ(SortKeyForHeader(u"対象区域"), 3);
  EXPECT_EQ(SortKeyForHeader(u"旧"), 4);
  EXPECT_EQ(SortKeyForHeader(u"CD"), std::nullopt);
  EXPECT_EQ(SortKeyForHeader(u"no"), std::nullopt);
}

struct Click {
  const char16_t* header;
  int key;    // -1: no effect
  int order;
};

class HeaderSequences : public ::testing::TestWithParam<std::vector<Click>> {};

TEST_P(HeaderSequences, AlternateOrderPerKey) {
  HeaderSort sort;
  for (const Click& c : GetParam()) {
    const auto choice = sort.Click(c.header);
    if (c.key < 0) {
      EXPECT_FALSE(choice.has_value());
    } else {
      ASSERT_TRUE(choice.has_value());
      EXPECT_EQ(choice->key, c.key);
      EXPECT_EQ(choice->order, c.order);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, HeaderSequences,
    ::testing::Values(std::vector<Click>{{u"No", 0, 1}, {u"No", 0, 0}, {u"No", 0, 1}},
                      std::vector<Click>{{u"No", 0, 1}, {u"局番", 1, 1}, {u"No", 0, 0}},
                      std::vector<Click>{{u"CD", -1, 0}, {u"No", 0, 1}, {u"CD", -1, 0}, {u"No", 0, 0}},
                      std::vector<Click>{{u"都道府県", 5, 1}, {u"都道府県", 5, 0}},
                      std::vector<Click>{{u"対象区域", 3, 1}, {u"旧", 4, 1}, {u"対象区域", 3, 0}, {u"旧", 4, 0}}));

TEST(HeaderSortTest, CountsOnlyGrow) {
  HeaderSort sort;
  sort.Click(u"CD");
  EXPECT_EQ(sort.Count(5), 0);
  sort.Click(u"都道府県");
  EXPECT_EQ(sort.Count(5), 1);
}

TEST(Caption, ComposedFromTheVersion) {
  const std::u16string want = u" Telvara (045)    Ver1.00\u3000     2005.11      " + std::u16string(20, u' ');
  EXPECT_EQ(ComposeCaption(1, 0, 0), want);
  EXPECT_EQ(want.size(), 25u + 19u + 20u);
  EXPECT_NE(ComposeCaption(1, 2, 3).find(u"Ver1.23\u3000"), std::u16string::npos);
}

TEST(QueryRulesTest, KeyFilterInCodeMode) {
  for (int c = '0'; c <= '9'; ++c) EXPECT_EQ(FilterKeyPress(c, true), c);
  EXPECT_EQ(FilterKeyPress(8, true), 8);
  for (int c : std::initializer_list<int>{3, 22, 24, 13, 27, ' ', '-', 'a', 'Z', 0xFF10 /* full-width 0 */, 0x3042})
    EXPECT_EQ(FilterKeyPress(c, true), 0) << c;
  for (int c : std::initializer_list<int>{3, 'a', 0x3042, 13}) EXPECT_EQ(FilterKeyPress(c, false), c);
  EXPECT_TRUE(EnterStartsSearch(13, 1));
  EXPECT_FALSE(EnterStartsSearch(13, 0));
  EXPECT_FALSE(EnterStartsSearch(10, 3));
}

TEST(MouseStateTest, OnlyCtrlRightWithRowsOpensLookup) {
  MouseState m;
  EXPECT_FALSE(m.OpensLookup(5));
  m.MouseDown(2, 2);
  EXPECT_TRUE(m.OpensLookup(1));
  EXPECT_FALSE(m.OpensLookup(0));
  m.MouseDown(2, 3);
  EXPECT_FALSE(m.OpensLookup(5));
  m.MouseDown(1, 2);
  EXPECT_FALSE(m.OpensLookup(5));
  m.MouseDown(2, 6);
  EXPECT_FALSE(m.OpensLookup(5));
}

}  // namespace
