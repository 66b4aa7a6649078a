#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"
#include "search/Search.h"

using namespace telvara;

namespace {

std::vector<int> Find(std::u16string_view query, int areaMode, int exact, std::u16string_view pref = kWholeCountry,
                      const DirectoryStore& store = LoadedStore()) {
  const SearchSettings s = CaptureSettings(pref, exact, areaMode == 1);
  std::vector<int> hits;
  WalkSearch(store, query, pref, s, [&](int i) { hits.push_back(i); });
  return hits;
}

struct Case {
  const char* name;
  std::u16string_view query;
  int areaMode;
  int exact;
  std::u16string_view pref;
  size_t count;
};

class SearchCases : public ::testing::TestWithParam<Case> {};

TEST_P(SearchCases, FindsTheDocumentedNumberOfRows) {
  const Case& c = GetParam();
  EXPECT_EQ(Find(c.query, c.areaMode, c.exact, c.pref).size(), c.count);
}

INSTANTIATE_TEST_SUITE_P(
    EightCombinations, SearchCases,
    ::testing::Values(Case{"code_partial_0123", u"0123", 0, 0, kWholeCountry, 7},
                      Case{"code_partial_23_anywhere", u"23", 0, 0, kWholeCountry, 39},
                      Case{"code_partial_0_everything_but_three_digit_services", u"0", 0, 0, kWholeCountry, 1790},
                      Case{"code_exact_0_nothing", u"0", 0, 1, kWholeCountry, 0},
                      Case{"code_exact_011", u"011", 0, 1, kWholeCountry, 4},
                      Case{"code_exact_11_is_not_011", u"11", 0, 1, kWholeCountry, 0},
                      Case{"code_partial_11_services", u"11", 0, 0, kCommon, 8},
                      Case{"code_exact_03_tokyo", u"03", 0, 1, u"東京都", 4},
                      Case{"code_exact_03_osaka", u"03", 0, 1, u"大阪府", 0},
                      Case{"code_fullwidth_digits", u"０１１", 0, 0, kWholeCountry, 0},
                      Case{"grey_check_is_partial", u"0123", 0, 2, kWholeCountry, 7},
                      Case{"area_partial_yakumo", u"八雲", 1, 0, kWholeCountry, 3},
                      Case{"area_exact_old_name", u"山越郡八雲町", 1, 1, kWholeCountry, 1},
                      Case{"area_exact_sapporo_prefix", u"札幌", 1, 1, kWholeCountry, 0},
                      Case{"area_exact_hokuto_in_hokkaido", u"北斗市", 1, 1, u"北海道", 1},
                      Case{"area_exact_hokuto_elsewhere", u"北斗市", 1, 1, u"青森県", 0},
                      Case{"area_partial_common", u"携帯", 1, 0, kCommon, 2},
                      Case{"area_ideographic_space_kept", u"\u3000札幌市", 1, 0, kWholeCountry, 0},
                      Case{"area_nul", std::u16string_view(u"\0", 1), 1, 0, kWholeCountry, 0},
                      Case{"area_lone_surrogate", u"\xD800", 1, 0, kWholeCountry, 0},
                      Case{"area_tab", u"\t", 1, 0, kWholeCountry, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Search, RowsComeInDirectoryOrder) {
  EXPECT_EQ(Find(u"011", 0, 1), (std::vector<int>{0, 1, 2, 3}));
  const auto services = Find(u"11", 0, 0, kCommon);
  std::vector<std::u16string_view> codes;
  for (int i : services) codes.push_back(LoadedStore().Directory.Code(i));
  EXPECT_EQ(codes, (std::vector<std::u16string_view>{u"110", u"117", u"115", u"113", u"114", u"116", u"118", u"119"}));
  const auto hits = Find(u"0", 0, 0);
  EXPECT_TRUE(std::is_sorted(hits.begin(), hits.end()));
}

TEST(Search, PartialAreaQueryFindsTheCityAndTheExactOneOnlyWhole) {
  const auto hits = Find(u"札幌", 1, 0);
  ASSERT_FALSE(hits.empty());
  bool city = false;
  for (int i : hits) city |= LoadedStore().Directory.Area(i) == u"札幌市";
  EXPECT_TRUE(city);
  const auto hokuto = Find(u"北斗市", 1, 1, u"北海道");
  ASSERT_EQ(hokuto.size(), 1u);
  EXPECT_EQ(LoadedStore().Directory.Code(hokuto[0]), u"0138");
}

TEST(Search, BeforeLoadingOnlySlotZeroIsVisitedAndNothingMatches) {
  DirectoryStore empty;
  EXPECT_TRUE(Find(u"0", 0, 0, kWholeCountry, empty).empty());
  int visited = 0;
  WalkListing(empty, u"", [&](int) { ++visited; });
  EXPECT_EQ(visited, 0);  // an empty slot never matches, not even an empty choice
}

TEST(Search, HugeQueryFinishesAndMatchesNothing) {
  const std::u16string huge(100000, u'市');
  EXPECT_TRUE(Find(huge, 1, 0).empty());
  EXPECT_TRUE(Find(huge, 1, 1).empty());
}

TEST(Search, TrimRemovesOnlyAsciiSpaces) {
  EXPECT_EQ(TrimSpaces(u"  011 "), u"011");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
  EXPECT_EQ(TrimSpaces(u"\u3000札幌\u3000"), u"\u3000札幌\u3000");
  EXPECT_EQ(TrimSpaces(u" \t0 "), u"\t0");
  EXPECT_EQ(TrimSpaces(u" 全  国 "), u"全  国");
}

TEST(Search, SettingsAreCapturedFromTheControlValues) {
  const SearchSettings a = CaptureSettings(kWholeCountry, 1, true);
  EXPECT_EQ(a.AllPrefectures, 1);
  EXPECT_EQ(a.ExactMatch, 1);
  EXPECT_EQ(a.AreaMode, 1);
  const SearchSettings b = CaptureSettings(u"全国", 2, false);
  EXPECT_EQ(b.AllPrefectures, 0);  // the spaces are part of the choice
  EXPECT_EQ(b.ExactMatch, 0);
  EXPECT_EQ(b.AreaMode, 0);
}

TEST(Listing, SelectsWholePrefecturesInDirectoryOrder) {
  auto count = [](std::u16string_view pref) {
    int n = 0;
    WalkListing(LoadedStore(), pref, [&](int) { ++n; });
    return n;
  };
  EXPECT_EQ(count(u"東京都"), 50);
  EXPECT_EQ(count(u"北海道"), 151);
  EXPECT_EQ(count(kCommon), 43);
  PrefList prefs;
  prefs.Fill();
  int total = 0;
  for (int p = 1; p <= 48; ++p) total += count(prefs[p]);
  EXPECT_EQ(total, 1813);
}

}  // namespace
