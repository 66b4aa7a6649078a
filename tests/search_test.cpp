#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Caption.h"
#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"
#include "search/ResultRows.h"
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
                      Case{"code_exact_159_the_last_row", u"159", 0, 1, kWholeCountry, 1},
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

TEST(Search, RowsComeInDirectoryOrder) {
  EXPECT_EQ(Find(u"011", 0, 1), (std::vector<int>{0, 1, 2, 3}));
  std::vector<std::u16string_view> codes;
  for (int i : Find(u"11", 0, 0, kCommon)) codes.push_back(LoadedStore().Directory.Code(i));
  EXPECT_EQ(codes, (std::vector<std::u16string_view>{u"110", u"117", u"115", u"113", u"114", u"116", u"118", u"119"}));
  const auto all = Find(u"0", 0, 0);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
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
  EXPECT_EQ(CountLineText(1790), u"1790 件");
  PrefList unfilled;
  EXPECT_EQ(ResultRowTexts(LoadedStore().Directory, unfilled, 0, 0, true)[5], u"");
}

TEST(Caption, MinorAndRevisionStandSideBySide) {
  EXPECT_NE(ComposeCaption(1, 2, 3).find(u"Ver1.23\u3000"), std::u16string::npos);
}

}  // namespace
