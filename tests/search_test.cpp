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

const std::u16string kHuge(100000, u'市');

struct Case {
  const char* name;
  std::u16string_view query;
  int areaMode;
  int exact;
  std::u16string_view pref;
  size_t count;
};

class SearchCases : public ::testing::TestWithParam<Case> {};

TEST_P(SearchCases, FindTheirRows) {
  const Case& c = GetParam();
  EXPECT_EQ(Find(c.query, c.areaMode, c.exact, c.pref).size(), c.count);
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndFilters, SearchCases,
    ::testing::Values(Case{"code_partial_23_anywhere", u"23", 0, 0, kWholeCountry, 39},
                      Case{"code_exact_011", u"011", 0, 1, kWholeCountry, 4},
                      Case{"code_exact_11_is_not_011", u"11", 0, 1, kWholeCountry, 0},
                      Case{"code_fullwidth_digits", u"０１１", 0, 0, kWholeCountry, 0},
                      Case{"area_exact_sapporo_prefix", u"札幌", 1, 1, kWholeCountry, 0},
                      Case{"area_exact_hokuto_in_hokkaido", u"北斗市", 1, 1, u"北海道", 1},
                      Case{"area_exact_hokuto_elsewhere", u"北斗市", 1, 1, u"青森県", 0},
                      Case{"area_partial_common", u"携帯", 1, 0, kCommon, 2},
                      Case{"area_whole_country_without_spaces_is_a_prefecture", u"携帯", 1, 0, u"全国", 0},
                      Case{"area_ideographic_space_kept", u"\u3000札幌市", 1, 0, kWholeCountry, 0},
                      Case{"area_huge", kHuge, 1, 0, kWholeCountry, 0},
                      Case{"area_nul", std::u16string_view(u"\0", 1), 1, 0, kWholeCountry, 0},
                      Case{"area_lone_surrogate", u"\xD800", 1, 0, kWholeCountry, 0},
                      Case{"area_tab", u"\t", 1, 0, kWholeCountry, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Search, RowsComeInDirectoryOrderAndExactAreaMatchesOnlyWholeTexts) {
  EXPECT_EQ(Find(u"011", 0, 1), (std::vector<int>{0, 1, 2, 3}));
  std::vector<std::u16string_view> codes;
  for (int i : Find(u"11", 0, 0, kCommon)) codes.push_back(LoadedStore().Directory.Code(i));
  EXPECT_EQ(codes, (std::vector<std::u16string_view>{u"110", u"117", u"115", u"113", u"114", u"116", u"118", u"119"}));
  const auto all = Find(u"0", 0, 0);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  bool city = false;
  for (int i : Find(u"札幌", 1, 0)) city |= LoadedStore().Directory.Area(i) == u"札幌市";
  EXPECT_TRUE(city);
  const auto hokuto = Find(u"北斗市", 1, 1, u"北海道");
  ASSERT_EQ(hokuto.size(), 1u);
  EXPECT_EQ(LoadedStore().Directory.Code(hokuto[0]), u"0138");
}

TEST(Search, BeforeLoadingNothingMatchesNotEvenAnEmptyChoice) {
  DirectoryStore empty;
  EXPECT_TRUE(Find(u"0", 0, 0, kWholeCountry, empty).empty());
  int visited = 0;
  WalkListing(empty, u"", [&](int) { ++visited; });
  EXPECT_EQ(visited, 0);
}

TEST(Search, TrimRemovesOnlyAsciiSpacesAndSettingsComeFromTheControls) {
  const std::pair<std::u16string_view, std::u16string_view> trims[] = {
      {u"  011 ", u"011"}, {u"   ", u""}, {u"\u3000札幌\u3000", u"\u3000札幌\u3000"}, {u" \t0 ", u"\t0"},
      {u" 全  国 ", u"全  国"}, {u"x", u"x"}};
  for (auto [in, out] : trims) EXPECT_EQ(TrimSpaces(in), out);
  const SearchSettings a = CaptureSettings(kWholeCountry, 1, true);
  EXPECT_EQ(std::tuple(a.AllPrefectures, a.ExactMatch, a.AreaMode), std::tuple(1, 1, 1));
  const SearchSettings b = CaptureSettings(u"全国", 2, false);  // the spaces are part of the choice
  EXPECT_EQ(std::tuple(b.AllPrefectures, b.ExactMatch, b.AreaMode), std::tuple(0, 0, 0));
}

TEST(Listing, SelectsWholePrefecturesInDirectoryOrder) {
  auto listed = [](std::u16string_view pref) {
    std::vector<int> slots;
    WalkListing(LoadedStore(), pref, [&](int i) { slots.push_back(i); });
    return slots;
  };
  EXPECT_EQ(listed(u"東京都").size(), 50u);
  EXPECT_EQ(listed(u"北海道").size(), 151u);
  EXPECT_EQ(listed(kCommon).size(), 43u);
  EXPECT_EQ(listed(u"沖縄県").front(), 1751);
  PrefList prefs;
  prefs.Fill();
  size_t total = 0;
  for (int p = 1; p <= 48; ++p) total += listed(prefs[p]).size();
  EXPECT_EQ(total, 1813u);
}

}  // namespace
